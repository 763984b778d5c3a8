#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quellow {

/// Largest text file any reader takes in whole (input, output, trend files are far smaller).
inline constexpr std::size_t MaxTextFileBytes = 8u << 20;

enum class TReadStatus {
    Ok,
    CannotOpen, ///< missing, a folder, no permission
    TooLarge,   ///< larger than the limit
    Binary      ///< holds NUL bytes: not a text file
};

/// Splits text into lines. A line ends with CR LF, LF or a lone CR; the line end is not kept.
/// A last line without a line end counts; a final line end does not start another line.
std::vector<std::string> splitLines(std::string_view text);

/// Reads a whole text file into lines (see splitLines), refusing files over maxBytes
/// without reading them whole. lines is only assigned on success.
TReadStatus readTextFile(const std::string &path, std::vector<std::string> &lines,
                         std::size_t maxBytes = MaxTextFileBytes);

/// Reads a whole file into a string, with the same checks as readTextFile.
TReadStatus readWholeFile(const std::string &path, std::string &content,
                          std::size_t maxBytes = MaxTextFileBytes);

/// Writes content to path atomically: a temporary file in the same folder, flushed, then
/// renamed over the old file. On failure the old file is untouched, the temporary file is
/// removed, and false is returned. The new file gets the permissions of any new file (0666
/// less the umask). Safe to call from several threads at once: no process-wide state is touched.
bool writeFileAtomically(const std::string &path, std::string_view content);

/// Writes several files as writeFileAtomically does, as one: every content goes to a temporary
/// file beside its path and is flushed to the disk, and only when every file was written are
/// they renamed over their names. On failure failed names the file that could not
/// be written, every temporary file is removed and no file was replaced (a rename that fails
/// after others succeeded is the one exception, and is reported in failed).
bool writeFilesAtomically(const std::vector<std::pair<std::string, std::string>> &files,
                          std::string &failed);

/// path with the extension of its last component replaced by ext (which includes the dot);
/// a path without extension gets ext appended.
std::string changeFileExt(const std::string &path, std::string_view ext);

/// True when path names an existing regular file.
bool fileExists(const std::string &path);

} // namespace quellow
