#include "maint/core/mirror_settings.h"

namespace elk {

namespace {

constexpr std::u16string_view kScheme = u"http://";

bool startsWithScheme(std::u16string_view text) {
    if (text.size() < kScheme.size()) return false;
    for (size_t i = 0; i < kScheme.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kScheme[i]) return false;
    }
    return true;
}

std::u16string decimal(uint32_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value);
    return digits;
}

}  // namespace

const char* mirrorSources(bool upstream) { return upstream ? "mirror,main" : "main"; }

const char* updaterSources(bool fallback) { return fallback ? "mirror,main" : "mirror"; }

std::u16string upstreamAddress(std::u16string_view host, uint32_t port) {
    std::u16string out(kScheme);
    out += host;
    out += u':';
    out += decimal(port);
    return out;
}

std::u16string updaterAddress(std::u16string_view address, uint32_t port) {
    if (startsWithScheme(address)) return std::u16string(address);
    if (address.find(u'/') != std::u16string_view::npos) return std::u16string(kScheme) + std::u16string(address);
    return upstreamAddress(address, port);
}

std::optional<std::u16string> mirrorCommandLine(std::u16string_view logPath) {
    if (logPath.empty()) return std::u16string();
    if (logPath.find(u'"') != std::u16string_view::npos) return std::nullopt;
    std::u16string out = u" /savelog \"";
    out += logPath;
    out += u'"';
    return out;
}

}  // namespace elk
