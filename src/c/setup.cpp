// Entry point: settles the installation directory and the per-user working directory,
// then hands over to Start.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>

#include "central.h"
#include "general.h"

// Cuts the program's path in place after its last slash or backslash, leaving its
// directory part with the separator, or the empty string for a bare name.
static void cut_to_directory(char *path) {
    size_t length = strlen(path);
    while (length > 0 && path[length - 1] != '/' && path[length - 1] != '\\') --length;
    path[length] = '\0';
}

// The first word of "Version.txt" (or "../Version.txt"); empty when there is none.
static std::string read_version_word() {
    FilePtr fp(fopen("Version.txt", "r"));
    if (!fp) fp.reset(fopen("../Version.txt", "r"));
    std::string word;
    if (!fp) return word;
    for (int c; (c = getc(fp.get())) != EOF && !isspace(c);) word += static_cast<char>(c);
    return word;
}

// A failed change leaves the current directory where it was, and the program goes on
// from there: the files it then cannot find are reported by the readers.
static void try_chdir(const char *path) {
    int ignored = chdir(path);
    (void)ignored;
}

int main(int argc, char **argv) {
    // A bare name (or no name at all) keeps the start directory as installation directory.
    if (argc > 0 && argv[0]) {
        cut_to_directory(argv[0]);
        try_chdir(argv[0]);
    }
    if (!getcwd(origpath, sizeof origpath - 1)) origpath[0] = '\0';
    origpath[sizeof origpath - 1] = '\0';

    const passwd *user = getpwuid(getuid());
    std::string HOMESUBDIR = ".quorvane";
    std::string word = read_version_word();
    if (!word.empty()) HOMESUBDIR = word;

    // Without a password entry the sub-directory is looked for under the installation directory.
    if (user && user->pw_dir) try_chdir(user->pw_dir);
    try_chdir(HOMESUBDIR.c_str());

    Start(&argc, &argv);
    return 0;
}
