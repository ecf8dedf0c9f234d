#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <limits.h>
#include <stdexcept>
#include <unistd.h>

static int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
    return remove(path);
}

TempDir::TempDir() {
    const char *base = getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/setup-test-XXXXXX";
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir() { nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

ScopedChdir::ScopedChdir(const std::string &dir) {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) throw std::runtime_error("getcwd failed");
    previous_ = buffer;
    if (chdir(dir.c_str()) != 0) throw std::runtime_error("chdir failed: " + dir);
}

ScopedChdir::~ScopedChdir() {
    if (chdir(previous_.c_str()) != 0) abort();
}

void write_file(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
