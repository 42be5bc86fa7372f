#include "tests/support/tool_run.h"

#if !defined(_WIN32)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "tools/writer/demo_project.h"
#include "tools/writer/tone_file.h"

namespace TessaroTest {

namespace {

struct Descriptor {
    int fd = -1;
    ~Descriptor() { reset(); }
    void reset(int to = -1) {
        if (fd >= 0) ::close(fd);
        fd = to;
    }
};

// A pseudo-terminal in raw mode (no line-end translation), 120 columns wide; the child gets
// the terminal side.
void openTerminal(Descriptor& parentSide, Descriptor& childSide) {
    parentSide.reset(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (parentSide.fd < 0 || grantpt(parentSide.fd) != 0 || unlockpt(parentSide.fd) != 0)
        throw std::runtime_error("no pseudo-terminal");
    childSide.reset(::open(ptsname(parentSide.fd), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (childSide.fd < 0) throw std::runtime_error("cannot open the pseudo-terminal");
    termios mode{};
    tcgetattr(childSide.fd, &mode);
    cfmakeraw(&mode);
    tcsetattr(childSide.fd, TCSANOW, &mode);
    winsize size{};
    size.ws_col = 120;
    size.ws_row = 24;
    ioctl(childSide.fd, TIOCSWINSZ, &size);
}

void openPipe(Descriptor& parentSide, Descriptor& childSide) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    parentSide.reset(fds[0]);
    childSide.reset(fds[1]);
}

}  // namespace

ToolRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const ToolRunOptions& options) {
    Descriptor outRead, outWrite, errRead, errWrite;
    openPipe(outRead, outWrite);
    if (options.standardError == ToolRunOptions::StandardError::Terminal)
        openTerminal(errRead, errWrite);
    else
        openPipe(errRead, errWrite);

    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    // The child's environment, made here: after fork only exec is called.
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool dropped = false;
        for (const auto& u : options.unset) dropped = dropped || u == name;
        for (const auto& set : options.environment) dropped = dropped || set.first == name;
        if (!dropped) environment.push_back(entry);
    }
    for (const auto& [name, value] : options.environment) environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("cannot start a process");
    if (child == 0) {
        // Only calls that are safe after fork, up to exec.
        const int in = ::open("/dev/null", O_RDONLY);
        if (in < 0 || dup2(in, 0) < 0 || dup2(outWrite.fd, 1) < 0 || dup2(errWrite.fd, 2) < 0)
            _exit(127);
        if (!options.folder.empty() && chdir(options.folder.c_str()) != 0) _exit(127);
        for (const auto& [resource, value] : options.limits) {
            const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
            // glibc types the resource as an enum of its own.
            if (setrlimit(static_cast<decltype(RLIMIT_NOFILE)>(resource), &limit) != 0) _exit(127);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    outWrite.reset();
    errWrite.reset();

    ToolRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.seconds);
    bool killed = false;
    pollfd fds[2] = {{outRead.fd, POLLIN, 0}, {errRead.fd, POLLIN, 0}};
    std::string* into[2] = {&run.out, &run.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(child, SIGKILL);
            killed = true;
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            // A terminal whose other side closed reads as an error (EIO), a pipe as the end.
            if (n > 0)
                into[i]->append(buffer, static_cast<std::size_t>(n));
            else
                fds[i].fd = -1;
        }
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = !killed && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

ToolRun runTool(const std::vector<std::string>& args, const ToolRunOptions& options) {
    return runProgram(TESSARO_IMPORT_TOOL, args, options);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::filesystem::path writeDemoProject(const std::filesystem::path& folder,
                                       const std::string& name) {
    const auto file = folder / name;
    if (!TessaroWriter::demoProject().writeTo(file) || !TessaroWriter::writeDemoWaveFiles(folder))
        throw std::runtime_error("cannot write the demo into " + folder.string());
    return file;
}

}  // namespace TessaroTest

#endif
