#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

static std::string private_dir;
static FILE *real_stderr = stderr;

static void remove_private_dir() {
    DIR *dir = opendir(private_dir.c_str());
    if (!dir) return;
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") unlink((private_dir + "/" + name).c_str());
    }
    closedir(dir);
    rmdir(private_dir.c_str());
}

void enter_private_dir() {
    const char *base = getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/setup-fuzz-XXXXXX";
    if (!mkdtemp(templ.data()) || chdir(templ.c_str()) != 0) {
        perror("setup-fuzz: private directory");
        abort();
    }
    private_dir = templ;
    atexit(remove_private_dir);
}

void silence_program_diagnostics() {
    if (getenv("FUZZ_VERBOSE")) return;
    // The program writes through stdio's stderr; the fuzzer and the sanitizers keep
    // their own handle on descriptor 2, so only the program goes quiet.
    if (FILE *null = fopen("/dev/null", "w")) stderr = null;
}

void write_input(const char *name, std::string_view data) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    require(static_cast<bool>(out.flush()), "the input file can be written");
}

std::string read_whole(const char *name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void require(bool holds, const char *property) {
    if (holds) return;
    fprintf(real_stderr, "property broken: %s\n", property);
    abort();
}
