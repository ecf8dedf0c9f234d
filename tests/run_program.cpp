#include "run_program.h"

#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

static void start_child(const std::string &binary, const std::string &cwd,
                        std::vector<std::string> argv_strings, int stderr_fd) {
    int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    dup2(stderr_fd, 2);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    std::vector<char *> argv;
    for (std::string &arg : argv_strings) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
}

ProgramResult run_program(const std::string &binary, const std::string &argv0,
                          const std::string &cwd, const std::vector<std::string> &args) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> argv_strings{argv0};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) start_child(binary, cwd, argv_strings, fds[1]);
    close(fds[1]);

    ProgramResult result{-1, ""};
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        result.stderr_text.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}
