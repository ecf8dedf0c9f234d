#include "general.h"

#include <cstdlib>
#include <cstring>

char *next_parm(char *string) {
    if (*string == '\0') return nullptr;
    char *space = strchr(string, ' ');
    if (!space) return string + strlen(string);
    *space = '\0';
    return space + 1;
}

static bool is_trailing_blank(char c) { return c == '\n' || c == '\r' || c == ' '; }

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
