#include "cli/CliValidationTable.h"
#include "cli/CliBatch.h"
#include "calibration/UValidationFiles.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <iostream>

namespace quellow::cli {

namespace {

using UValidationFiles::FigureText;

/// A line of the table: the label, then the columns, each right-aligned in its width.
std::string tableLine(int width, const std::string &label, const std::vector<std::string> &cells,
                      const std::string &status)
{
    static const int widths[] = {5, 7, 7, 8, 7, 7, 7, 7, 7};
    std::string line = printfText("%-*s", width, label.c_str());
    for (std::size_t i = 0; i < cells.size() && i < std::size(widths); ++i)
        line += printfText(" %*s", widths[i], cells[i].c_str());
    return line + "  " + status + "\n";
}

std::string csvFigure(bool defined, double value)
{
    return defined ? shortestText(value) : std::string();
}

} // namespace

std::string ValidationTable(const std::vector<TValidationRow> &rows,
                            const TValidationLayout &layout)
{
    std::size_t labelWidth = 4;
    for (const TValidationRow &r : rows)
        labelWidth = std::max(labelWidth, r.Label.size());
    const int w = static_cast<int>(std::min<std::size_t>(labelWidth, 60));
    std::vector<std::string> heads = {"rows",  "NSE",  "KGE",  "volume%",
                                      "start", "self", "mean", "recess"};
    if (layout.Band)
        heads.push_back("cover");
    std::string t = tableLine(w, layout.LabelHeader, heads, "status");
    for (const TValidationRow &r : rows) {
        if (!r.Validated()) {
            t += tableLine(w, r.Label, std::vector<std::string>(heads.size(), "-"), r.Message);
            continue;
        }
        const TSkill &s = r.Skill;
        std::vector<std::string> cells = {std::to_string(r.Rows),
                                          FigureText(s.Valid, s.Fit.NSE),
                                          FigureText(s.Valid, s.Fit.KGE),
                                          FigureText(s.Valid, s.Fit.VolumeError, "%.1f"),
                                          FigureText(r.Start.Defined, r.Start.Fit.NSE),
                                          FigureText(r.Self.Defined, r.Self.Fit.NSE),
                                          FigureText(r.Mean.Defined, r.Mean.Fit.NSE),
                                          FigureText(r.Recession.Defined, r.Recession.Fit.NSE)};
        if (layout.Band)
            cells.push_back(
                FigureText(r.Band && r.Band->Made, r.Band ? r.Band->Coverage : 0, "%.3f"));
        t += tableLine(w, r.Label, cells, r.Status);
    }
    return t + layout.Note + "\n";
}

std::string ValidationCsv(const std::vector<TValidationRow> &rows, const TValidationLayout &layout)
{
    std::string csv;
    for (const std::string &column : layout.LeadColumns)
        csv += column + ",";
    csv += "status,rows,NSE,KGE,LogNSE,VolumeError";
    for (const char *b : {"start", "self", "mean", "recession"})
        for (const char *f : {"NSE", "KGE", "VolumeError"})
            csv += std::string(",") + b + "_" + f;
    csv += layout.Band ? ",band_sets,coverage,width,message\r\n" : ",message\r\n";
    for (const TValidationRow &r : rows) {
        const bool ok = r.Validated();
        const TSkill &s = r.Skill;
        const bool fit = ok && s.Valid;
        for (const std::string &field : r.Lead)
            csv += csvField(field) + ",";
        csv += r.Status + "," + (ok ? std::to_string(r.Rows) : "") + "," +
               csvFigure(fit, s.Fit.NSE) + "," + csvFigure(fit, s.Fit.KGE) + "," +
               csvFigure(fit && s.LogValid, s.LogNSE) + "," + csvFigure(fit, s.Fit.VolumeError);
        for (const UValidation::TBenchmark *b : {&r.Start, &r.Self, &r.Mean, &r.Recession})
            csv += "," + csvFigure(b->Defined, b->Fit.NSE) + "," +
                   csvFigure(b->Defined, b->Fit.KGE) + "," +
                   csvFigure(b->Defined, b->Fit.VolumeError);
        if (layout.Band) {
            const UValidation::TBand band = r.Band ? *r.Band : UValidation::TBand();
            csv += "," + (band.Made ? std::to_string(band.Sets) : std::string()) + "," +
                   csvFigure(band.Made, band.Coverage) + "," +
                   csvFigure(band.Made && band.WidthDefined, band.Width);
        }
        csv += "," + csvField(ok ? std::string() : r.Message) + "\r\n";
    }
    return csv;
}

bool SummaryFileIsFree(const std::vector<std::string> &inputs, const std::string &csvFile)
{
    std::vector<UOutputNames::TNamedFile> reads;
    for (const std::string &f : inputs)
        reads.push_back({"input file", UOutputNames::AbsolutePath(f)});
    const std::string collision =
        UOutputNames::Collision(reads, {{"summary file", UOutputNames::AbsolutePath(csvFile)}});
    if (collision.empty())
        return true;
    std::cerr << collision << '\n';
    return false;
}

bool WriteSummaryFile(const std::string &csvFile, const std::string &csv)
{
    if (writeFileAtomically(csvFile, csv))
        return true;
    std::cerr << "The summary file \"" << csvFile << "\" could not be written.\n";
    return false;
}

} // namespace quellow::cli
