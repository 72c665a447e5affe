#include "lang/core/langlist.h"

namespace elk {

std::span<const uint16_t> probedLanguages() {
    static constexpr uint16_t kIds[] = {
        1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039,
        1040, 1041, 1042, 1043, 1044, 1045, 1046, 1048, 1049, 1050, 1051, 1052, 1053, 1054, 1055,
        1056, 1057, 1058, 1059, 1060, 1061, 1062, 1063, 1065, 1066, 1071, 1086, 2052, 2070, 2074,
    };
    return kIds;
}

const char16_t* shortLocaleName(uint16_t language) {
    if (language == 2052) return u"chs";
    if (language == 1028) return u"cht";
    return nullptr;
}

}  // namespace elk
