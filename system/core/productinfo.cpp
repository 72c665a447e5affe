#include "system/core/productinfo.h"

namespace elk {

namespace {

bool equalsIgnoringCase(std::u16string_view text, std::u16string_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != lower[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<uint32_t> editionFromSetupValue(uint32_t value) {
    if (value >= 1 && value <= kEditionCount) return value - 1;
    return std::nullopt;
}

uint32_t editionOfGroup(std::u16string_view group) {
    for (std::u16string_view name : {u"zis_fw", u"zis_spm_sh"})
        if (equalsIgnoringCase(group, name)) return 2;
    for (std::u16string_view name : {u"zis_scr_sh", u"zis_pro"})
        if (equalsIgnoringCase(group, name)) return 1;
    return 0;
}

}  // namespace elk
