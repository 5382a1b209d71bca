// Settings files for end-to-end tests: written as a previous run would have left them, and
// read back after the program closed.
#ifndef PARLOMIX_TEST_SETTINGS_FILES_H
#define PARLOMIX_TEST_SETTINGS_FILES_H

#include <string>

#include "input/key_data.h"
#include "settings/option_data.h"

namespace driver {

// Writes `options` and the default bindings into `folder`, so the program starts without boxes.
bool WriteSettings(const std::string &folder, const OptionData &options);
// The default options with their history emptied, written as above.
OptionData WriteDefaultSettings(const std::string &folder);
// parlomix_opt of `folder`; all zero when it is missing or not 4244 bytes long.
OptionData ReadOptions(const std::string &folder);

}  // namespace driver

#endif
