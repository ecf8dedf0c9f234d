#include "central.h"

#include <cstdlib>
#include <string_view>
#include <unordered_map>

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

// The first record of each name in a list, kept beside it so that a lookup does not walk
// the list: building the panel looks up every choice, which a walk makes quadratic. The
// readers append to the lists as they always did; the index catches up with the records
// appended since its last lookup, and starts over when the head record no longer holds
// the name it was indexed with (the list was emptied or refilled by hand).
template <typename Record> struct name_index {
    std::unordered_map<std::string_view, Record *> first;
    Record *tail = nullptr; // the last record indexed so far
    const char *head_name = nullptr;

    Record *find(Record &head, const char *name) {
        if (!name) return nullptr;
        catch_up(head);
        auto found = first.find(name);
        return found == first.end() ? nullptr : found->second;
    }

    void catch_up(Record &head) {
        if (!tail || head.name != head_name) {
            first.clear();
            tail = &head;
            head_name = head.name;
        }
        for (Record *record = tail; record; record = record->next) {
            if (record->name) first.emplace(record->name, record);
            tail = record;
        }
    }

    void clear() { *this = name_index(); }
};

static name_index<catagory> CHOICE_INDEX;
static name_index<group> GROUP_INDEX;

catagory *GetCatStruct(const char *name) {
    return CHOICE_INDEX.find(CATS, name);
}

group *GetGroupStruct(const char *name) {
    return GROUP_INDEX.find(GROUPS, name);
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
    CHOICE_INDEX.clear();
    GROUP_INDEX.clear();
}
