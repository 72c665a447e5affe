#include "storage/core/regvalue.h"

namespace elk::storage {

namespace {

constexpr std::u16string_view kVendor = u"Software\\ORVEL Software\\Tarvo\\";
constexpr std::u16string_view kVersion = u"5.0";

}  // namespace

bool suiteKeyPath(std::u16string_view edition, bool machineRoot, char16_t* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = u'\0';
    const bool withEdition = machineRoot && !edition.empty();
    const std::u16string_view parts[] = {kVendor, withEdition ? edition : std::u16string_view(),
                                         withEdition ? u"\\" : u"", kVersion};
    size_t length = 0;
    for (std::u16string_view part : parts) length += part.size();
    if (length >= size) return false;
    size_t at = 0;
    for (std::u16string_view part : parts) at += part.copy(out + at, part.size());
    out[at] = u'\0';
    return true;
}

uint32_t terminateReadString(char16_t* out, size_t size, size_t bytesRead) {
    if (!out || size == 0) return kMoreData;
    size_t chars = bytesRead / sizeof(char16_t);
    if (chars < size) {
        out[chars] = u'\0';
        return 0;
    }
    // The room is full: fine only when the data brought a terminator of their own.
    for (size_t i = size; i-- > 0;)
        if (out[i] == u'\0') return 0;
    out[0] = u'\0';
    return kMoreData;
}

}  // namespace elk::storage
