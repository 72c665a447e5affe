#include "system/core/file_names.h"

namespace elk {

namespace {

char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// `text` starts with `lower` (ASCII letters compared without case).
bool startsWithNoCase(std::u16string_view text, std::u16string_view lower) {
    if (text.size() < lower.size()) return false;
    for (size_t i = 0; i < lower.size(); ++i)
        if (asciiLower(text[i]) != lower[i]) return false;
    return true;
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

bool isUnpackLeftover(std::u16string_view name) {
    if (!startsWithNoCase(name, u"unp")) return false;
    size_t i = 3;
    while (i < name.size() && name[i] >= u'0' && name[i] <= u'9') ++i;
    std::u16string_view tail = name.substr(i);
    return tail.empty() || (tail.size() == 4 && startsWithNoCase(tail, u".tmp"));
}

std::u16string quoteProgram(std::u16string_view command) {
    if (!command.empty() && command.front() == u'"') return std::u16string(command);
    for (size_t dot = command.find(u'.'); dot != std::u16string_view::npos; dot = command.find(u'.', dot + 1)) {
        std::u16string_view from = command.substr(dot);
        if (!startsWithNoCase(from, u".exe") && !startsWithNoCase(from, u".scr")) continue;
        size_t end = dot + 4;
        if (end < command.size() && !isBlank(command[end])) continue;
        std::u16string quoted = u"\"";
        quoted.append(command.substr(0, end)).append(u"\"").append(command.substr(end));
        return quoted;
    }
    std::u16string quoted = u"\"";
    quoted.append(command).append(u"\"");
    return quoted;
}

}  // namespace elk
