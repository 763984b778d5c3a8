// quellow-cli-chart: the chart command of quellow-cli, a program of its own so that the other
// commands start without the drawing libraries. quellow-cli chart ARGS runs it as
// quellow-cli-chart ARGS.
#include "cli/chart/CliChart.h"
#include "cli/CliLocale.h"

#include <string>

int main(int argc, char **argv)
{
    quellow::cli::StartProgram();
    if (argc > 1 && std::string(argv[1]) == quellow::cli::ValidationPicturesOption)
        return quellow::cli::DrawValidationPictures(quellow::cli::TArgs(argv + 2, argv + argc));
    return quellow::cli::DrawChartCommand(quellow::cli::TArgs(argv + 1, argv + argc));
}
