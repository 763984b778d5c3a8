#include "cli/CliCommands.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <string>
#include <csignal>
#include <sys/wait.h>
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

/// program followed by args, as execv takes them (the strings must outlive the vector).
std::vector<char *> argumentVector(const std::string &program, const TArgs &args)
{
    std::vector<char *> argv{const_cast<char *>(program.c_str())};
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

} // namespace

/// Charts need the drawing libraries, which every other command does without: they are drawn by
/// a program of their own beside this one, which takes over this process with the same
/// arguments, standard streams and exit status.
int ChartCommand(const TArgs &args)
{
    const std::string helper = ownFolder() + ChartProgramName;
    std::vector<char *> argv = argumentVector(helper, args);
    execv(helper.c_str(), argv.data());
    const int error = errno;
    std::cerr << "quellow-cli chart: the chart program \"" << helper
              << "\" could not be started: " << std::strerror(error) << '\n';
    return 1;
}

bool RunChartProgram(const TArgs &args, const std::string &input)
{
    const std::string helper = ownFolder() + ChartProgramName;
    std::vector<char *> argv = argumentVector(helper, args);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return false;
    }
    if (child == 0) {
        dup2(pipeEnds[0], STDIN_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(helper.c_str(), argv.data());
        const int error = errno;
        std::cerr << "The chart program \"" << helper
                  << "\" could not be started: " << std::strerror(error) << '\n';
        _exit(127);
    }
    close(pipeEnds[0]);
    // A program that ends before it has read everything must not end this one.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    std::size_t written = 0;
    while (written < input.size()) {
        const ssize_t n = write(pipeEnds[1], input.data() + written, input.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    close(pipeEnds[1]);
    std::signal(SIGPIPE, previous);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace quellow::cli
