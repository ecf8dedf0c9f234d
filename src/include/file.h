// Readers of the configurator's settings file and of the game's configuration header,
// and the switcher that rewrites the game's configuration file.
#ifndef SETUP_FILE_H
#define SETUP_FILE_H

#include <string>
#include <string_view>

// True when the game's configuration file was found only in the installation directory.
extern bool origconfig;

// Fills CONFIG from "setup.config"; ends the process when it cannot.
void LoadMainConfig();

// Reads the header of the game's configuration file into the catalogue.
void LoadConfig();

// Releases CONFIG's strings and zeroes it, so that another settings file can be loaded.
void ClearMainConfig();

// One pass of the switcher: the form it writes, the choice and group it rewrites, and
// whether it is inside a block that it rewrites.
struct switch_pass {
    int setting; // 1: commented form, 2: live form
    const char *name;
    const char *group;
    int commenting;
};

// Appends the rewritten form of one line, given without its line end, and "\n" to `out`.
void SwitchLine(switch_pass &pass, std::string_view line, std::string &out);

// One pass over the game's configuration file through the temporary file, which keeps
// the new text. The game's file holds its whole old or its whole new text at every
// instant, unless its directory refuses new files and it has to be rewritten in place;
// when it cannot be written the pass reports that and returns. Failures with the
// temporary file end the process.
void Modconfig(int setting, char *name, char *group);
void EnableSetting(char *name, char *group);
void DisableSetting(char *name, char *group);

#endif
