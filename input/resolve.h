// ResolveOperation turns a reported input event (the bound operation and the key flags of a
// ZT_Command) into the operation to carry out, applying Play mode and the press/release rule.
#ifndef PARLOMIX_RESOLVE_H
#define PARLOMIX_RESOLVE_H

#include <stdint.h>

#include "settings/option_data.h"

// `keyFlags` bit 31 set means released. Returns OP_INVALID (14) when nothing is to be done.
int32_t ResolveOperation(int32_t operation, int32_t keyFlags, const OptionData *options);

#endif
