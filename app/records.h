// The records the whole program shares, each defined once, in records.cpp: the display name, the
// file that is open or about to be, the second instance's message, the options and the bindings.
// The play history keeps its list beside its operations (settings/history.h), and the window's
// own record is made with the window (main_window.cpp).
#ifndef PARLOMIX_RECORDS_H
#define PARLOMIX_RECORDS_H

#include <windows.h>

#include "common/file_spec.h"
#include "input/key_data.h"
#include "settings/option_data.h"

// The display name "Parlomix" (string IDS_APP_TITLE): mutex name, window class name and first
// title.
enum { APP_TITLE_SIZE = 32 };
extern char appTitle[APP_TITLE_SIZE];

// The file that is open or about to be opened; one record shared by every running instance of
// this executable, through a shared section of the image.
extern FileSpec currentFile;

// The message a second start broadcasts after it put its file into currentFile; 0 when it could
// not be registered.
extern UINT ZT_ExistPrevInst;
#define EXIST_PREV_INST_NAME "ZT_ExistPrevInst"

// parlomix_opt and parlomix_key as read at start-up and changed since.
extern OptionData optionData;
extern KeyData KeyDataTable[KEY_DATA_ROWS];

#endif
