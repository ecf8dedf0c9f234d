// The program's global records: its settings, its installation directory and the
// catalogue of groups and choices read from the game's configuration header.
#ifndef SETUP_CENTRAL_H
#define SETUP_CENTRAL_H

#include <string>

typedef struct _GtkWidget GtkWidget;

struct global_settings {
    char *program_name;
    char *config_file;
    char *temp_file;
    int columns;
};

// One choice of a group. The list ends in one record whose fields are all null.
struct catagory {
    char *group;
    char *name;
    char *info;
    GtkWidget *button;
    catagory *next;
};

// One group of mutually exclusive choices. The list ends in one all-null record.
struct group {
    char *name;
    char *setting;
    group *next;
};

extern global_settings CONFIG;
extern catagory CATS;
extern group GROUPS;

// Absolute path of the installation directory, always NUL-terminated.
extern char origpath[65536];

// The fallback path of `name`: origpath, "/", name, joined as they stand.
std::string mangle_config(std::string name);

// Runs the program once the directories are settled; returns only if the main loop ends.
void Start(int *argc, char ***argv);

// Lookups by name: the first record with the name wins, whatever its group.
void SetGroup(const char *group, const char *setting);
void SetInfo(const char *catagory, const char *info);
const char *GetInfo(const char *catagory);
const char *GetSetting(const char *group);
catagory *GetCatStruct(const char *name);
group *GetGroupStruct(const char *name);

// Replaces a group's setting with a copy of `setting`, releasing the old copy.
void StoreSetting(group *record, const char *setting);

// Empties both lists and releases their records; the program itself never needs it,
// but tests and fuzzers load many headers in one process.
void ClearCatalogue();

#endif
