#include "files/UFileUtil.h"
#include "tasks/UTaskPool.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quellow {

std::vector<std::string> splitLines(std::string_view text)
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

TReadStatus readWholeFile(const std::string &path, std::string &content, std::size_t maxBytes)
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

TReadStatus readTextFile(const std::string &path, std::vector<std::string> &lines,
                         std::size_t maxBytes)
{
    std::string content;
    const TReadStatus status = readWholeFile(path, content, maxBytes);
    if (status == TReadStatus::Ok)
        lines = splitLines(content);
    return status;
}

namespace {

/// Creates a new, empty file beside target under a name no other writer uses (process id and a
/// counter; a name left by an earlier process is skipped), with the mode 0666 that the umask
/// then narrows as for any new file. path receives the name.
int createTemporaryFile(const std::filesystem::path &target, std::string &path)
{
    static std::atomic<unsigned long> counter{0};
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%ld.%lu", static_cast<long>(::getpid()),
                      counter.fetch_add(1));
        path = (folder / ("." + target.filename().string() + suffix)).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, std::string_view content)
{
    const char *p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

bool writeFileAtomically(const std::string &path, std::string_view content)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return false;
    std::string temporary;
    const int fd = createTemporaryFile(path, temporary);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    if (::close(fd) != 0)
        ok = false;
    if (ok)
        ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

namespace {

/// fsync of every descriptor, from several threads at once: the file system commits flushes
/// that wait together in one journal commit, where one after the other each waits for its own.
/// The threads wait on the disk, not on a core: up to 16 whatever the machine.
/// Returns the index of a descriptor whose flush failed, or -1.
int flushAll(const std::vector<int> &fds)
{
    std::atomic<int> failed{-1};
    UTaskPool::TTaskPool pool(static_cast<int>(std::clamp<std::size_t>(fds.size(), 1, 16)));
    pool.forEach(static_cast<int>(fds.size()), [&](int k, int) {
        if (::fsync(fds[static_cast<std::size_t>(k)]) != 0)
            failed = k;
    });
    return failed.load();
}

} // namespace

bool writeFilesAtomically(const std::vector<std::pair<std::string, std::string>> &files,
                          std::string &failed)
{
    std::vector<std::string> temporaries;
    std::vector<int> fds;
    const auto closeAll = [&fds] {
        bool ok = true;
        for (int fd : fds)
            ok = ::close(fd) == 0 && ok;
        fds.clear();
        return ok;
    };
    const auto removeAll = [&] {
        closeAll();
        for (const std::string &t : temporaries)
            ::unlink(t.c_str());
    };
    // Every file is written and flushed beside its name before any name is replaced; a batch of
    // files at a time keeps the number of open descriptors small.
    constexpr std::size_t batch = 128;
    for (std::size_t first = 0; first < files.size(); first += batch) {
        const std::size_t end = std::min(files.size(), first + batch);
        for (std::size_t k = first; k < end; ++k) {
            const std::string &path = files[k].first;
            std::error_code error;
            std::string temporary;
            const int fd = std::filesystem::is_directory(path, error)
                               ? -1
                               : createTemporaryFile(path, temporary);
            if (fd >= 0) {
                temporaries.push_back(temporary);
                fds.push_back(fd);
            }
            if (fd < 0 || !writeAll(fd, files[k].second)) {
                removeAll();
                failed = path;
                return false;
            }
        }
        if (const int k = flushAll(fds); k >= 0 || !closeAll()) {
            removeAll();
            failed = files[first + static_cast<std::size_t>(std::max(k, 0))].first;
            return false;
        }
    }
    for (std::size_t k = 0; k < temporaries.size(); ++k)
        if (std::rename(temporaries[k].c_str(), files[k].first.c_str()) != 0) {
            for (std::size_t rest = k; rest < temporaries.size(); ++rest)
                ::unlink(temporaries[rest].c_str());
            failed = files[k].first;
            return false;
        }
    return true;
}

std::string changeFileExt(const std::string &path, std::string_view ext)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExt ? path.substr(0, dot) : path) + std::string(ext);
}

bool fileExists(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace quellow
