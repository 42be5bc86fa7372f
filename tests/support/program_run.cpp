#include "tests/support/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace TessaroTest {

namespace {

// Reads both pipes until the child has closed them; reading whichever is ready keeps a
// full pipe from stopping the child.
void drain(std::array<int, 2> fds, std::array<std::string*, 2> sinks) {
    std::array<pollfd, 2> polls{{{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (poll(polls.data(), polls.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (std::size_t i = 0; i < polls.size(); ++i) {
            if (polls[i].fd < 0 || polls[i].revents == 0) continue;
            const ssize_t n = read(polls[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(polls[i].fd);
                polls[i].fd = -1;  // poll passes over it from now on
                --open;
            }
        }
    }
    for (const auto& p : polls)
        if (p.fd >= 0) close(p.fd);
}

}  // namespace

ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args) {
    ProgramRun run;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        run.err = std::string("cannot make a pipe: ") + std::strerror(errno);
        return run;
    }
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        run.err = std::string("cannot make a pipe: ") + std::strerror(errno);
        close(outPipe[0]);
        close(outPipe[1]);
        return run;
    }

    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    pid_t pid = 0;
    const int started =
        posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (started != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        run.err = "cannot start " + words[0] + ": " + std::strerror(started);
        return run;
    }

    drain({outPipe[0], errPipe[0]}, {&run.out, &run.err});
    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid) return run;
    if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

ProgramRun runImportCommand(const std::vector<std::string>& args) {
    return runProgram(TESSARO_IMPORT_COMMAND, args);
}

}  // namespace TessaroTest
