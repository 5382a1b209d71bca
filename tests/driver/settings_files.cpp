// Writing and reading the settings files of an installed program for end-to-end tests.
#include "tests/driver/settings_files.h"

#include <string.h>

#include <vector>

#include "input/tables.h"
#include "tests/driver/driver.h"

namespace driver {

bool WriteSettings(const std::string &folder, const OptionData &options) {
    KeyData keys[KEY_DATA_ROWS];
    SetDefaultKeyData(keys);
    return WriteBytes(folder + "\\parlomix_opt", &options, sizeof options) &&
           WriteBytes(folder + "\\parlomix_key", keys, sizeof keys);
}

OptionData WriteDefaultSettings(const std::string &folder) {
    OptionData options;
    SetDefaultOptionData(&options);
    WriteSettings(folder, options);
    return options;
}

OptionData ReadOptions(const std::string &folder) {
    OptionData options;
    memset(&options, 0, sizeof options);
    std::vector<unsigned char> bytes = ReadBytes(folder + "\\parlomix_opt");
    if (bytes.size() == sizeof options) memcpy(&options, bytes.data(), sizeof options);
    return options;
}

}  // namespace driver
