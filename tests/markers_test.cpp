// The comment-marker cutters: where they cut, what they leave untouched and which text
// they hand back, one line at a time.
#include <gtest/gtest.h>
#include <string>

#include "general.h"

namespace {

using namespace std::string_literals;

struct CutCase {
    std::string input;
    std::string bytes_after; // the whole buffer after the call, cuts shown as NUL bytes
    size_t result_at;        // where the returned text starts in the buffer
};

void ExpectCuts(char *(*cutter)(char *), const CutCase &c) {
    std::string buffer = c.input;
    char *result = cutter(buffer.data());
    EXPECT_EQ(buffer, c.bytes_after) << "input: " << c.input;
    EXPECT_EQ(result - buffer.data(), ptrdiff_t(c.result_at)) << "input: " << c.input;
}

TEST(XmlPreChompComment, CutsAtTheFirstOpenerWithFiveCharactersLeft) {
    const CutCase cases[] = {
        {"<!-- text", "\0!-- text"s, 5},
        {"ab <!-- text", "ab \0!-- text"s, 8},
        // The three characters after "<!" are passed over unseen, a "#" included.
        {"<!--#word", "\0!--#word"s, 5},
        {"<!DOCTYPE html>", "\0!DOCTYPE html>"s, 5},
        {"<!-- a <!-- b", "\0!-- a <!-- b"s, 5},
        {"<a <!-- b", "<a \0!-- b"s, 8},
        // Exactly five characters from the opener to the end: cut, and nothing after it.
        {"<!-- ", "\0!-- "s, 5},
        {"ab<!--x", "ab\0!--x"s, 7},
    };
    for (const CutCase &c : cases) ExpectCuts(xml_pre_chomp_comment, c);
}

TEST(XmlPreChompComment, WithoutRoomForAnOpenerLeavesTheLineAndPointsAtItsEnd) {
    const CutCase cases[] = {
        {"", "", 0},
        {"abc", "abc", 3},
        {"<!--", "<!--", 4},
        {"text <!--", "text <!--", 9},
        {"x <!-x", "x <!-x", 6},
    };
    for (const CutCase &c : cases) ExpectCuts(xml_pre_chomp_comment, c);
}

TEST(XmlChompComment, CutsAClosingMarkerAtTheEndAndOneBlankBeforeIt) {
    const CutCase cases[] = {
        {"text -->", "text\0\0->"s, 5},
        {"text-->", "text\0->"s, 4},
        {"text  -->", "text \0\0->"s, 6},
        // The end comes first, so an earlier closer survives.
        {"a --> b -->", "a --> b\0\0->"s, 8},
    };
    for (const CutCase &c : cases) ExpectCuts(xml_chomp_comment, c);
}

TEST(XmlChompComment, CutsTheFirstCloserInsideTheLine) {
    const CutCase cases[] = {
        {"a --> b", "a\0\0-\0 b"s, 5},
        {"a-->b", "a\0-\0b"s, 4},
        // Any character between "-" and ">" will do, a blank included.
        {"x-y>z", "x\0y\0z"s, 4},
        {"a - >b", "a\0\0 \0b"s, 5},
        // At the very start nothing before the line is touched.
        {"-->text", "\0-\0text"s, 3},
        {"- >x -->y", "\0 \0x -->y"s, 3},
    };
    for (const CutCase &c : cases) ExpectCuts(xml_chomp_comment, c);
}

TEST(XmlChompComment, WithoutACloserLeavesTheLineAndPointsAtItsEnd) {
    const CutCase cases[] = {
        {"", "", 0},
        {"-->", "-->", 3},
        {" -->", " -->", 4},
        {"a-->", "a-->", 4},
        // Three characters at the end count only as "-->".
        {"ab-x>", "ab-x>", 5},
        {"no closer here", "no closer here", 14},
    };
    for (const CutCase &c : cases) ExpectCuts(xml_chomp_comment, c);
}

} // namespace
