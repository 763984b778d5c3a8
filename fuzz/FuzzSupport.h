#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quellow::UCsvImport {
struct TImportResult;
}

namespace quellow::fuzz {

/// Puts the program in its start state with messages dropped (readers report through prompts).
void FreshState();

/// Writes the fuzz input to a file of this process (in a private temporary folder) with the
/// given extension and returns its path. The folder is reused for the whole run.
std::string InputFile(const std::uint8_t *data, std::size_t size, const std::string &ext);

/// FreshState(), then the fuzz input as the data module's input file (".inp").
void FreshInputFile(const std::uint8_t *data, std::size_t size);

/// Aborts unless an imported series holds from minRows to the import's row limit of rows,
/// all four series as long, its times strictly rising, and an input file can hold it.
void CheckImported(const UCsvImport::TImportResult &result, bool analysis, std::size_t minRows);

} // namespace quellow::fuzz
