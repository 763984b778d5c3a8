// Reading a 1500-row analysis output and drawing its runoff chart (kind 1), as one "Go" on the
// Graphics tab does: header, reconstruction table, chart engine and painting.

#include "bench/BenchData.h"
#include "graphics/UChartDrawing.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UTextFields.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace quellow;

/// An analysis output of rows reconstruction rows (and a regression table of every fifth
/// row) in the output layout, with a season of showers and recessions.
std::string analysisOutput(int rows)
{
    const std::string rule44(44, '-'), rule64(64, '-');
    const auto serial = [](int n) {
        return " " + std::to_string(n) + (n < 10 ? "  " : n < 100 ? " " : "");
    };
    std::string text = "RESULTS OF Quellow PROGRAM\r\n\r\nBenchmark catchment\r\nDaily data\r\n"
                       "Name of input file used: bench.inp\r\n\r\n"
                       "Maximum dead storage:   50.00 mm\r\nInitial dead storage:   10.00 mm\r\n"
                       "Max. escape/time unit:   4.00 --\r\n\r\n"
                       "REGRESSION: alpha = A * runoff + C\r\n"
                       "if Discharge > 2.00 then A =  0.0500  C =  0.1000\r\n"
                       "if Discharge < 2.00 then A =  0.0800  C =  0.0500\r\n\r\n" +
                       rule44 +
                       "\r\nSerial    Time     Runoff    Alpha     Alpha\r\n"
                       " No.               maes.     meas.     regr.\r\n"
                       "          --       --\r\n" +
                       rule44 + "\r\n";
    double runoff = 1;
    std::string reconstruction;
    for (int i = 1; i <= rows; ++i) {
        const double rain = (i % 17 == 0) ? 25.0 : (i % 5 == 0) ? 3.0 : 0.0;
        const double recharge = rain * 0.6;
        runoff = runoff * std::exp(-0.15) + recharge * (1 - std::exp(-0.15));
        reconstruction += serial(i) + fixed(i, 10, 2) + fixed(rain, 10, 2) +
                          fixed(recharge, 10, 2) + fixed(runoff * 1.05, 10, 2) +
                          fixed(0.15, 10, 3) + fixed(runoff, 10, 2) + "\r\n";
        if (i % 5 == 0)
            text += serial(i) + fixed(i, 10, 2) + fixed(runoff, 10, 3) + fixed(0.15, 10, 3) +
                    fixed(0.16, 10, 4) + "\r\n";
    }
    text += rule44 +
            "\r\nStand. dev. of calc. from meas. alpha: 0.031\r\n\r\n\r\n"
            "RECONSTRUCTION:\r\n" +
            rule64 +
            "\r\nSerial    Time      Rain    Recharge   Runoff    Alpha    Runoff\r\n"
            " No.                         calc.     meas.     calc.    calc. \r\n"
            "          --        --        --        --                  --\r\n" +
            rule64 + "\r\n" + reconstruction + rule64 +
            "\r\nStand. dev. of calc. from meas. runoff:   0.125\r\n"
            "Coefficient of explanation R square is:   0.930\r\n\r\n";
    return text;
}

void ReadAndDrawRunoffChart(benchmark::State &state)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / "quellow-chart-bench.out").string();
    writeFileAtomically(path, analysisOutput(1500));
    DMQuellow.OutFileName = path;
    QImage image = UChartDrawing::newChartImage();
    for (auto _ : state) {
        if (!UChartDrawing::makeChart(1, image)) {
            state.SkipWithError("the chart could not be drawn");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    std::filesystem::remove(path);
}
BENCHMARK(ReadAndDrawRunoffChart)->Unit(benchmark::kMillisecond);

/// Output files of real runs: the divide search on 1500 analysis rows and a 501-step
/// prediction, written once into a folder of their own.
struct TRunOutputs
{
    std::string Analysis;
    std::string Prediction;
};

const TRunOutputs &runOutputs()
{
    static const TRunOutputs outputs = [] {
        const auto folder = std::filesystem::temp_directory_path() / "quellow-chart-bench-runs";
        std::filesystem::create_directories(folder);
        TRunOutputs paths;
        const std::string analysisInput = (folder / "analysis.inp").string();
        const std::string predictionInput = (folder / "prediction.inp").string();
        writeFileAtomically(analysisInput, bench::AnalysisInputText(1500));
        writeFileAtomically(predictionInput, bench::PredictionInputText(501, true));
        ResetAllState();
        DMQuellow.FileName = analysisInput;
        URainRun::DivideSearch();
        DMQuellow.FileName = predictionInput;
        UPrediction::RunPrediction();
        paths.Analysis = changeFileExt(analysisInput, ".out");
        paths.Prediction = changeFileExt(predictionInput, ".out");
        return paths;
    }();
    return outputs;
}

/// One "Go" on the Graphics tab for each chart kind: the analysis kinds read the 1500-row
/// output (kind 8 also its trend file), the prediction kinds the 501-step output.
void ReadAndDrawEachKind(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    const bool prediction = kind == 2 || kind == 4 || kind == 5;
    const TRunOutputs &outputs = runOutputs();
    DMQuellow.OutFileName = prediction ? outputs.Prediction : outputs.Analysis;
    DMQuellow.FileName = changeFileExt(DMQuellow.OutFileName, ".inp");
    QImage image = UChartDrawing::newChartImage();
    for (auto _ : state) {
        if (!UChartDrawing::makeChart(kind, image)) {
            state.SkipWithError("the chart could not be drawn");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(prediction ? "501-step prediction" : "1500-row analysis");
}
BENCHMARK(ReadAndDrawEachKind)->DenseRange(1, 8)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
