// Feeds arbitrary bytes to the header reader as the game's configuration file and checks
// the shape of the catalogue it builds and the answers of its lookups.
#include <string_view>
#include <unordered_map>

#include "central.h"
#include "file.h"
#include "fuzz_support.h"
#include "general.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    enter_private_dir();
    silence_program_diagnostics();
    return 0;
}

// Every record but the last has a name (choices also a group); the last is all null.
template <typename Record, typename Check> static void check_list(Record *head, Check check) {
    Record *record = head;
    for (; record->next; record = record->next) {
        require(record->name != nullptr, "every record but the last has a name");
        check(*record);
    }
    require(record->name == nullptr, "each list ends in one all-null record");
    check(*record);
}

static void check_choices() {
    std::unordered_map<std::string_view, catagory *> first;
    check_list(&CATS, [&](catagory &record) {
        if (!record.name) {
            require(!record.group && !record.info && !record.button,
                    "the trailing choice record is all null");
            return;
        }
        require(record.group != nullptr, "every choice has a group");
        first.emplace(record.name, &record);
    });
    for (const auto &[name, record] : first) {
        require(GetCatStruct(record->name) == record, "choice lookup finds the first match");
        const char *info = GetInfo(record->name);
        require(info == (record->info ? record->info : record->name),
                "description lookup answers from the first match");
    }
}

static void check_groups() {
    std::unordered_map<std::string_view, group *> first;
    check_list(&GROUPS, [&](group &record) {
        if (!record.name) {
            require(!record.setting, "the trailing group record is all null");
            return;
        }
        first.emplace(record.name, &record);
    });
    for (const auto &[name, record] : first) {
        require(GetGroupStruct(record->name) == record, "group lookup finds the first match");
        require(GetSetting(record->name) == record->setting,
                "setting lookup answers from the first match");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    write_input("game.conf", as_text(data, size));
    CONFIG.config_file = NewString("game.conf");
    LoadConfig();
    require(!origconfig, "a file in the working directory is read from there");
    check_choices();
    check_groups();
    ClearCatalogue();
    ClearMainConfig();
    return 0;
}
