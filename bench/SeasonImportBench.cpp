// quellow-cli import as a whole process: 35 years of daily rows (12,800, blank separated with
// year, month, day and hour columns) joined with a 12,800-row headerless runoff file in cubic
// feet per second, converted with the catchment area, and one input file per summer season.
#include "bench/BenchSupport.h"
#include "files/UFileUtil.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int Rows = 12800;

/// Writes the basin and runoff files of Rows days from 1980-01-01 into folder.
bool writeFiles(const std::filesystem::path &folder)
{
    std::string basin = "YR MNTH DY HR    SWE   PRCP   RAIM   TAIR    PET     ET MOD_RUN OBS_RUN\n";
    std::string gauge;
    std::tm day{};
    day.tm_year = 80;
    day.tm_mday = 1;
    day.tm_hour = 12;
    char line[160];
    for (int i = 0; i < Rows; ++i) {
        std::tm d = day;
        d.tm_mday += i;
        std::mktime(&d);
        const double rain = (i * 7) % 5 < 2 ? ((i * 37) % 23) * 0.7 : 0.0;
        const double pet = 2.2 + 1.8 * ((d.tm_yday - 100) % 365 < 182 ? 1 : -1) * 0.5;
        const double q = 1.1 + 0.05 * ((i * 13) % 7);
        std::snprintf(line, sizeof line,
                      "%d %02d %02d 12 %6.1f %6.1f %6.1f %6.1f %6.2f %6.2f %7.3f %7.3f\n",
                      d.tm_year + 1900, d.tm_mon + 1, d.tm_mday, 0.0, rain, rain, 12.0, pet,
                      pet * 0.7, q * 0.9, q);
        basin += line;
        std::snprintf(line, sizeof line, "01234500 %d %02d %02d %9.2f %s\n", d.tm_year + 1900,
                      d.tm_mon + 1, d.tm_mday, q * 412.7 / 2.4465755455488, i % 97 ? "A" : "A:e");
        gauge += line;
    }
    std::error_code error;
    std::filesystem::create_directories(folder / "out", error);
    return quellow::writeFileAtomically((folder / "basin.txt").string(), basin) &&
           quellow::writeFileAtomically((folder / "gauge.txt").string(), gauge);
}

bool runImport(const std::filesystem::path &folder, const std::filesystem::path &out)
{
    const std::vector<std::string> args = {"import",
                                           (folder / "basin.txt").string(),
                                           "--mode",
                                           "analysis",
                                           "--runoff-file",
                                           (folder / "gauge.txt").string(),
                                           "--runoff-unit",
                                           "cfs",
                                           "--area-km2",
                                           "412.7",
                                           "--season",
                                           "06-01..10-31",
                                           "-o",
                                           (out / "basin.inp").string()};
    return quellow::bench::runCli(args, false);
}

/// The season files go to a new folder each time, as a first split of a series does; with
/// replace, over those of the time before. Replacing a file frees the blocks of the old one,
/// which on a disk mounted with online discard costs milliseconds a file.
void BM_SeasonImport(benchmark::State &state, const std::filesystem::path &base, bool replace)
{
    const std::filesystem::path folder = base / "quellow-season-bench";
    if (!writeFiles(folder)) {
        state.SkipWithError("cannot write the series files");
        return;
    }
    std::error_code error;
    int round = 0;
    std::filesystem::path out = folder / "out";
    for (auto _ : state) {
        if (!replace) {
            state.PauseTiming();
            out = folder / ("out" + std::to_string(++round));
            std::filesystem::create_directories(out, error);
            state.ResumeTiming();
        }
        if (!runImport(folder, out)) {
            state.SkipWithError("quellow-cli import failed");
            break;
        }
    }
    const bool written = std::filesystem::exists(out / "basin-1980.inp") &&
                         std::filesystem::exists(out / "basin-2014.inp");
    std::filesystem::remove_all(folder, error);
    if (!written)
        state.SkipWithError("the season files were not written");
}
BENCHMARK_CAPTURE(BM_SeasonImport, Daily35YearsJoinedSeasonsMemoryFolder,
                  std::filesystem::path("/dev/shm"), false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_SeasonImport, Daily35YearsJoinedSeasonsTempFolder,
                  std::filesystem::temp_directory_path(), false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_SeasonImport, Daily35YearsJoinedSeasonsTempFolderReplacing,
                  std::filesystem::temp_directory_path(), true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
