#pragma once

#include <string_view>

namespace quellow::cli {

/// The decimal separator, '.' or ',', of a locale named as in LANG ("de_DE.UTF-8",
/// "sr_RS@latin", "C"): the one the window's toolkit gives the same name, so that the command
/// line and the window write the same files. Unknown languages have a full stop.
char LocaleDecimalSeparator(std::string_view name);

/// The separator of the user's numeric locale: LC_ALL, else LC_NUMERIC, else LANG.
char SystemDecimalSeparator();

/// What the command-line programs do first: their messages go to standard error, the data
/// module is made, and numbers are written with the separator the window has under the same
/// locale (the divide of an analysis output is written with it, so both write the same file).
void StartProgram();

} // namespace quellow::cli
