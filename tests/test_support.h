// Small helpers shared by the tests: throwaway directories and whole-file reads and writes.
#ifndef SETUP_TEST_SUPPORT_H
#define SETUP_TEST_SUPPORT_H

#include <string>

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Changes the current directory for the lifetime of the object.
class ScopedChdir {
  public:
    explicit ScopedChdir(const std::string &dir);
    ~ScopedChdir();
    ScopedChdir(const ScopedChdir &) = delete;
    ScopedChdir &operator=(const ScopedChdir &) = delete;

  private:
    std::string previous_;
};

void write_file(const std::string &path, const std::string &content);
std::string read_file(const std::string &path);

#endif
