// Readers of the configurator's settings file and of the game's configuration header,
// and the switcher that rewrites the game's configuration file.
#ifndef SETUP_FILE_H
#define SETUP_FILE_H

// True when the game's configuration file was found only in the installation directory.
extern bool origconfig;

// Fills CONFIG from "setup.config"; ends the process when it cannot.
void LoadMainConfig();

// Reads the header of the game's configuration file into the catalogue.
void LoadConfig();

// Releases CONFIG's strings and zeroes it, so that another settings file can be loaded.
void ClearMainConfig();

#endif
