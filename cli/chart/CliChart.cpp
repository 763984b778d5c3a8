#include "cli/chart/CliChart.h"

#include "graphics/UChartDrawing.h"
#include "files/UDMQuellow.h"
#include "runs/UQuellowUtils.h"
#include "files/UTextFields.h"

#include <QGuiApplication>

#include <iostream>
#include <memory>

namespace quellow::cli {

namespace {

const char *const chartUsage =
    "Usage: quellow-cli chart FILE.out --kind N -o IMAGE.bmp|IMAGE.png [--describe]\n"
    "  Kinds of an analysis output: 1 runoff in time, 3 rain and recharge, 6 alpha and runoff,\n"
    "  7 observed against calculated runoff, 8 recharge against runoff (needs FILE.dat).\n"
    "  Kinds of a prediction output: 2 runoff in time, 4 rain and recharge, 5 water table or\n"
    "  storage in time.\n"
    "  --describe prints the chart's layout as one JSON object; the image is then written only\n"
    "  when -o is given.\n";

int usageError(const std::string &text)
{
    std::cerr << "quellow-cli chart: " << text << "\n" << chartUsage;
    return 2;
}

void qtMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << text.toStdString() << '\n';
}

/// Text needs a QGuiApplication; without a display it runs on the offscreen platform.
std::unique_ptr<QGuiApplication> makeApplication()
{
    if (QGuiApplication::instance())
        return nullptr;
    const TQtArgs args = PrepareQt();
    return std::make_unique<QGuiApplication>(args.Argc, args.Argv);
}

} // namespace

TQtArgs PrepareQt()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(qtMessages);
    static int argc = 1;
    static char name[] = "quellow-cli";
    static char *argv[] = {name, nullptr};
    return {argc, argv};
}

int DrawChartCommand(const TArgs &args)
{
    std::string input, output;
    int kind = 0;
    bool describe = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--describe") {
            describe = true;
        } else if (arg == "--kind" || arg == "-o") {
            if (i + 1 >= args.size())
                return usageError(arg + " needs a value");
            const std::string &value = args[++i];
            if (arg == "-o") {
                output = value;
            } else if (!parseInt(value, kind) || kind < 1 || kind > 8) {
                return usageError("the kind must be a number from 1 to 8, not \"" + value + "\"");
            }
        } else if (arg == "--help" || arg == "-h") {
            std::cout << chartUsage;
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else if (input.empty()) {
            input = arg;
        } else {
            return usageError("more than one output file given");
        }
    }
    if (input.empty())
        return usageError("no output file given");
    if (kind == 0)
        return usageError("no --kind given");
    if (output.empty() && !describe)
        return usageError("no image file given (-o)");

    const auto application = makeApplication();
    DMQuellow.OutFileName = input;
    QImage image = UChartDrawing::newChartImage();
    if (!UChartDrawing::makeChart(kind, image, UChartDrawing::TChartSource::FilesOnly))
        return 1;
    if (!output.empty()) {
        std::string error;
        if (!UChartDrawing::saveChartImage(image, output, error)) {
            std::cerr << error << '\n';
            return 1;
        }
    }
    if (describe)
        std::cout << UQuellowUtils::describeChart(kind) << '\n';
    return 0;
}

} // namespace quellow::cli
