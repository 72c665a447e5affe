// The messenger mailslot that takes a pop-up when the Messenger service
// cannot: its name and the datagram written to it.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace elk {

// "\\<target>\MAILSLOT\messngr" into out (capacity units, terminator
// included). False, with out emptied, when the name does not fit: a cut name
// would open some other file, and the datagram would overwrite it.
bool messengerMailslotName(std::u16string_view target, char16_t* out, size_t capacity);

// The datagram: sender, NUL, target, NUL, message, NUL, and one more NUL, in
// 8-bit text.
std::string messengerDatagram(std::string_view sender, std::string_view target, std::string_view message);

}  // namespace elk
