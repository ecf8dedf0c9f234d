// Runs switcher passes in a process of their own, so that tests can watch fatal ends,
// resource limits, other users' rights and kills from outside.
//
//   switch_driver WORKDIR INSTALLDIR CONFIG_FILE TEMP_FILE ORIGCONFIG ACTION NAME GROUP
//
// ACTION is "disable" or "enable" for one pass, or "toggle" for passes that disable and
// enable NAME in turn until the process is killed.
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "central.h"
#include "file.h"
#include "general.h"

int main(int argc, char **argv) {
    if (argc != 9 || chdir(argv[1]) != 0) {
        fputs("usage: switch_driver WORKDIR INSTALLDIR CONFIG_FILE TEMP_FILE ORIGCONFIG "
              "ACTION NAME GROUP\n",
              stderr);
        return 2;
    }
    snprintf(origpath, sizeof origpath, "%s", argv[2]);
    CONFIG.config_file = NewString(argv[3]);
    CONFIG.temp_file = NewString(argv[4]);
    origconfig = strcmp(argv[5], "1") == 0;
    std::string action = argv[6];
    char *name = argv[7];
    char *group = argv[8];
    if (action == "disable") DisableSetting(name, group);
    if (action == "enable") EnableSetting(name, group);
    while (action == "toggle") {
        DisableSetting(name, group);
        EnableSetting(name, group);
    }
    ClearMainConfig();
    return 0;
}
