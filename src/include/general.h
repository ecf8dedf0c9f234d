// Text helpers shared by every reader and writer: word splitting, line trimming,
// lasting string copies, and the comment-marker cutters used by the switcher.
#ifndef SETUP_GENERAL_H
#define SETUP_GENERAL_H

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>
#include <sys/types.h>

// Cuts `string` at its first space and returns the text after it; without a space,
// returns the (empty) terminator. Returns null for an empty string.
char *next_parm(char *string);

// The blanks that end a line: line feeds, carriage returns and spaces.
inline bool is_trailing_blank(char c) { return c == '\n' || c == '\r' || c == ' '; }

// Removes trailing line feeds, carriage returns and spaces in place.
void chomp(char *string);

// The line without its trailing line feeds, carriage returns and spaces; NUL bytes are
// ordinary bytes here.
std::string_view without_trailing_blanks(std::string_view line);

// A heap copy that lives as long as the caller keeps it; an exhausted heap is fatal.
char *NewString(const char *string);

// Closes a stdio stream when its owner goes out of scope.
struct FileCloser {
    void operator()(FILE *fp) const { fclose(fp); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

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

// Cuts `string` where its first comment opener ("<!" with at least five characters from
// there to the end) begins; returns the text after the opener's five characters, or the
// empty terminator when there is no opener.
char *xml_pre_chomp_comment(char *string);

// Cuts `string` before its comment closer (and one blank in front of it); returns the
// text after the closer, or the empty terminator when there is none.
char *xml_chomp_comment(char *string);

#endif
