#pragma once

#include <string>
#include <vector>

/// The names of the files a command writes, derived from the file it reads, and the check that
/// none of them replaces a file the command reads or another file it writes itself.
namespace quellow::UOutputNames {

/// FILE.out: the output file of a run of the input file FILE.inp (any extension replaced).
std::string OutputName(const std::string &input);
/// FILE.dat: the trend file of an analysis of FILE.inp.
std::string TrendName(const std::string &input);
/// FILE.inp: the input file a run of input files its results for.
std::string InputName(const std::string &input);
/// FILE-calibrated.inp beside FILE.inp.
std::string CalibratedName(const std::string &input);

/// DIR/NAME-YEAR.inp for the season of YEAR of an import to DIR/NAME.inp.
std::string SeasonName(const std::string &output, int year);

/// path made absolute and lexically normal; path itself when that fails.
std::string AbsolutePath(const std::string &path);
/// a and b name the same file, whether it exists or not.
bool SamePath(const std::string &a, const std::string &b);

/// A file a command reads or writes, with what it is to the command ("input file").
struct TNamedFile
{
    std::string Role;
    std::string Path;
};

/// The files a run of the input file writes: its output file and, for an analysis, its trend
/// file.
std::vector<TNamedFile> RunOutputs(const std::string &input, bool analysis);

/// The message for a command that would write one of writes over one of reads, or write one
/// file twice; empty when every name is free. The message names both files.
std::string Collision(const std::vector<TNamedFile> &reads, const std::vector<TNamedFile> &writes);

} // namespace quellow::UOutputNames
