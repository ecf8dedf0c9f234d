// Runs switcher passes over arbitrary files and checks what a pass may change.
//
// An input is a request line, "<form> <name> <group>", followed by the game's file: the
// form is "1" (commented) or "2" (live), taken from the parity of the first byte, and a
// missing name or group is empty.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "central.h"
#include "file.h"
#include "fuzz_support.h"
#include "general.h"

// Files up to this size also go through the real pass over the file, which is slower.
static const size_t FILE_PASS_LIMIT = 1024;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    enter_private_dir();
    silence_program_diagnostics();
    CONFIG.config_file = NewString("game.conf");
    CONFIG.temp_file = NewString("game.temp");
    return 0;
}

struct pass_request {
    int setting;
    std::string name;
    std::string group;
};

static pass_request parse_request(std::string_view line) {
    pass_request request{!line.empty() && (line[0] & 1) ? 1 : 2, "", ""};
    size_t name_at = std::min(line.find(' '), line.size());
    line.remove_prefix(std::min(name_at + 1, line.size()));
    size_t group_at = std::min(line.find(' '), line.size());
    request.name = line.substr(0, group_at);
    line.remove_prefix(std::min(group_at + 1, line.size()));
    request.group = line.substr(0, line.find(' '));
    return request;
}

// The lines of a file without their "\n"; a last line without one counts.
static std::vector<std::string_view> split_lines(std::string_view file) {
    std::vector<std::string_view> lines;
    while (!file.empty()) {
        size_t end = std::min(file.find('\n'), file.size());
        lines.push_back(file.substr(0, end));
        file.remove_prefix(std::min(end + 1, file.size()));
    }
    return lines;
}

static std::string run_pass(int setting, const pass_request &request, std::string_view file) {
    switch_pass pass{setting, request.name.c_str(), request.group.c_str(), 0};
    std::string out;
    for (std::string_view line : split_lines(file))
        SwitchLine(pass, line, out);
    return out;
}

static bool is_subsequence(std::string_view part, std::string_view whole) {
    size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string_view::npos) return false;
        ++at;
    }
    return true;
}

// Whether `written` is `text` less at most nine of its bytes (an opener of five, a closer
// of three and the blank in front of it), in order, with nothing else put in.
static bool keeps_text(std::string_view written, std::string_view text) {
    return is_subsequence(written, text) && written.size() + 9 >= text.size();
}

// A rewritten opening line holds the line's own text less its markers, with the pass's
// markers put in: an opener, and in the live form a closer after it. The inner text may
// itself hold a "-->" (only a closer at its very end is cut), so any " -->" after the
// opener may be the one the pass put in.
static void check_opening_line(int setting, std::string_view text, std::string_view written) {
    std::string rest(written);
    size_t opener = rest.find("<!-- ");
    require(opener != std::string::npos, "a rewritten opening line holds an opener");
    rest.erase(opener, 5);
    if (setting == 1) return require(keeps_text(rest, text), "an opening line keeps its text");
    bool kept = false;
    for (size_t closer = rest.find(" -->", opener); !kept && closer != std::string::npos;
         closer = rest.find(" -->", closer + 1))
        kept = keeps_text(std::string(rest).erase(closer, 4), text);
    require(kept, "a live opening line keeps its text");
}

static void check_line(const pass_request &request, int setting, int before, int after,
                       std::string_view line, std::string_view out) {
    require(!out.empty() && out.find('\n') == out.size() - 1, "one line in, one line out");
    require(after == 0 || after == setting, "the state is outside or inside a block of the pass");
    std::string_view body = out.substr(0, out.size() - 1);
    std::string_view trimmed = without_trailing_blanks(line);
    if (body == trimmed) return;

    std::string_view text = trimmed.substr(0, trimmed.find('\0'));
    require(text.find('#') != std::string_view::npos, "only lines with a '#' are rewritten");
    if (body == "#end -->" || body == "<!-- #end -->") {
        require(before == setting && after == 0, "an end line is rewritten when it closes a block");
        require(body == (setting == 1 ? "#end -->" : "<!-- #end -->"), "an end line in the form");
        return;
    }
    std::string set_line = "#set " + std::string(request.group.c_str()) + " " +
                           (setting == 1 ? "none" : request.name.c_str());
    if (body == set_line) {
        require(text.find("#set") != std::string_view::npos, "only set lines become set lines");
        require(before == after, "a set line leaves the state alone");
        return;
    }
    require(after == setting, "a rewritten opening line stands inside a block of the pass");
    std::string_view tail = trimmed.substr(text.size());
    require(body.size() >= tail.size() && body.substr(body.size() - tail.size()) == tail,
            "the bytes from a NUL on are kept");
    check_opening_line(setting, text, body.substr(0, body.size() - tail.size()));
}

static std::string checked_pass(int setting, const pass_request &request, std::string_view file) {
    switch_pass pass{setting, request.name.c_str(), request.group.c_str(), 0};
    std::vector<std::string_view> lines = split_lines(file);
    std::string whole, out;
    for (std::string_view line : lines) {
        int before = pass.commenting;
        out.clear();
        SwitchLine(pass, line, out);
        check_line(request, setting, before, pass.commenting, line, out);
        whole += out;
    }
    require(static_cast<size_t>(std::count(whole.begin(), whole.end(), '\n')) == lines.size(),
            "the output has as many lines as the input");
    return whole;
}

// Switching a choice off and on again (or on and off) reaches a file that further rounds
// give back unchanged. A written form can end in blanks (a set line for an empty name)
// that the next round trims, and a rewrite may drop a stray closer on each round, so the
// file can need a few rounds, and one more per ">", before it stands in the written forms.
static void check_rounds_settle(const pass_request &request, std::string file, int first) {
    size_t rounds = 4 + std::count(file.begin(), file.end(), '>');
    for (size_t round = 0; round < rounds; ++round) {
        std::string next = run_pass(3 - first, request, run_pass(first, request, file));
        if (next == file) return;
        file = std::move(next);
    }
    require(false, "switching a choice off and on again settles");
}

// The pass over the real file, through the temporary file, writes what the line-by-line
// rewrite gives.
static void check_file_pass(const pass_request &request, std::string_view file,
                            const std::string &expected) {
    write_input(CONFIG.config_file, file);
    std::string name = request.name, group = request.group;
    Modconfig(request.setting, name.data(), group.data());
    require(read_whole(CONFIG.config_file) == expected, "the file pass writes the line rewrite");
    require(read_whole(CONFIG.temp_file) == expected, "the temporary file holds the rewrite");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view input = as_text(data, size);
    size_t request_end = std::min(input.find('\n'), input.size());
    pass_request request = parse_request(input.substr(0, request_end));
    std::string_view file = input.substr(std::min(request_end + 1, input.size()));

    std::string expected = checked_pass(request.setting, request, file);
    check_rounds_settle(request, std::string(file), 1);
    check_rounds_settle(request, std::string(file), 2);
    if (file.size() <= FILE_PASS_LIMIT) check_file_pass(request, file, expected);
    return 0;
}
