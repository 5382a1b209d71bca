// The program-wide records of records.h, defined here and nowhere else.
#include "app/records.h"

char appTitle[APP_TITLE_SIZE];

// Zero-filled in the image and shared by all processes started from this executable, so that a
// second start can hand its file to the first before it signals.
__attribute__((section(".shr"), shared)) FileSpec currentFile = {};

UINT ZT_ExistPrevInst;

OptionData optionData;
KeyData KeyDataTable[KEY_DATA_ROWS];
