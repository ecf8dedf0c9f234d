// Headers of many choices load, their lookups keep first-match answers, and a pick
// rewrites the file as it does for a small one.
#include <gtest/gtest.h>
#include <string>

#include "catalogue_fixture.h"
#include "central.h"
#include "file.h"
#include "general.h"
#include "large_game_file.h"

namespace {

template <typename Record> int count(Record *head) {
    int records = 0;
    for (Record *record = head; record->name; record = record->next)
        ++records;
    return records;
}

TEST_F(CatalogueTest, LargeHeadersLoadAndSwitchAChoice) {
    for (int choices : {100, 1000, 10000}) {
        SCOPED_TRACE(choices);
        Load(large_game_file(choices));
        CONFIG.temp_file = NewString((dir / "game.temp").c_str());
        ASSERT_EQ(count(&CATS), choices);
        ASSERT_EQ(count(&GROUPS), choices / 10);
        const int last_group = choices / 10 - 1;
        const std::string last = choice_name(choices - 1);
        EXPECT_EQ(std::string(GetInfo(last.c_str())),
                  "Settings for " + last + ", described at some length");

        // The pick as the menu makes it: from the group's first choice to its second.
        group *record = GetGroupStruct(group_name(last_group).c_str());
        catagory *current = GetCatStruct(GetSetting(record->name));
        catagory *picked = GetCatStruct(choice_name(last_group * 10 + 1).c_str());
        ASSERT_EQ(current, GetCatStruct(choice_name(last_group * 10).c_str()));
        StoreSetting(record, picked->name);
        DisableSetting(current->name, record->name);
        EnableSetting(picked->name, record->name);
        EXPECT_EQ(read_file(dir / "game.conf"), large_game_file(choices, last_group * 10 + 1));
        ClearCatalogue();
    }
}

TEST_F(CatalogueTest, LookupsSeeRecordsAppendedAfterAnEarlierLookup) {
    Load("#groups g\n#cat g a\n");
    ASSERT_EQ(GetCatStruct("b"), nullptr);
    ASSERT_EQ(GetGroupStruct("h"), nullptr);
    catagory *a = GetCatStruct("a");
    group *g = GetGroupStruct("g");
    Load("#groups h g\n#cat h b a\n");
    ASSERT_NE(GetCatStruct("b"), nullptr);
    EXPECT_STREQ(GetCatStruct("b")->group, "h");
    ASSERT_NE(GetGroupStruct("h"), nullptr);
    EXPECT_EQ(GetCatStruct("a"), a) << "the first record of a name still wins";
    EXPECT_EQ(GetGroupStruct("g"), g);
}

TEST_F(CatalogueTest, RefilledListsAreLookedUpAfresh) {
    Load("#groups g\n#cat g a\n#desc a old\n");
    ASSERT_STREQ(GetInfo("a"), "old");
    ClearCatalogue();
    EXPECT_EQ(GetCatStruct("a"), nullptr);
    EXPECT_EQ(GetGroupStruct("g"), nullptr);
    Load("#groups h\n#cat h a\n#desc a new\n");
    EXPECT_STREQ(GetInfo("a"), "new");
    EXPECT_STREQ(GetCatStruct("a")->group, "h");
}

} // namespace
