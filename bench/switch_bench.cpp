// Times one switcher pass over generated configuration files of several sizes against a
// baseline that moves the same bytes as often (into the temporary file and back) with
// plain buffered reads and writes and no parsing. Both are timed in turn in every
// iteration, so that the load of a shared machine falls on both alike.
//
//   switch_bench [benchmark flags]      runs the benchmark in $TMPDIR (or /tmp)
//   switch_bench --generate FILE BYTES  only writes a generated file, for comparisons
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "central.h"
#include "file.h"
#include "general.h"

namespace {

const size_t BUFFER = 128 * 1024;

// A header and then setting blocks of three choices of one group, A live and B and C
// commented out, each with a few body lines, until the file has about `size` bytes.
void Generate(const std::string &path, size_t size) {
    FILE *fp = fopen(path.c_str(), "w");
    if (!fp) throw std::runtime_error("cannot write " + path);
    size_t written = fprintf(fp, "<?xml version=\"1.0\"?>\n<!-- #groups Detail -->\n"
                                 "<!-- #cat Detail A B C -->\n#set Detail A\n"
                                 "<!-- #endheader -->\n<config>\n");
    for (unsigned block = 0; written < size; ++block) {
        const char *choice = "ABC" + block % 3;
        bool live = *choice == 'A';
        written += fprintf(fp, live ? "<!-- #%c -->\n" : "<!-- #%c\n", *choice);
        for (unsigned line = 0; line < 3 + block % 6; ++line)
            written += fprintf(fp, "  <param name=\"p%u_%u\" value=\"%u\"/>\n", block, line,
                               block * 7 + line);
        written += fprintf(fp, live ? "<!-- #end -->\n" : "#end -->\n");
    }
    fputs("</config>\n", fp);
    if (fclose(fp) != 0) throw std::runtime_error("cannot write " + path);
}

std::string BenchDirectory() {
    const char *base = getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/switch-bench-XXXXXX";
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    return templ;
}

std::string bench_dir;
std::map<size_t, std::string> targets;

// The generated target for each size, made once per run.
const std::string &Target(size_t size) {
    std::string &path = targets[size];
    if (path.empty()) {
        path = bench_dir + "/game-" + std::to_string(size) + ".conf";
        Generate(path, size);
    }
    return path;
}

std::string TempFile() { return bench_dir + "/config.temp"; }

void RemoveFiles() {
    for (const auto &[size, path] : targets) unlink(path.c_str());
    unlink(TempFile().c_str());
    rmdir(bench_dir.c_str());
}

void Copy(const char *from, const char *to) {
    FILE *in = fopen(from, "r");
    FILE *out = fopen(to, "w");
    if (!in || !out) throw std::runtime_error("baseline cannot open its files");
    static char buffer[BUFFER];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;)
        if (fwrite(buffer, 1, n, out) != n) throw std::runtime_error("baseline write failed");
    fclose(in);
    if (fclose(out) != 0) throw std::runtime_error("baseline write failed");
}

void Baseline() {
    Copy(CONFIG.config_file, CONFIG.temp_file);
    Copy(CONFIG.temp_file, CONFIG.config_file);
}

// Passes that comment out and bring back choice A in turn, so that the file stays alike.
void Pass(int iteration) {
    static char name[] = "A", group[] = "Detail";
    Modconfig(iteration % 2 ? 2 : 1, name, group);
}

template <typename Work> double Seconds(Work work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

long ResidentKiB() {
    long pages = 0, resident = 0;
    FILE *fp = fopen("/proc/self/statm", "r");
    if (fp && fscanf(fp, "%ld %ld", &pages, &resident) != 2) resident = 0;
    if (fp) fclose(fp);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// How far one pass raises the resident memory above what the process held before it,
// measured in a child so that earlier passes and the benchmark itself do not count.
long PeakGrowthKiB() {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        long before = ResidentKiB();
        Pass(0);
        Pass(1);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        long growth = usage.ru_maxrss - before;
        ssize_t sent = write(fds[1], &growth, sizeof growth);
        _exit(sent == sizeof growth ? 0 : 1);
    }
    close(fds[1]);
    long growth = -1;
    if (read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return growth;
}

void BM_Pass(benchmark::State &state) {
    size_t size = state.range(0);
    ClearMainConfig();
    CONFIG.config_file = NewString(Target(size).c_str());
    CONFIG.temp_file = NewString(TempFile().c_str());

    std::vector<double> pass_times, baseline_times;
    for (auto _ : state) {
        baseline_times.push_back(Seconds(Baseline));
        pass_times.push_back(Seconds([&] { Pass(pass_times.size()); }));
        state.SetIterationTime(pass_times.back());
    }
    // Medians, so that a burst of load from other work on the machine does not decide.
    double pass_time = Median(pass_times), baseline_time = Median(baseline_times);
    state.counters["pass_MBps"] = size / 1e6 / pass_time;
    state.counters["baseline_MBps"] = size / 1e6 / baseline_time;
    state.counters["ratio"] = pass_time / baseline_time;
    state.counters["peak_growth_KiB"] = PeakGrowthKiB();
}

} // namespace

BENCHMARK(BM_Pass)
    ->Arg(64 << 10)
    ->Arg(8 << 20)
    ->Arg(128 << 20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

int main(int argc, char **argv) {
    if (argc == 4 && strcmp(argv[1], "--generate") == 0) {
        Generate(argv[2], strtoull(argv[3], nullptr, 10));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    bench_dir = BenchDirectory();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveFiles();
    ClearMainConfig();
    return 0;
}
