#pragma once

#include "files/UDMQuellow.h"

#include <string>
#include <vector>

namespace quellow {

class TPrompts;

/// The input file (".inp") in memory. TDMQuellow::WriteInputFile and ReadInputFile are thin
/// wrappers around these; the analysis and prediction runs read the same layout by line position.
///
/// Layout: lines 1-10 are common (mode line, titles, " Filename: ", the three dead-storage
/// parameters after 23 label characters); analysis rows start on line 15, prediction rows on
/// line 24 (line 21 in the older prediction layout without A2, B2 and the runoff division).
/// Line positions, label widths and label texts are in files/UInputLayout.h, shared with the
/// runs' readers.

/// The whole input file text for dm and values, CR LF after every line. Returns false (text
/// undefined) when a row cannot be written: a per-row array shorter than NrOfData or a value
/// that is not a finite number.
bool InputFileText(const TDMQuellow &dm, const TModelValues &values, std::string &text);

/// The text of line 2 for the mode: " Analysis and reconstruction", " Prediction drainage" or
/// " Prediction runoff".
std::string ModeLine(const TDMQuellow &dm);

/// Mode of an input file found from its second line.
enum class TInputMode { Unknown, Analysis, PredictionRunoff, PredictionDrainage };

/// Reads line 2 the way the reader does: its first four characters " Ana" or " Pre"; for a
/// prediction, characters 13 to 15 "dra" mean drainage.
TInputMode ModeOfLine(const std::string &line2);

/// Loads the lines of the input file path through readTextFile. On failure shows the message
/// (missing, a folder, too large, not a text file) and returns false.
bool LoadInputLines(const std::string &path, std::vector<std::string> &lines);
/// The same with the message shown through prompts (nullptr: not shown).
bool LoadInputLines(const std::string &path, std::vector<std::string> &lines, TPrompts *prompts);

/// The message for a file whose second line begins with neither " Ana" nor " Pre".
std::string NotAnInputFileMessage(const std::string &path);

/// The message for a file that cannot be opened (read) or created (write).
std::string CannotOpenText(const std::string &path);

/// The message for a number that cannot be read (shown through ShowProgramError).
std::string CorruptNumbersText(const std::string &path);

/// The warning for a prediction file of the older layout (no A2, B2 and runoff division).
std::string OutdatedLayoutText();

/// The alpha function as a prediction input file holds it: A1, B1, A2 and B2 to five
/// significant digits, the divide to two decimals (RSquare as given).
TModelValues AlphaAsWritten(const TModelValues &values);
/// A storage, escape rate, initial runoff or level as the input file holds it.
double ParameterAsWritten(double value);
/// A time, rain, escape rate or runoff of a row as the input file holds it.
double RowValueAsWritten(double value);

/// True when the lines are a prediction file of the older layout: where A2 is looked for
/// stands the porosity line (no number after 18 characters, one after 26), and line 17 is
/// the empty line before the table.
bool IsOutdatedPredictionLayout(const std::vector<std::string> &lines);

/// Reads the lines of an input file into dm and values, which the caller passes as copies and
/// takes over only when true is returned. fileName is named in the messages. Warnings (escape
/// rates, outdated layout, negative evaporation) are shown as they are met; a failure shows
/// its message and returns false.
bool ParseInputFile(const std::vector<std::string> &lines, const std::string &fileName,
                    TDMQuellow &dm, TModelValues &values);

} // namespace quellow
