// A build tool, compiled for and run on the build machine: writes parlomix_opt and
// parlomix_key as a first start would leave them (the default options and bindings), to ship
// beside Parlomix.exe so that a new user's first start opens straight into the window.
// Usage: write_default_settings FOLDER
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "input/tables.h"
#include "settings/option_data.h"

static bool WriteFile(const std::string &path, const void *data, size_t size) {
    FILE *file = fopen(path.c_str(), "wb");
    if (file == NULL) return false;
    bool written = fwrite(data, 1, size, file) == size;
    return fclose(file) == 0 && written;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: write_default_settings FOLDER\n");
        return 2;
    }
    // The files are little-endian byte images of the records, as on Windows.
    const uint32_t probe = 1;
    unsigned char first;
    memcpy(&first, &probe, 1);
    if (first != 1) {
        fprintf(stderr, "write_default_settings: needs a little-endian build machine\n");
        return 1;
    }
    OptionData options;
    SetDefaultOptionData(&options);
    KeyData keys[KEY_DATA_ROWS];
    SetDefaultKeyData(keys);
    std::string folder = argv[1];
    if (!WriteFile(folder + "/parlomix_opt", &options, sizeof options) ||
        !WriteFile(folder + "/parlomix_key", keys, sizeof keys)) {
        perror("write_default_settings");
        return 1;
    }
    return 0;
}
