// The texts the library takes from language modules: for every id its
// built-in (English) form, used when a module lacks the text or holds one
// that cannot be used, and the arguments the library passes with it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "lang/core/printf_args.h"
#include "lang/core/text_ids.h"

namespace elk {

struct TextEntry {
    uint32_t id;
    const char16_t* builtin;
    // Longest text taken from a module, in characters; longer ones are cut.
    uint16_t room;
    uint8_t argCount;
    std::array<PrintfArg, 4> args;

    // What the library passes, in order; empty for a text that is copied as
    // it stands and never used as a format.
    std::span<const PrintfArg> arguments() const { return {args.data(), argCount}; }
};

// Every text of the table, in ascending id order. Each shipped language
// module holds all of them.
std::span<const TextEntry> textTable();

// The entry of `id`. Ids of status-code texts that the table does not list
// share one entry (its id is ELK_TEXT_STATUS_UNKNOWN); other ids: null.
const TextEntry* findText(uint32_t id);

// Built-in format of every status-code text.
inline constexpr char16_t kFallbackErrorFormat[] = u"Error 0x%08X";

// True when a module's `text` may stand for the entry: its conversions are
// the first ones of the entry's arguments, so every insert it reads is passed
// with the type it expects; the arguments it leaves out are never read.
bool textFitsEntry(std::u16string_view text, const TextEntry& entry);

}  // namespace elk
