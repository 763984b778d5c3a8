// The joined import and the season split: the text is a main series file, optionally followed
// by a line "%%" and a second file whose series is joined on the date. Whatever is accepted
// must give seasons within the mode's rows, in time order, that write as input files.
// Seeds: fuzz/seeds/season_*.txt
// Seed prefixes: 0 1 2 3 8 16 24 32 40
#include "FuzzSupport.h"

#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    fuzz::FreshState();
    if (size == 0)
        return 0;
    // The first byte (counted from '0', so that the seed prefixes choose) picks the mode, the
    // runoff unit, the season, the spin-up and the role of the second file.
    const unsigned choice = static_cast<std::uint8_t>(data[0] - '0');
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);
    static const char *const seasons[] = {"06-01..10-31", "11-01..02-29", "01-01..12-31",
                                          "03-15..03-31"};
    static const UCsvSources::TRunoffUnit units[] = {
        UCsvSources::TRunoffUnit::None, UCsvSources::TRunoffUnit::CubicMetresPerSecond,
        UCsvSources::TRunoffUnit::CubicFeetPerSecond, UCsvSources::TRunoffUnit::Mm};
    UCsvSources::TSourceRequest request;
    request.Analysis = (choice & 1) == 0;
    request.Unit = units[(choice >> 1) & 3];
    request.AreaKm2 = 412.7;
    request.AreaGiven = (choice & 2) != 0;
    const std::size_t split = text.find("\n%%\n");
    request.Main = {"main.txt", std::string(text.substr(0, split)), {}};
    if (split != std::string_view::npos)
        request.Files[(choice & 64) ? UCsvImport::RoleRain : UCsvImport::RoleRunoff] = {
            "second.txt", std::string(text.substr(split + 4)), {}};
    UCsvSources::TFrame frame;
    UCsvImport::TImportOptions options;
    options.Analysis = request.Analysis;
    UCsvImport::TSeries series;
    TImportProblem problem;
    std::string error;
    if (!UCsvSources::BuildFrame(request, frame, problem) ||
        !UCsvSources::FrameOptions(frame, options, error) ||
        !UCsvImport::ReadSeries(frame.Table, options, series, error))
        return 0;
    if (series.Seconds.size() != frame.Table.RowCount())
        std::abort();
    UCsvSeasons::TSeasonBounds bounds;
    if (!UCsvSeasons::ParseSeason(seasons[(choice >> 3) & 3], bounds, error))
        std::abort();
    UCsvSeasons::TSeasons taken;
    if (!UCsvSeasons::SplitSeasons(frame.Table, options, series, bounds, (choice & 32) ? 10 : 0,
                                   taken, error))
        return 0;
    for (const UCsvSeasons::TSeasonFile &season : taken.Files)
        fuzz::CheckImported(season.Result, options.Analysis, 1);
    return 0;
}
