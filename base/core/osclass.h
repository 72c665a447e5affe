// Operating-system class: one flag bit chosen from the version the system reports.
#pragma once
#include <cstdint>

namespace elk {

enum : uint32_t {
    kPlatform9x = 1,  // VER_PLATFORM_WIN32_WINDOWS
    kPlatformNT = 2,  // VER_PLATFORM_WIN32_NT
};

enum : uint32_t {
    kOsNT4 = 0x001,
    kOsWin2000 = 0x002,
    kOsXP = 0x004,
    kOs95 = 0x008,
    kOs95OSR2 = 0x010,
    kOs98 = 0x020,
    kOsMe = 0x040,
    kOsNT52 = 0x080,
    kOsNT6 = 0x100,
};

// The one class bit for a platform id, version and build number; 0 for an NT
// older than 4 or an unknown platform.
uint32_t classifyOs(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build);

}  // namespace elk
