// Whole passes of the setting switcher over small files: what each kind of line becomes
// in either form, and that the fast pass agrees with the line-by-line rewriting.
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

#include "central.h"
#include "file.h"
#include "general.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

const int COMMENTED = 1;
const int LIVE = 2;

class SwitcherTest : public ::testing::Test {
  public:
    void SetUp() override {
        CONFIG.config_file = NewString(target.c_str());
        CONFIG.temp_file = NewString(temp.c_str());
    }
    void TearDown() override {
        ClearMainConfig();
        origconfig = false;
    }
    // One pass over `text`; returns the target's new text, which the temporary file
    // must hold as well.
    std::string Pass(const std::string &text, int setting, const char *name,
                     const char *group = "G") {
        write_file(target, text);
        return Pass(setting, name, group);
    }
    std::string Pass(int setting, const char *name, const char *group) {
        Modconfig(setting, const_cast<char *>(name), const_cast<char *>(group));
        std::string result = read_file(target);
        EXPECT_EQ(read_file(temp), result);
        return result;
    }

    TempDir dir;
    std::string target = dir / "game.conf";
    std::string temp = dir / "config.temp";
};

struct PassCase {
    const char *what;
    std::string before;
    int setting;
    const char *name;
    std::string after;
};

void RunCases(SwitcherTest &test, const std::vector<PassCase> &cases);

TEST_F(SwitcherTest, LinesOutsideBlocksAreCopiedTrimmed) {
    RunCases(*this,
             {
                 {"plain text, doubled hash, blank lines", "text  \n##A x\n\n   \n\tx\t\n",
                  COMMENTED, "A", "text\n##A x\n\n\n\tx\t\n"},
                 {"CR-LF line ends", "<a>\r\n#A\r\nbody \r\n#end\r\n", COMMENTED, "A",
                  "<a>\n<!-- #A\nbody\n#end -->\n"},
                 {"last line without a line end", "x\n#end", COMMENTED, "A", "x\n#end\n"},
                 {"last line of blanks without a line end", "x\n  ", COMMENTED, "A", "x\n\n"},
                 {"empty file", "", LIVE, "A", ""},
                 {"end lines outside a rewritten block", "#end\n<!-- #end -->\n#end -->\n",
                  COMMENTED, "A", "#end\n<!-- #end -->\n#end -->\n"},
                 {"a blank before the hash", " #A\nx\n#end\n", COMMENTED, "A", " #A\nx\n#end\n"},
                 {"the hash as the opener's fifth character", "<!--#A\nx\n#end\n", COMMENTED, "A",
                  "<!--#A\nx\n#end\n"},
                 {"a keyword as choice name", "#groups A\nx\n#end\n", COMMENTED, "groups",
                  "#groups A\nx\n#end\n"},
                 {"prefix and case of a name", "#AB\n#a\nx\n#end\n", COMMENTED, "A",
                  "#AB\n#a\nx\n#end\n"},
                 {"name after a word that begins with <", "#B <x A\nx\n#end\n", COMMENTED, "A",
                  "#B <x A\nx\n#end\n"},
                 {"another choice's block", "<!-- #B -->\nb\n<!-- #end -->\n", COMMENTED, "A",
                  "<!-- #B -->\nb\n<!-- #end -->\n"},
             });
}

TEST_F(SwitcherTest, BlocksOfTheChoiceAreWrittenInThePassForm) {
    RunCases(
        *this,
        {
            {"bare block commented out", "#A\nbody\n#end\n", COMMENTED, "A",
             "<!-- #A\nbody\n#end -->\n"},
            {"bare block made live", "#A\nbody\n#end\n", LIVE, "A",
             "<!-- #A -->\nbody\n<!-- #end -->\n"},
            {"live block commented out", "<!-- #A -->\nbody\n<!-- #end -->\n", COMMENTED, "A",
             "<!-- #A\nbody\n#end -->\n"},
            {"commented block made live", "<!-- #A\nbody\n#end -->\n", LIVE, "A",
             "<!-- #A -->\nbody\n<!-- #end -->\n"},
            {"live block stays live", "<!-- #A -->\nbody\n<!-- #end -->\n", LIVE, "A",
             "<!-- #A -->\nbody\n<!-- #end -->\n"},
            {"commented block stays commented", "<!-- #A\nbody\n#end -->\n", COMMENTED, "A",
             "<!-- #A\nbody\n#end -->\n"},
            {"end line written whole", "#A\nx\n<!-- #end --> trailing\n", COMMENTED, "A",
             "<!-- #A\nx\n#end -->\n"},
            {"several choices, the first", "#A B C\nx\n#end\n", LIVE, "A",
             "<!-- #A B C -->\nx\n<!-- #end -->\n"},
            {"several choices, a later one", "#B A C\nx\n#end\n", COMMENTED, "C",
             "<!-- #B A C\nx\n#end -->\n"},
            {"two blocks of the choice", "#A\n1\n#end\n#B\n2\n#end\n#C A\n3\n#end\n", COMMENTED,
             "A", "<!-- #A\n1\n#end -->\n#B\n2\n#end\n<!-- #C A\n3\n#end -->\n"},
            {"missing end line runs to the next one", "#A\n#B\nx\n#C\ny\n#end\n#D\n", COMMENTED,
             "A", "<!-- #A\n<!-- #B\nx\n<!-- #C\ny\n#end -->\n#D\n"},
            {"no end line at all", "#A\nx\n#B\n", LIVE, "A", "<!-- #A -->\nx\n<!-- #B -->\n"},
            {"header keyword lines inside a block",
             "#A\n#groups G\n#cat G A B\n#desc A d\n#endheader\n#set H x\n#end\n", COMMENTED, "A",
             "<!-- #A\n#groups G\n#cat G A B\n#desc A d\n#endheader\n#set H x\n#end -->\n"},
        });
}

TEST_F(SwitcherTest, TextAroundTheMarkersOfAnOpeningLine) {
    RunCases(*this,
             {
                 {"text before the opener, commented", "  <!-- #A -->\nx\n<!-- #end -->\n",
                  COMMENTED, "A", "  <!-- #A\nx\n#end -->\n"},
                 {"text before the opener, live", "pre<!-- #A\nx\n#end -->\n", LIVE, "A",
                  "pre<!-- #A -->\nx\n<!-- #end -->\n"},
                 {"text after the closer moves inside", "<!-- #A --> note\nx\n<!-- #end -->\n",
                  COMMENTED, "A", "<!-- #A note\nx\n#end -->\n"},
                 {"text inside stays before the closer", "<!-- #A note\nx\n#end -->\n", LIVE, "A",
                  "<!-- #A note -->\nx\n<!-- #end -->\n"},
                 {"text moved inside names a choice", "<!-- #A note\nx\n#end -->\n", LIVE, "note",
                  "<!-- #A note -->\nx\n<!-- #end -->\n"},
                 {"a dash, a character and > close the inner text", "#A a-b>c\nx\n#end\n",
                  COMMENTED, "A", "<!-- #A ac\nx\n#end -->\n"},
                 {"the blank before such a closer drops out", "#A b -x> tail\nx\n#end\n", LIVE, "A",
                  "<!-- #A b --> tail\nx\n<!-- #end -->\n"},
             });
}

TEST_F(SwitcherTest, SetLinesOfTheGroupAreWrittenBare) {
    RunCases(
        *this,
        {
            {"disable", "#set G A\n#set H A\n", COMMENTED, "A", "#set G none\n#set H A\n"},
            {"enable", "#set G none\n#set H A\n", LIVE, "B", "#set G B\n#set H A\n"},
            {"markers, surrounding text and extra words", "pre <!-- #set G A extra --> post\n",
             LIVE, "B", "#set G B\n"},
            {"group without a choice", "#set G\n", COMMENTED, "A", "#set G none\n"},
            {"inside a rewritten block", "#A\n#set G A\n#end\n", LIVE, "B", "#A\n#set G B\n#end\n"},
            {"no group word, two blanks, a leading blank", "#set\n#set  G A\n #set G A\n",
             COMMENTED, "A", "#set\n#set  G A\n #set G A\n"},
        });
}

TEST_F(SwitcherTest, LongLinesComeBackWhole) {
    std::string plain(3000, 'x');
    std::string opening = "#B " + std::string(1500, 'y') + " A";
    std::string exact(1023, 'z');
    RunCases(*this,
             {
                 {"plain line", plain + "   \n", COMMENTED, "A", plain + "\n"},
                 {"opening line naming the choice far in", opening + "\nx\n#end\n", COMMENTED, "A",
                  "<!-- " + opening + "\nx\n#end -->\n"},
                 {"1023 characters before the line end", exact + "\n", LIVE, "A", exact + "\n"},
             });
}

void RunCases(SwitcherTest &test, const std::vector<PassCase> &cases) {
    for (const PassCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(test.Pass(c.before, c.setting, c.name), c.after);
    }
}

std::string Fixture(const char *name) { return read_file(std::string(FIXTURES) + "/" + name); }

TEST_F(SwitcherTest, PickingAnotherChoiceAndBackRestoresTheFile) {
    write_file(target, Fixture("switch_before.conf"));
    EXPECT_EQ(Pass(COMMENTED, "low", "Detail"), Fixture("switch_disabled.conf"));
    EXPECT_EQ(Pass(LIVE, "high", "Detail"), Fixture("switch_enabled.conf"));
    Pass(COMMENTED, "high", "Detail");
    EXPECT_EQ(Pass(LIVE, "low", "Detail"), Fixture("switch_before.conf"));
}

TEST_F(SwitcherTest, WritesBackToTheInstallationCopyWhenTheFileWasFoundThere) {
    TempDir install;
    snprintf(origpath, sizeof origpath, "%s", install.path().c_str());
    ClearMainConfig();
    CONFIG.config_file = NewString("game.conf");
    CONFIG.temp_file = NewString("config.temp");
    write_file(install / "game.conf", "#A\nx\n#end\n");
    origconfig = true;
    {
        ScopedChdir here(dir.path());
        DisableSetting(const_cast<char *>("A"), const_cast<char *>("G"));
    }
    EXPECT_EQ(read_file(install / "game.conf"), "<!-- #A\nx\n#end -->\n");
    EXPECT_EQ(read_file(temp), "<!-- #A\nx\n#end -->\n");
}

// The lines of `text` as the pass sees them, each rewritten on its own.
std::string SwitchEachLine(switch_pass pass, const std::string &text) {
    std::string out;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end + 1;
        SwitchLine(pass, std::string_view(text).substr(begin, end - begin), out);
        begin = end;
    }
    return out;
}

// Text made of the pieces that matter to the switcher, with lines long enough to cross
// the pass's read chunks and NUL bytes in among them.
std::string GeneratedText(unsigned seed) {
    const std::string pieces[] = {"#A",  "#B", " A", "#end", "#set G A", "<!-- ", " -->",
                                  "-x>", "  ", "\r", "\0"s,  "text",     "<w",    "#",
                                  "\n",  "\n", "\n", "\n",   "##",       "\t"};
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        seed = seed * 1103515245 + 12345;
        text += pieces[(seed >> 16) % std::size(pieces)];
        if ((seed >> 8) % 5000 == 0) text += std::string(200000 + seed % 1000, 'L');
    }
    return text;
}

TEST_F(SwitcherTest, PassAgreesWithRewritingEachLineOnItsOwn) {
    for (unsigned seed : {1u, 2u, 3u}) {
        for (int setting : {COMMENTED, LIVE}) {
            std::string text = GeneratedText(seed);
            SCOPED_TRACE("seed " + std::to_string(seed) + ", setting " + std::to_string(setting));
            std::string expected = SwitchEachLine({setting, "A", "G", 0}, text);
            EXPECT_TRUE(Pass(text, setting, "A") == expected);
        }
    }
}

} // namespace
