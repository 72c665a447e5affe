#include "net/core/dotted.h"

namespace elk::net {

bool parseDotted(const char* text, std::uint8_t out[4]) {
    if (!text) return false;
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        if (*p == '.') return false;
        unsigned value = 0;
        int digits = 0;
        while (*p != '\0') {
            char c = *p++;
            if (c < '0' || c > '9') return false;
            // Saturate: any run of digits above 255 fails below, however long.
            value = value > 255 ? 256 : value * 10 + static_cast<unsigned>(c - '0');
            ++digits;
            if (*p == '.') break;
        }
        if (digits == 0 || value > 255) return false;
        if (*p == '.') ++p;
        out[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}

}  // namespace elk::net
