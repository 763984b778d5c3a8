#include "cli/CliCommands.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quellow::cli {

namespace {

/// The folder of the running program, from /proc; empty when it cannot be read.
std::string ownFolder()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    const std::string path(buffer, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

/// Charts need the drawing libraries, which every other command does without: they are drawn by
/// a program of their own beside this one, which takes over this process with the same
/// arguments, standard streams and exit status.
int ChartCommand(const TArgs &args)
{
    const std::string helper = ownFolder() + ChartProgramName;
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(helper.c_str()));
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execv(helper.c_str(), argv.data());
    const int error = errno;
    std::cerr << "quellow-cli chart: the chart program \"" << helper
              << "\" could not be started: " << std::strerror(error) << '\n';
    return 1;
}

} // namespace quellow::cli
