// Checked low-level file input and output, and the replacement of a user's file that
// leaves it, at every instant, holding either its whole old text or its whole new text.
#ifndef SETUP_REPLACE_H
#define SETUP_REPLACE_H

#include <cstddef>
#include <string>
#include <sys/types.h>

// Owns a file descriptor and closes it on scope exit; for the error paths, where the
// result of close no longer matters. Successful paths close with `close_checked`.
struct unique_fd {
    int fd = -1;
    explicit unique_fd(int descriptor = -1) : fd(descriptor) {}
    unique_fd(const unique_fd &) = delete;
    unique_fd &operator=(const unique_fd &) = delete;
    ~unique_fd();
    explicit operator bool() const { return fd >= 0; }
};

// Closes the descriptor and reports whether the close, and so the last writes, succeeded.
bool close_checked(unique_fd &file);

// read(2) that retries after signals: the number of bytes read, 0 at the end, -1 on error.
ssize_t read_some(int fd, char *buffer, size_t size);

// Writes all of `data`; false on any failure, a short write included.
bool write_all(int fd, const char *data, size_t size);

enum class replace_result {
    replaced,     // the target holds the new text
    cannot_write, // the target keeps its old text
    cannot_read,  // the source ended early or failed; the target keeps its old text
};

// Gives `target` the next `size` bytes of `source` as its new text. A symbolic link is
// followed and stays; the file keeps its permission bits and, where allowed, its owner.
// A target that the user may not write is left alone.
replace_result replace_contents(const std::string &target, int source, off_t size);

#endif
