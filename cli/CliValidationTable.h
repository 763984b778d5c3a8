#pragma once

#include "calibration/UValidation.h"
#include "runs/UFitMeasures.h"
#include "reports/UReports.h"

#include <string>
#include <vector>

namespace quellow::cli {

/// One row of a table of validations: a pair of validate --chain, a window of validate
/// --leave-one-out.
struct TValidationRow
{
    std::string Label;             ///< the table's first column
    std::vector<std::string> Lead; ///< the first fields of the CSV row (the files)
    std::string Status = "failed"; ///< "validated", "failed" or "skipped"
    std::string Message;           ///< why it was not validated
    int Rows = 0;                  ///< scored rows
    TSkill Skill;                  ///< the validated simulation's figures
    UValidation::TBenchmark Start, Self, Mean, Recession;
    const UValidation::TBand *Band = nullptr; ///< a table with bands: the row's band
    bool Validated() const { return Status == "validated"; }
};

/// A row with the figures of a validation (UValidation::TValidation, or a window of
/// UJointValidation::TValidation): its message, scored rows, skill and benchmarks.
template <class TFigures> TValidationRow FiguresRow(const TFigures &v)
{
    TValidationRow row;
    row.Message = v.Message;
    row.Rows = v.Rows;
    row.Skill = v.Validation.Skill;
    row.Start = v.Start;
    row.Self = v.Self;
    row.Mean = v.Mean;
    row.Recession = v.Recession;
    return row;
}

/// What a table of validations shows beside its rows.
struct TValidationLayout
{
    std::string LabelHeader;              ///< the heading of the first column
    std::vector<std::string> LeadColumns; ///< the names of the CSV's first columns
    bool Band = false;                    ///< a cover column, and the band's CSV columns
    std::string Note;                     ///< the line below the table
};

/// The rows as a table for people: rows, NSE, KGE and volume error of the validation, the NSE
/// of each benchmark (and the band's cover), the status or the reason it failed.
std::string ValidationTable(const std::vector<TValidationRow> &rows,
                            const TValidationLayout &layout);

/// The rows as CSV: the lead columns, status, rows, NSE, KGE, LogNSE, VolumeError, the NSE, KGE
/// and VolumeError of each benchmark (start_NSE ... recession_VolumeError), with bands
/// band_sets, coverage and width, then message (CR LF, figures at full precision).
std::string ValidationCsv(const std::vector<TValidationRow> &rows, const TValidationLayout &layout);

/// A benchmark as JSON: {"NSE", "KGE", "VolumeError"}, null where it is not defined.
using UReports::BenchmarkJson;

/// False, with a line on standard error, when the summary file csvFile would be written over
/// one of the files read.
bool SummaryFileIsFree(const std::vector<std::string> &inputs, const std::string &csvFile);

/// Writes the summary file; false, with a line on standard error, when it could not be written.
bool WriteSummaryFile(const std::string &csvFile, const std::string &csv);

} // namespace quellow::cli
