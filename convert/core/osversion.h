// The system-version record as text, and the readable name of a Windows
// release composed from the language module's texts.
#pragma once
#include <cstddef>
#include <cstdint>

#include "lang/core/text_ids.h"

namespace elk {

// Same layout as the system's long version record (OSVERSIONINFOEXW); the
// short record (276 bytes) is its first part. The size field tells them apart.
struct OsVersionRecord {
    uint32_t size;
    uint32_t major;
    uint32_t minor;
    uint32_t build;
    uint32_t platform;
    char16_t servicePack[128];
    uint16_t servicePackMajor;
    uint16_t servicePackMinor;
    uint16_t suiteMask;
    uint8_t productType;
    uint8_t reserved;
};

inline constexpr uint32_t kOsRecordShortSize = 276;
inline constexpr uint32_t kOsRecordLongSize = 284;
static_assert(sizeof(OsVersionRecord) == kOsRecordLongSize);

// Bits of the platform field: the low four are the system's platform code;
// the suite's callers add the two flags.
inline constexpr uint32_t kPlatformWin9x = 1;
inline constexpr uint32_t kPlatformNT = 2;
inline constexpr uint32_t kPlatformServerFlag = 0x80;  // read only for a short record
inline constexpr uint32_t kPlatform64BitFlag = 0x100;

// The record's service-pack text, which may fill its field without a
// terminator, as a terminated text.
using ServicePackText = char16_t[129];
void servicePackText(const OsVersionRecord& record, ServicePackText& out);

// "size,major,minor,build,platform,spMajor,spMinor,suite,product,sp text";
// a short record writes 0 for its four missing numbers. Returns the length,
// or -1 when the text was cut to fit n (terminated whenever n > 0).
int osVersionToText(const OsVersionRecord& record, char16_t* out, size_t n);

// Reads the text above into `record`: a null or empty text clears it; numbers
// that cannot be read leave their fields unchanged; the service-pack text is
// what follows the last comma (empty without one), cut to fit.
void osVersionFromText(const char16_t* text, OsVersionRecord& record);

// Text ids of the language module for release names.
enum OsTextId : uint32_t {
    kOsTextNT4 = ELK_TEXT_OS_NT4,
    kOsText2000 = ELK_TEXT_OS_2000,
    kOsText95 = ELK_TEXT_OS_95,
    kOsText95Osr2 = ELK_TEXT_OS_95_OSR2,
    kOsText95Osr25 = ELK_TEXT_OS_95_OSR25,
    kOsText98 = ELK_TEXT_OS_98,
    kOsText98SE = ELK_TEXT_OS_98_SE,
    kOsTextOther = ELK_TEXT_OS_OTHER,
    kOsTextUnknown = ELK_TEXT_UNKNOWN_VERSION,
    kOsTextMe = ELK_TEXT_OS_ME,
    kOsTextXP = ELK_TEXT_OS_XP,
    kOsTextVista = ELK_TEXT_OS_VISTA,
    kOsTextWorkstation = ELK_TEXT_OS_WORKSTATION,
    kOsTextServer = ELK_TEXT_OS_SERVER,
    kOsText2003 = ELK_TEXT_OS_2003,
};

// Built-in text for an id above (English, from the table of texts), used
// when a module lacks the text or holds one that does not fit its
// arguments; null for other ids.
const char16_t* builtinOsText(uint32_t id);

// Used when no language module can be loaded: major, minor, service pack.
inline constexpr char16_t kOsNameFallbackFormat[] = u"Windows %d.%d (%s)";

// Where composeOsName gets its texts. Every call writes a terminated text of
// at most n - 1 characters (n > 0).
class OsNameTexts {
public:
    // Text `id` as it stands: from the library's own language module when
    // `ownModule`, else from the module loaded for the name.
    virtual void copy(uint32_t id, bool ownModule, char16_t* out, size_t n) = 0;
    // Text 50 as a format: major, minor (%d), service pack (%s).
    virtual void formatNumbers(uint32_t id, char16_t* out, size_t n, int32_t major, int32_t minor,
                               const char16_t* servicePack) = 0;
    // Texts 51, 60, 61, 70 as formats: edition word, service pack (%s, %s).
    virtual void formatEdition(uint32_t id, char16_t* out, size_t n, const char16_t* edition,
                               const char16_t* servicePack) = 0;

protected:
    ~OsNameTexts() = default;
};

// Chooses the release name for `record` and writes it into out (n characters,
// terminator included; nothing for n == 0).
void composeOsName(const OsVersionRecord& record, OsNameTexts& texts, char16_t* out, size_t n);

}  // namespace elk
