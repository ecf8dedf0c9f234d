// Starts the real executable the way a user's shell would, and collects what it reports.
#ifndef SETUP_RUN_PROGRAM_H
#define SETUP_RUN_PROGRAM_H

#include <string>
#include <vector>

struct ProgramResult {
    int status; // exit status, or 128 + signal number
    std::string stderr_text;
};

// Runs `binary` from directory `cwd` with `argv0` as its first argument, followed by
// `args`, with no display and standard input and output on /dev/null.
ProgramResult run_program(const std::string &binary, const std::string &argv0,
                          const std::string &cwd, const std::vector<std::string> &args = {});

#endif
