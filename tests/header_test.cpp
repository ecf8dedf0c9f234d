#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "catalogue_fixture.h"

namespace {

struct GroupRow {
    std::string name;
    const char *setting;
};

struct ChoiceRow {
    std::string group;
    std::string name;
    const char *info;
};

std::vector<GroupRow> groups() {
    std::vector<GroupRow> rows;
    for (group *record = &GROUPS; record->name; record = record->next)
        rows.push_back({record->name, record->setting});
    return rows;
}

std::vector<ChoiceRow> choices() {
    std::vector<ChoiceRow> rows;
    for (catagory *record = &CATS; record->name; record = record->next)
        rows.push_back({record->group, record->name, record->info});
    return rows;
}

void expect_groups(const std::vector<GroupRow> &expected) {
    std::vector<GroupRow> actual = groups();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name) << "group " << i;
        if (expected[i].setting)
            EXPECT_STREQ(actual[i].setting, expected[i].setting) << "group " << i;
        else
            EXPECT_EQ(actual[i].setting, nullptr) << "group " << i;
    }
}

void expect_choices(const std::vector<ChoiceRow> &expected) {
    std::vector<ChoiceRow> actual = choices();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].group, expected[i].group) << "choice " << i;
        EXPECT_EQ(actual[i].name, expected[i].name) << "choice " << i;
        if (expected[i].info)
            EXPECT_STREQ(actual[i].info, expected[i].info) << "choice " << i;
        else
            EXPECT_EQ(actual[i].info, nullptr) << "choice " << i;
    }
}

TEST_F(CatalogueTest, MixedHeaderYieldsTheDeclaredCatalogue) {
    Load(read_file(FIXTURES "/header_mixed.conf"));
    expect_groups({{"Video", "high"},
                   {"Sound", "on"},
                   {"-->", nullptr},
                   {"Input", "keys extra words"},
                   {"Late", nullptr}});
    expect_choices({{"Video", "low", "Low detail, fast"},
                    {"Video", "high", " Two spaces\tand a tab"},
                    {"Sound", "", nullptr},
                    {"Sound", "on", nullptr},
                    {"Sound", "off", nullptr},
                    {"Input", "keys", nullptr},
                    {"Input", "pad", ""},
                    {"Input", "-->", nullptr},
                    {"Orphan", "lone", nullptr}});
    EXPECT_FALSE(origconfig);
}

TEST_F(CatalogueTest, ChoicesOfOneLineShareOneGroupString) {
    Load("#cat g a b\n#cat g c\n");
    EXPECT_EQ(CATS.group, CATS.next->group);
    EXPECT_NE(CATS.next->group, CATS.next->next->group);
}

TEST_F(CatalogueTest, LaterDirectivesOverrideEarlierOnes) {
    Load("#groups g\n#cat g a\n#set g a\n#set g b\n#desc a one\n#desc a two\n");
    EXPECT_STREQ(GetSetting("g"), "b");
    EXPECT_STREQ(GetInfo("a"), "two");
}

TEST_F(CatalogueTest, OneLineCommentsAddTheirCloserAsAWord) {
    Load("<!-- #groups g -->\n<!-- #cat g a -->\n<!-- #set g a -->\n<!-- #desc a Text -->\n"
         "<!-- #endheader -->\n#groups late\n");
    expect_groups({{"g", "a -->"}, {"-->", nullptr}});
    expect_choices({{"g", "a", "Text -->"}, {"g", "-->", nullptr}});
}

TEST_F(CatalogueTest, HeaderInsideOneCommentReadsAsPlainDirectives) {
    Load("<!--\n#groups g\n#cat g a b\n#set g b\n#endheader\n-->\n");
    expect_groups({{"g", "b"}});
    expect_choices({{"g", "a", nullptr}, {"g", "b", nullptr}});
}

TEST_F(CatalogueTest, EmptyHeadersLeaveTheListsEmpty) {
    for (const char *header : {"", "#endheader\n#groups g\n", "<a>\n text\n", "<\n<!-\n"}) {
        Load(header);
        EXPECT_EQ(GROUPS.name, nullptr) << header;
        EXPECT_EQ(CATS.name, nullptr) << header;
        ClearCatalogue();
    }
}

TEST_F(CatalogueTest, LongDescriptionIsCutAndItsRestReadAsALine) {
    const std::string head = "#desc a " + std::string(1015, 'd');
    ASSERT_EQ(head.size(), 1023u);
    Load("#groups g\n#cat g a\n" + head + "#groups extra\n");
    EXPECT_EQ(std::string(GetInfo("a")), std::string(1015, 'd'));
    expect_groups({{"g", nullptr}, {"extra", nullptr}});
}

TEST_F(CatalogueTest, FileOnlyInTheInstallationDirectoryIsReadFromThere) {
    TempDir installed;
    strcpy(origpath, installed.path().c_str());
    write_file(installed / "only.conf", "#groups there\n");
    CONFIG.config_file = NewString("only.conf");
    ScopedChdir here(dir.path());
    LoadConfig();
    origpath[0] = '\0';
    expect_groups({{"there", nullptr}});
    EXPECT_TRUE(origconfig);
}

} // namespace
