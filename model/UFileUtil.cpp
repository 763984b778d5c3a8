#include "model/UFileUtil.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quellow {

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    // Counting first keeps a long file from doubling the vector while it grows.
    std::size_t count = 1;
    for (std::size_t i = 0; i < text.size(); ++i)
        count +=
            text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    lines.reserve(count);
    std::size_t start = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(text.substr(start));
    return lines;
}

TReadStatus ReadWholeFile(const std::string &path, std::string &content, std::size_t maxBytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return TReadStatus::CannotOpen;
    // A file that says it is too large is refused before a byte is read; the loop below
    // still stops at the limit should the file grow meanwhile.
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > maxBytes)
        return TReadStatus::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return TReadStatus::CannotOpen;
    std::string data;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        const auto got = static_cast<std::size_t>(in.gcount());
        if (data.size() + got > maxBytes)
            return TReadStatus::TooLarge;
        data.append(buffer, got);
    }
    if (in.bad())
        return TReadStatus::CannotOpen;
    if (data.find('\0') != std::string::npos)
        return TReadStatus::Binary;
    content = std::move(data);
    return TReadStatus::Ok;
}

TReadStatus ReadTextFile(const std::string &path, std::vector<std::string> &lines,
                         std::size_t maxBytes)
{
    std::string content;
    const TReadStatus status = ReadWholeFile(path, content, maxBytes);
    if (status == TReadStatus::Ok)
        lines = SplitLines(content);
    return status;
}

bool WriteFileAtomically(const std::string &path, std::string_view content)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(path, error))
        return false;
    const fs::path target(path);
    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    bool ok = true;
    const char *p = content.data();
    std::size_t left = content.size();
    while (ok && left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok) {
        // Keep the usual permissions of a new file rather than mkstemp's 0600.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(pattern.c_str(), 0666 & ~mask);
        ok = std::rename(pattern.c_str(), path.c_str()) == 0;
    }
    if (!ok)
        ::unlink(pattern.c_str());
    return ok;
}

std::string ChangeFileExt(const std::string &path, std::string_view ext)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExt ? path.substr(0, dot) : path) + std::string(ext);
}

bool FileExists(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace quellow
