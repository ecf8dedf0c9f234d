#include "central.h"

#include <cstdlib>
#include <cstring>

#include "display_gtk.h"
#include "file.h"
#include "general.h"

global_settings CONFIG;
catagory CATS;
group GROUPS;
char origpath[65536];

std::string mangle_config(std::string name) { return std::string(origpath) + "/" + name; }

void Start(int *argc, char ***argv) {
    // The settings come first so that their reports need no display; the window is up
    // before the game's file is read, so its reports come after the window exists.
    LoadMainConfig();
    InitGraphics(argc, argv);
    LoadConfig();
    ShowMain();
}

static bool same_name(const char *record_name, const char *name) {
    return record_name && strcmp(record_name, name) == 0;
}

catagory *GetCatStruct(const char *name) {
    if (!name) return nullptr;
    for (catagory *record = &CATS; record; record = record->next)
        if (same_name(record->name, name)) return record;
    return nullptr;
}

group *GetGroupStruct(const char *name) {
    if (!name) return nullptr;
    for (group *record = &GROUPS; record; record = record->next)
        if (same_name(record->name, name)) return record;
    return nullptr;
}

void StoreSetting(group *record, const char *setting) {
    char *copy = NewString(setting);
    free(record->setting);
    record->setting = copy;
}

void SetGroup(const char *group, const char *setting) {
    struct group *record = GetGroupStruct(group);
    if (record && setting) StoreSetting(record, setting);
}

void SetInfo(const char *catagory, const char *info) {
    struct catagory *record = GetCatStruct(catagory);
    if (!record || !info) return;
    char *copy = NewString(info);
    free(record->info);
    record->info = copy;
}

const char *GetInfo(const char *catagory) {
    struct catagory *record = GetCatStruct(catagory);
    return record && record->info ? record->info : catagory;
}

const char *GetSetting(const char *group) {
    struct group *record = GetGroupStruct(group);
    return record ? record->setting : nullptr;
}

void ClearCatalogue() {
    // Choices made from one "#cat" line share one group string: free each string once,
    // when the last choice that points to it is released.
    catagory *choice = CATS.next;
    char *shared = CATS.group;
    free(CATS.name);
    free(CATS.info);
    while (choice) {
        catagory *next = choice->next;
        if (choice->group != shared) free(shared);
        shared = choice->group;
        free(choice->name);
        free(choice->info);
        free(choice);
        choice = next;
    }
    free(shared);
    CATS = catagory();

    for (group *record = GROUPS.next; record;) {
        group *next = record->next;
        free(record->name);
        free(record->setting);
        free(record);
        record = next;
    }
    free(GROUPS.name);
    free(GROUPS.setting);
    GROUPS = group();
}
