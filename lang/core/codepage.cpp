#include "lang/core/codepage.h"

#include <algorithm>
#include <iterator>

namespace elk {

namespace {

struct ConsolePage {
    uint16_t language;
    uint16_t codePage;
};

// Sorted by language for the binary search.
constexpr ConsolePage kConsolePages[] = {
    {1026, 866}, {1027, 850}, {1028, 950}, {1029, 852}, {1030, 850}, {1031, 850}, {1032, 869},
    {1033, 850}, {1035, 850}, {1036, 850}, {1038, 852}, {1039, 850}, {1040, 850}, {1041, 932},
    {1042, 949}, {1043, 850}, {1044, 850}, {1045, 852}, {1046, 850}, {1048, 852}, {1049, 866},
    {1050, 852}, {1051, 852}, {1052, 852}, {1053, 850}, {1054, 874}, {1055, 857}, {1057, 850},
    {1058, 866}, {1059, 866}, {1060, 852}, {1061, 775}, {1062, 775}, {1063, 775}, {1071, 866},
    {1086, 850}, {2052, 936}, {2070, 850}, {2074, 852}, {3082, 850},
};

constexpr bool sortedByLanguage() {
    for (size_t i = 1; i < std::size(kConsolePages); ++i)
        if (kConsolePages[i - 1].language >= kConsolePages[i].language) return false;
    return true;
}
static_assert(sortedByLanguage());

constexpr uint16_t kUsEnglish = 1033;
constexpr uint32_t kUserDefaultLocale = 0x400;

}  // namespace

uint32_t consoleCodePageFor(uint16_t language) {
    auto it = std::lower_bound(std::begin(kConsolePages), std::end(kConsolePages), language,
                               [](const ConsolePage& p, uint16_t id) { return p.language < id; });
    return (it != std::end(kConsolePages) && it->language == language) ? it->codePage : 0;
}

bool isRightToLeftLanguage(uint16_t language) {
    // Arabic, Hebrew, Urdu, Farsi.
    return language == 1025 || language == 1037 || language == 1056 || language == 1065;
}

uint32_t charsetLocaleFor(uint16_t language) { return language == kUsEnglish ? kUserDefaultLocale : language; }

uint32_t parseCodePage(std::u16string_view text) {
    uint32_t value = 0;
    bool digits = false;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        value = value * 10 + static_cast<uint32_t>(c - u'0');
        if (value > 0xFFFF) return 0;
        digits = true;
    }
    return digits ? value : 0;
}

}  // namespace elk
