// Game files of many choices, for the tests and benchmarks of large headers.
#ifndef SETUP_LARGE_GAME_FILE_H
#define SETUP_LARGE_GAME_FILE_H

#include <string>

inline std::string group_name(int group) {
    return "group" + std::to_string(group);
}
inline std::string choice_name(int choice) {
    return "choice" + std::to_string(choice);
}

// A game file of `choices` choices in groups of ten, each with a description and a block
// of a few lines. The first choice of each group is current, except that the last group's
// current choice is `last_current` when that is given: its block is live, the others'
// blocks are commented out.
inline std::string large_game_file(int choices, int last_current = -1) {
    const int groups = (choices + 9) / 10;
    std::string header, blocks;
    for (int group = 0; group < groups; ++group) {
        const int first = group * 10;
        const int current = group == groups - 1 && last_current >= 0 ? last_current : first;
        std::string cat = "#cat " + group_name(group);
        std::string descs;
        for (int choice = first; choice < first + 10 && choice < choices; ++choice) {
            const std::string name = choice_name(choice);
            cat += " " + name;
            descs += "#desc " + name + " Settings for " + name + ", described at some length\n";
            const bool live = choice == current;
            blocks += live ? "<!-- #" + name + " -->\n" : "<!-- #" + name + "\n";
            blocks += "  <option name=\"" + name + "\" level=\"1\"/>\n";
            blocks += "  <option name=\"" + name + "\" level=\"2\"/>\n";
            blocks += live ? "<!-- #end -->\n" : "#end -->\n";
        }
        header += "#groups " + group_name(group) + "\n" + cat + "\n" + descs;
        header += "#set " + group_name(group) + " " + choice_name(current) + "\n";
    }
    return "<?xml version=\"1.0\"?>\n<!--\n" + header + "#endheader\n-->\n<config>\n" + blocks +
           "</config>\n";
}

#endif
