#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "general.h"

namespace {

struct SplitCase {
    const char *input;
    const char *word;  // the string after the call
    const char *rest;  // null when next_parm returns null
};

TEST(NextParm, SplitsAtTheFirstSpaceOnly) {
    const SplitCase cases[] = {
        {"", "", nullptr},
        {"word", "word", ""},
        {"key value with spaces", "key", "value with spaces"},
        {"key  value", "key", " value"},
        {" leading", "", "leading"},
        {"key\tvalue", "key\tvalue", ""},
        {"key ", "key", ""},
        {"a\r\n b", "a\r\n", "b"},
    };
    for (const SplitCase &c : cases) {
        std::string buffer = c.input;
        char *rest = next_parm(buffer.data());
        EXPECT_STREQ(buffer.c_str(), c.word) << "input: " << c.input;
        if (!c.rest) {
            EXPECT_EQ(rest, nullptr) << "input: " << c.input;
        } else {
            ASSERT_NE(rest, nullptr) << "input: " << c.input;
            EXPECT_STREQ(rest, c.rest) << "input: " << c.input;
        }
    }
}

TEST(NextParm, WordWithoutSpaceReturnsItsOwnTerminator) {
    char buffer[] = "word";
    EXPECT_EQ(next_parm(buffer), buffer + 4);
}

TEST(NextParm, EmptyStringIsLeftUntouched) {
    char buffer[] = "\0x";
    EXPECT_EQ(next_parm(buffer), nullptr);
    EXPECT_EQ(buffer[1], 'x');
}

TEST(Chomp, RemovesOnlyTrailingLineEndsAndSpaces) {
    const std::pair<const char *, const char *> cases[] = {
        {"", ""},
        {"text \r\n", "text"},
        {"text\t\n", "text\t"},
        {" \r\n \n", ""},
        {"  leading", "  leading"},
        {"a b  ", "a b"},
        {"x\r\r\r", "x"},
        {"tab\t", "tab\t"},
    };
    for (const auto &[input, expected] : cases) {
        std::string buffer = input;
        chomp(buffer.data());
        EXPECT_STREQ(buffer.c_str(), expected) << "input: " << input;
    }
}

TEST(NewString, CopiesIntoAFreshBlock) {
    for (const char *text : {"", "word", "two words"}) {
        char *copy = NewString(text);
        EXPECT_NE(copy, text);
        EXPECT_STREQ(copy, text);
        free(copy);
    }
}

} // namespace
