// Replays stored inputs through a fuzz target without the fuzzing runtime, so that the
// normal and the sanitizer builds check every input of the corpus on each test run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

// The files named by `path`: itself, or the regular files of the directory, in name order.
static std::vector<std::string> inputs_of(const std::string &path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return {};
    if (!S_ISDIR(info.st_mode)) return {path};
    std::vector<std::string> files;
    if (DIR *dir = opendir(path.c_str())) {
        while (dirent *entry = readdir(dir)) {
            std::string file = path + "/" + entry->d_name;
            if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) files.push_back(file);
        }
        closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

int main(int argc, char **argv) {
    // The inputs are listed before the target settles in its own working directory.
    int status = 0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::string> found = inputs_of(argv[i]);
        // An empty or missing corpus would make the replay pass without checking anything.
        if (found.empty()) {
            fprintf(stderr, "no inputs in %s\n", argv[i]);
            status = 1;
        }
        files.insert(files.end(), found.begin(), found.end());
    }
    std::vector<std::string> inputs;
    for (const std::string &file : files) {
        std::ifstream in(file, std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    for (const std::string &data : inputs)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.data()), data.size());
    printf("replayed %zu inputs\n", inputs.size());
    return status;
}
