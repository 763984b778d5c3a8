#pragma once

#include "import/UCsvSeasons.h"
#include "import/UImportProblem.h"

#include <string>

/// The import's problems and notes in the command line's terms: its options by their flags.
namespace quellow::cli {

/// Where a unit or area given on the command line comes from, as the import's notes name it.
inline constexpr const char *GivenOnCommandLine = "the command line";

/// A problem of the import as the command line words it ("--columns: the file has no column
/// "X" (date).").
std::string ImportProblemText(const TImportProblem &problem);

/// How to leave the seasons' spin-up out of a validation's score; empty without a spin-up.
std::string SpinupNote(const UCsvSeasons::TSeasons &seasons);

} // namespace quellow::cli
