#include "general.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

char *next_parm(char *string) {
    if (*string == '\0') return nullptr;
    char *space = strchr(string, ' ');
    if (!space) return string + strlen(string);
    *space = '\0';
    return space + 1;
}

std::string_view without_trailing_blanks(std::string_view line) {
    while (!line.empty() && is_trailing_blank(line.back())) line.remove_suffix(1);
    return line;
}

void chomp(char *string) {
    size_t length = strlen(string);
    while (length > 0 && is_trailing_blank(string[length - 1])) string[--length] = '\0';
}

char *NewString(const char *string) {
    size_t size = strlen(string) + 1;
    char *copy = static_cast<char *>(malloc(size));
    if (!copy) {
        fputs("Out of Memory\n", stderr);
        exit(-1);
    }
    return static_cast<char *>(memcpy(copy, string, size));
}

char *xml_pre_chomp_comment(char *string) {
    size_t length = strlen(string);
    // The opener is taken to be five characters long ("<!--" and a blank), so only a "<!"
    // with five characters left counts; the three after "<!" are not checked.
    for (size_t i = 0; i + 5 <= length; ++i) {
        if (string[i] == '<' && string[i + 1] == '!') {
            string[i] = '\0';
            return string + i + 5;
        }
    }
    return string + length;
}

// Cuts before position `at`, and before one blank directly in front of it.
static void cut_before(char *string, size_t at) {
    if (at > 0 && string[at - 1] == ' ') string[at - 1] = '\0';
    string[at] = '\0';
}

char *xml_chomp_comment(char *string) {
    if (*string == '\0') return string;
    size_t length = strlen(string);
    if (length <= 4) return string + length;
    if (strcmp(string + length - 3, "-->") == 0) {
        cut_before(string, length - 3);
        return string + length - 3;
    }
    // Elsewhere a "-" with a ">" two places on counts as a closer, whatever lies between.
    for (size_t i = 0; i + 4 <= length; ++i) {
        if (string[i] == '-' && string[i + 2] == '>') {
            cut_before(string, i);
            string[i + 2] = '\0';
            return string + i + 3;
        }
    }
    return string + length;
}

unique_fd::~unique_fd() {
    if (fd >= 0) close(fd);
}

bool close_checked(unique_fd &file) {
    int fd = file.fd;
    file.fd = -1;
    return close(fd) == 0;
}

ssize_t read_some(int fd, char *buffer, size_t size) {
    ssize_t n;
    do n = read(fd, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

bool write_all(int fd, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}
