#include "base/core/osclass.h"

namespace elk {

uint32_t classifyOs(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build) {
    if (platform == kPlatformNT) {
        if (major >= 6) return kOsNT6;
        if (major == 5) return minor == 0 ? kOsWin2000 : minor == 1 ? kOsXP : kOsNT52;
        if (major == 4) return kOsNT4;
        return 0;
    }
    if (platform == kPlatform9x) {
        if (minor >= 90) return kOsMe;
        if (minor >= 1) return kOs98;
        if (major == 4) return (build & 0xFFFF) < 1111 ? kOs95 : kOs95OSR2;
        return 0;
    }
    return 0;
}

}  // namespace elk
