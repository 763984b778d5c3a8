#include "charts/UValidationCharts.h"
#include "cli/chart/CliChart.h"
#include "calibration/UValidationFiles.h"

#include <QApplication>

#include <iostream>
#include <iterator>
#include <memory>

namespace quellow::cli {

int DrawValidationPictures(const TArgs &args)
{
    if (args.size() != 1) {
        std::cerr << "quellow-cli-chart --validation-pictures DIR reads the pictures' data from "
                     "standard input.\n";
        return 2;
    }
    const std::string text{std::istreambuf_iterator<char>(std::cin),
                           std::istreambuf_iterator<char>()};
    UValidation::TValidation v;
    std::vector<UValidationFiles::TDot> dots;
    if (!UValidationFiles::ReadPictureData(text, v, dots)) {
        std::cerr << "The data of the validation's pictures do not read.\n";
        return 1;
    }
    // Charts are widgets' graphics items: they need a QApplication, offscreen without a display.
    const TQtArgs qt = PrepareQt();
    QApplication application(qt.Argc, qt.Argv);
    std::string error;
    if (!UValidationCharts::SaveFiles(v, dots, args[0], error)) {
        std::cerr << error << '\n';
        return 1;
    }
    return 0;
}

} // namespace quellow::cli
