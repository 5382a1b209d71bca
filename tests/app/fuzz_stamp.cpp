// libFuzzer target for stamp texts: the bytes become a format and a text. Whatever is found must
// read back the same from its own stamp, and no output may pass its buffer.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "app/stamp.h"

static void Check(bool condition) {
    if (!condition) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    size_t formatLength = data[0] % STAMP_FORMAT_SIZE;
    if (formatLength > size - 1) formatLength = size - 1;
    std::string format(reinterpret_cast<const char *>(data + 1), formatLength);
    std::string text(reinterpret_cast<const char *>(data + 1 + formatLength),
                     size - 1 - formatLength);
    format = format.c_str();
    text = text.c_str();

    int64_t ms = -1;
    if (FindLastStamp(text.c_str(), format.c_str(), &ms)) {
        Check(ms >= 0);
        char stamp[STAMP_TEXT_SIZE];
        FormatStamp(stamp, sizeof stamp, "[hh:mm:ss.ddd]", ms);
        int64_t again = -1;
        Check(ParseStampOnly(stamp, nullptr, &again) && again == ms);
    }
    ParseStampOnly(text.c_str(), format.c_str(), &ms);
    int32_t offset = 0;
    if (ParseStampOffset(text.c_str(), &offset))
        Check(offset >= -STAMP_OFFSET_LIMIT && offset <= STAMP_OFFSET_LIMIT);

    char small[17];
    memset(small, 0x7F, sizeof small);
    int n = FormatStamp(small, 16, format.c_str(), (int64_t)(data[0]) * 3600007);
    Check(n >= 0 && n < 16 && small[16] == 0x7F && small[n] == '\0');
    n = ExpandSnippet(small, 16, text.c_str(), format.c_str());
    Check(n >= 0 && n < 16 && small[16] == 0x7F && small[n] == '\0');
    return 0;
}
