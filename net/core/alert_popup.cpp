#include "net/core/alert_popup.h"

namespace elk {

bool messengerMailslotName(std::u16string_view target, char16_t* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    out[0] = u'\0';
    constexpr std::u16string_view kHead = u"\\\\";
    constexpr std::u16string_view kTail = u"\\MAILSLOT\\messngr";
    // A NUL inside the target would end the name early, just like a cut.
    if (target.find(u'\0') != std::u16string_view::npos) return false;
    if (kHead.size() + target.size() + kTail.size() >= capacity) return false;
    size_t n = 0;
    for (std::u16string_view part : {kHead, target, kTail})
        for (char16_t c : part) out[n++] = c;
    out[n] = u'\0';
    return true;
}

std::string messengerDatagram(std::string_view sender, std::string_view target, std::string_view message) {
    std::string datagram;
    datagram.reserve(sender.size() + target.size() + message.size() + 4);
    datagram.append(sender).push_back('\0');
    datagram.append(target).push_back('\0');
    datagram.append(message).push_back('\0');
    datagram.push_back('\0');
    return datagram;
}

}  // namespace elk
