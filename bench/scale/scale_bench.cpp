// How the cost grows with the number of choices in the header: reading the header, the
// lookups that building the choice panel makes, building the panel itself, and one pick. Each result
// also shows the time per choice, which should stay flat from 100 to 10,000 choices.
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "central.h"
#include "display_gtk.h"
#include "file.h"
#include "general.h"
#include "large_game_file.h"

namespace {

// Writes the game file of `choices` choices into a fresh directory, changes into it and
// points CONFIG at it; removes it all again when done.
class GameDir {
  public:
    explicit GameDir(int choices) {
        char templ[] = "/tmp/setup-bench-XXXXXX";
        if (!mkdtemp(templ) || chdir(templ) != 0) abort();
        dir_ = templ;
        FILE *fp = fopen("game.conf", "w");
        std::string text = large_game_file(choices);
        if (!fp || fwrite(text.data(), 1, text.size(), fp) != text.size() || fclose(fp) != 0)
            abort();
        CONFIG.config_file = NewString("game.conf");
        CONFIG.temp_file = NewString("game.temp");
    }
    ~GameDir() {
        ClearCatalogue();
        ClearMainConfig();
        unlink("game.conf");
        unlink("game.temp");
        if (chdir("/") != 0 || rmdir(dir_.c_str()) != 0) abort();
    }

  private:
    std::string dir_;
};

void per_choice(benchmark::State &state) {
    state.counters["per_choice"] = benchmark::Counter(
        static_cast<double>(state.range(0)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void HeaderRead(benchmark::State &state) {
    GameDir game(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        LoadConfig();
        state.PauseTiming();
        ClearCatalogue();
        state.ResumeTiming();
    }
    per_choice(state);
}

// What the panel asks of the catalogue: each choice's label, and each group's current
// choice record. The window itself is not built here.
void PanelLookups(benchmark::State &state) {
    GameDir game(static_cast<int>(state.range(0)));
    LoadConfig();
    for (auto _ : state) {
        for (catagory *choice = &CATS; choice->name; choice = choice->next)
            benchmark::DoNotOptimize(GetInfo(choice->name));
        for (group *record = &GROUPS; record->name; record = record->next)
            benchmark::DoNotOptimize(GetCatStruct(GetSetting(record->name)));
    }
    per_choice(state);
}

// The window's panel: every group's label and drop-down, filled with its items and showing
// its current choice. Each round builds into a new window, which stays open: the round
// count is kept small. Needs a display (run under xvfb-run); without one it is skipped.
void PanelBuild(benchmark::State &state) {
    static const bool has_display = gtk_init_check(nullptr, nullptr);
    if (!has_display) return state.SkipWithError("needs a display; run under xvfb-run");
    GameDir game(static_cast<int>(state.range(0)));
    CONFIG.program_name = NewString("Bench");
    CONFIG.columns = 10;
    LoadConfig();
    for (auto _ : state) {
        state.PauseTiming();
        InitGraphics(nullptr, nullptr);
        state.ResumeTiming();
        FillMainWindow();
    }
    per_choice(state);
}

// One pick in the last group, as the menu handler makes it: find the records, store the
// new setting, and make the two passes over the file. Picks alternate between two choices.
void Pick(benchmark::State &state) {
    const int choices = static_cast<int>(state.range(0));
    GameDir game(choices);
    LoadConfig();
    const int last_group = (choices - 1) / 10;
    std::string in_group = group_name(last_group);
    std::string picks[] = {choice_name(last_group * 10 + 1), choice_name(last_group * 10)};
    int turn = 0;
    for (auto _ : state) {
        catagory *picked = GetCatStruct(picks[turn].c_str());
        group *record = GetGroupStruct(in_group.c_str());
        catagory *current = GetCatStruct(GetSetting(record->name));
        std::string old = current->name;
        StoreSetting(record, picked->name);
        DisableSetting(old.data(), record->name);
        EnableSetting(picked->name, record->name);
        turn = 1 - turn;
    }
    per_choice(state);
}

BENCHMARK(HeaderRead)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(PanelLookups)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(PanelBuild)->Arg(100)->Arg(1000)->Arg(10000)->Iterations(5)->Unit(
    benchmark::kMillisecond);
BENCHMARK(Pick)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
