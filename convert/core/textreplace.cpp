#include "convert/core/textreplace.h"

#include <string>

namespace elk {

void changeSubStr(char16_t* text, size_t capacity, std::u16string_view find, std::u16string_view replacement) {
    if (!text || capacity == 0 || find.empty() || find == replacement) return;
    size_t length = std::u16string_view(text, capacity).find(u'\0');
    if (length == std::u16string_view::npos) return;
    // Each search starts again at the beginning. A longer replacement stops at
    // the capacity, a shorter one when no occurrence is left, and one of the
    // same length makes the text always greater (or always smaller) in unit
    // order, so no text comes back and the loop ends too.
    for (;;) {
        size_t at = std::u16string_view(text, length).find(find);
        if (at == std::u16string_view::npos) return;
        size_t grown = length - find.size() + replacement.size();
        if (grown >= capacity) return;
        if (replacement.size() != find.size()) {
            size_t tail = at + find.size();
            std::char_traits<char16_t>::move(text + at + replacement.size(), text + tail, length - tail + 1);
        }
        if (!replacement.empty())
            std::char_traits<char16_t>::copy(text + at, replacement.data(), replacement.size());
        length = grown;
    }
}

}  // namespace elk
