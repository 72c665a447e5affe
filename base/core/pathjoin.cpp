#include "base/core/pathjoin.h"

namespace elk {

namespace {
uint32_t length(const char16_t* s) {
    uint32_t n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}
}  // namespace

uint32_t joinPath(const char16_t* folder, const char16_t* name, char16_t* out, uint32_t size) {
    if (!out || size == 0) return 0;
    uint32_t n = length(folder);
    // Like a bounded string copy: the folder, then zeros up to the end of the buffer.
    for (uint32_t i = 0; i < size; ++i) out[i] = i < n ? folder[i] : u'\0';
    if (size <= n + 1) {
        out[size - 1] = u'\0';
        return size;
    }
    if (n > 0 && folder[n - 1] != u'\\') out[n++] = u'\\';
    uint32_t room = size - n - 1;
    uint32_t i = 0;
    for (; name && name[i] && i < room; ++i) out[n + i] = name[i];
    out[n + i] = u'\0';
    out[size - 1] = u'\0';
    return n;
}

}  // namespace elk
