// Feeds arbitrary text to the word, line and comment-marker helpers and checks that
// they only cut the string they are given and lose no byte they do not mean to drop.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "general.h"

// The helpers work on C strings: the text before the first NUL byte.
static std::string as_c_string(std::string_view data) {
    return std::string(data.substr(0, data.find('\0')));
}

// `result` points into `buffer` at or before its original terminator, and what it holds
// is still the original text from there on.
static void require_inside(const std::string &original, const char *buffer, const char *result) {
    require(result >= buffer && result <= buffer + original.size(), "result lies in the string");
    size_t at = result - buffer;
    require(original.compare(at, std::string::npos, result) == 0,
            "the text behind the result is untouched");
}

// Walking a word list hands out every space-separated piece but an empty last one, so
// joining the pieces with spaces gives the list back (less a single trailing space).
static void check_word_walk(const std::string &original) {
    std::string buffer = original;
    std::string joined;
    bool first = true;
    for (char *words = buffer.data(), *rest; (rest = next_parm(words)); words = rest) {
        require_inside(original, buffer.data(), rest);
        joined += (first ? "" : " ") + std::string(words);
        first = false;
    }
    std::string expected = original;
    if (!expected.empty() && expected.back() == ' ') expected.pop_back();
    require(joined == expected, "the word walk hands out every piece in order");
}

static void check_chomp(const std::string &original) {
    std::string buffer = original;
    chomp(buffer.data());
    std::string kept = buffer.c_str();
    require(original.compare(0, kept.size(), kept) == 0, "chomp keeps a prefix");
    require(original.find_first_not_of("\r\n ", kept.size()) == std::string::npos,
            "chomp removes only line ends and spaces");
    require(kept.empty() || !strchr("\r\n ", kept.back()), "chomp removes all of them");
}

static void check_new_string(const std::string &original) {
    char *copy = NewString(original.c_str());
    require(original == copy && copy != original.c_str(), "NewString makes an equal copy");
    free(copy);
}

// The opener is cut where the first "<!" with five characters left begins.
static void check_opener(const std::string &original) {
    std::string buffer = original;
    char *inner = xml_pre_chomp_comment(buffer.data());
    require_inside(original, buffer.data(), inner);
    size_t cut = strlen(buffer.c_str());
    size_t opener = original.find("<!");
    bool found = opener != std::string::npos && opener + 5 <= original.size();
    require(cut == (found ? opener : original.size()), "the string is cut at the opener");
    require(inner == buffer.data() + (found ? opener + 5 : original.size()),
            "the inner text starts five characters on");
}

// What lies between the cut string and the text after the closer is a closer: "-", one
// character and ">", with at most one blank in front of it. A closer that ends the
// string leaves an empty result where it began.
static void check_closer(const std::string &original) {
    std::string buffer = original;
    char *after = xml_chomp_comment(buffer.data());
    size_t cut = strlen(buffer.c_str());
    size_t resume = after - buffer.data();
    require(after >= buffer.data() && resume <= original.size(), "result lies in the string");
    require(original.compare(0, cut, buffer.c_str()) == 0, "the inner text is a prefix");
    if (cut == original.size()) {
        require(resume == cut, "without a closer the result is the terminator");
        return;
    }
    bool closes_at_end = *after == '\0';
    require(!closes_at_end || resume + 3 == original.size(),
            "a closing end leaves an empty result");
    size_t closer_end = closes_at_end ? original.size() : resume;
    require(original.compare(closer_end, std::string::npos, after) == 0,
            "the text after the closer is kept");
    std::string dropped = original.substr(cut, closer_end - cut);
    if (dropped.size() == 4 && dropped[0] == ' ') dropped.erase(0, 1);
    require(dropped.size() == 3 && dropped[0] == '-' && dropped[2] == '>',
            "only a closer and one blank before it are dropped");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text = as_c_string(as_text(data, size));
    check_word_walk(text);
    check_chomp(text);
    check_new_string(text);
    check_opener(text);
    check_closer(text);
    return 0;
}
