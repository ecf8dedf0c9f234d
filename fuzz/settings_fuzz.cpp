// Feeds arbitrary bytes to the reader of "setup.config" and checks what it leaves in CONFIG.
#include <cstring>

#include "central.h"
#include "file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    enter_private_dir();
    silence_program_diagnostics();
    return 0;
}

// A stored value is one trimmed piece of one line.
static bool is_trimmed_value(const char *value) {
    size_t length = strlen(value);
    if (length == 0 || strchr(value, '\n')) return false;
    char last = value[length - 1];
    return last != '\r' && last != ' ';
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // A file without a usable "config_file" line ends the process by design; the line
    // appended here keeps every input on the path that returns, and is only a duplicate
    // when the input names a file itself.
    std::string file(as_text(data, size));
    file += "\nconfig_file appended\n";
    write_input("setup.config", file);

    LoadMainConfig();
    require(CONFIG.program_name && CONFIG.config_file && CONFIG.temp_file,
            "every string setting is filled");
    require(is_trimmed_value(CONFIG.program_name) && is_trimmed_value(CONFIG.config_file) &&
                is_trimmed_value(CONFIG.temp_file),
            "string settings are non-empty trimmed pieces of one line");
    ClearMainConfig();
    return 0;
}
