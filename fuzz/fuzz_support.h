// What the fuzz targets share: a private working directory that every input is written
// into, quiet diagnostics, and a way to report a broken property as a crash.
#ifndef SETUP_FUZZ_SUPPORT_H
#define SETUP_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Makes a fresh directory, changes into it and removes it again at exit, so that the
// readers find their files by the plain names they use in a real installation.
void enter_private_dir();

// Sends the program's own reports to /dev/null (unless FUZZ_VERBOSE is set); the
// sanitizers and the fuzzer write to the real standard error all the same.
void silence_program_diagnostics();

// Writes `data` as the file `name` in the current directory.
void write_input(const char *name, std::string_view data);

// The whole content of `name`; empty when it cannot be read.
std::string read_whole(const char *name);

// Stops with a report when a property does not hold, so that the fuzzer keeps the input.
void require(bool holds, const char *property);

inline std::string_view as_text(const uint8_t *data, size_t size) {
    return std::string_view(reinterpret_cast<const char *>(data), size);
}

#endif
