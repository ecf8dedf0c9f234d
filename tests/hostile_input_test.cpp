// Bytes that C strings do not carry, and bytes that are not text, in each file the
// program reads.
#include <gtest/gtest.h>
#include <string>

#include "catalogue_fixture.h"
#include "central.h"
#include "file.h"
#include "general.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

// A pass over the game's file through the temporary file, in a throwaway directory.
class SwitchFileTest : public ::testing::Test {
  protected:
    std::string Pass(int setting, const std::string &file) {
        write_file(dir / "game.conf", file);
        ClearMainConfig();
        CONFIG.config_file = NewString((dir / "game.conf").c_str());
        CONFIG.temp_file = NewString((dir / "game.temp").c_str());
        char name[] = "A", group[] = "G";
        Modconfig(setting, name, group);
        return read_file(dir / "game.conf");
    }
    void TearDown() override { ClearMainConfig(); }
    TempDir dir;
};

struct NulCase {
    const char *what;
    int setting;
    std::string before;
    std::string after;
};

TEST_F(SwitchFileTest, NulBytesInALineSurviveAWholePass) {
    const NulCase cases[] = {
        {"plain line", 1, "text\0more\n"s, "text\0more\n"s},
        {"only the text before the NUL is judged", 1, "plain\0#A\n"s, "plain\0#A\n"s},
        {"line that is a NUL alone", 2, "\0\n"s, "\0\n"s},
        {"trailing blanks after the NUL go", 1, "a\0b \r\n"s, "a\0b\n"s},
        {"blanks in front of the NUL stay", 1, "a \0\n"s, "a \0\n"s},
        {"body line of a rewritten block", 1, "#A\n  <x/>\0junk\n#end\n"s,
         "<!-- #A\n  <x/>\0junk\n#end -->\n"s},
        {"opening line keeps its bytes from the NUL on", 1, "#A\0tail\n#end\n"s,
         "<!-- #A\0tail\n#end -->\n"s},
        {"live opening line likewise", 2, "<!-- #A\0 -->\n#end -->\n"s,
         "<!-- #A -->\0 -->\n<!-- #end -->\n"s},
        {"last line without a line end", 1, "x\0y"s, "x\0y\n"s},
    };
    for (const NulCase &c : cases)
        EXPECT_EQ(Pass(c.setting, c.before), c.after) << c.what;
}

TEST_F(CatalogueTest, HeaderReaderStopsEachLineAtANulAndKeepsOtherBytes) {
    Load("#groups a\0hidden b\n"
         "\0#groups skipped\n"
         "#cat a x\xff y\n"
         "#set a x\xff\n"
         "#desc x\xff D\xe9j\xe0 vu\n"
         "#desc y \0cut\n"
         "\xef\xbb\xbf#groups bom\n"s);
    ASSERT_NE(GetGroupStruct("a"), nullptr);
    EXPECT_EQ(GetGroupStruct("a")->next->name, nullptr) << "only one group is declared";
    EXPECT_STREQ(GetSetting("a"), "x\xff");
    EXPECT_STREQ(GetInfo("x\xff"), "D\xe9j\xe0 vu");
    EXPECT_STREQ(GetInfo("y"), "");
}

class SettingsBytesTest : public ::testing::Test {
  protected:
    void TearDown() override { ClearMainConfig(); }
    TempDir dir;
};

TEST_F(SettingsBytesTest, SettingsReaderStopsEachLineAtANulAndKeepsOtherBytes) {
    write_file(dir / "setup.config", "program_name Ga\0me\n"
                                     "config_file g\xff\xfe.conf\n"
                                     "\0temp_file hidden\n"
                                     "temp_file t\x01\x7f\n"
                                     "columns 4\0 0\n"s);
    ScopedChdir here(dir.path());
    testing::internal::CaptureStderr();
    LoadMainConfig();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(CONFIG.program_name, "Ga");
    EXPECT_STREQ(CONFIG.config_file, "g\xff\xfe.conf");
    EXPECT_STREQ(CONFIG.temp_file, "t\x01\x7f");
    EXPECT_EQ(CONFIG.columns, 4);
}

} // namespace
