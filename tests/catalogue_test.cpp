#include <gtest/gtest.h>
#include <string>

#include "catalogue_fixture.h"
#include "central.h"

namespace {

TEST_F(CatalogueTest, EmptyListsFindNothing) {
    const char *name = "x";
    EXPECT_EQ(GetSetting("g"), nullptr);
    EXPECT_EQ(GetCatStruct("x"), nullptr);
    EXPECT_EQ(GetGroupStruct("g"), nullptr);
    EXPECT_EQ(GetInfo(name), name);
    SetGroup("g", "x");
    SetInfo("x", "text");
    EXPECT_EQ(GROUPS.name, nullptr);
    EXPECT_EQ(CATS.name, nullptr);
}

TEST_F(CatalogueTest, GetInfoFallsBackToTheVeryArgument) {
    Load("#groups g\n#cat g plain described empty\n#desc described Text here\n#desc empty\n");
    const char *plain = "plain";
    const char *unknown = "unknown";
    EXPECT_EQ(GetInfo(plain), plain);
    EXPECT_EQ(GetInfo(unknown), unknown);
    EXPECT_STREQ(GetInfo("described"), "Text here");
    EXPECT_STREQ(GetInfo("empty"), "");
}

TEST_F(CatalogueTest, SettingsAreCopiedAndReplaced) {
    Load("#groups g\n");
    std::string value = "first";
    SetGroup("g", value.c_str());
    value = "changed";
    EXPECT_STREQ(GetSetting("g"), "first");
    SetGroup("g", "second");
    EXPECT_STREQ(GetSetting("g"), "second");
    EXPECT_EQ(GetSetting("h"), nullptr);
}

TEST_F(CatalogueTest, DeclaredGroupWithoutSetHasNoSetting) {
    Load("#groups g h\n#set h x\n");
    EXPECT_EQ(GetSetting("g"), nullptr);
    EXPECT_NE(GetGroupStruct("g"), nullptr);
}

TEST_F(CatalogueTest, FirstRecordOfANameWinsAcrossGroups) {
    Load("#groups A B\n#cat A x y\n#cat B x z\n#desc x first\n");
    catagory *first = GetCatStruct("x");
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->group, "A");
    EXPECT_STREQ(first->info, "first");
    catagory *b_x = CATS.next->next; // A's x, A's y, then B's x
    EXPECT_STREQ(b_x->name, "x");
    EXPECT_STREQ(b_x->group, "B");
    EXPECT_EQ(b_x->info, nullptr);
    EXPECT_STREQ(GetInfo("x"), "first");
}

TEST_F(CatalogueTest, SecondGroupOfANameIsNeverReached) {
    Load("#groups g g\n#set g v\n");
    EXPECT_STREQ(GROUPS.setting, "v");
    EXPECT_EQ(GROUPS.next->setting, nullptr);
    EXPECT_EQ(GetGroupStruct("g"), &GROUPS);
}

TEST_F(CatalogueTest, LookupsNeverReturnTheTrailingRecord) {
    Load("#groups  g\n#cat g  x\n");
    // The double spaces make records whose name is the empty text.
    group *empty_group = GetGroupStruct("");
    ASSERT_NE(empty_group, nullptr);
    EXPECT_NE(empty_group->name, nullptr);
    catagory *empty_choice = GetCatStruct("");
    ASSERT_NE(empty_choice, nullptr);
    EXPECT_NE(empty_choice->name, nullptr);
    EXPECT_EQ(GetCatStruct("y"), nullptr);
}

} // namespace
