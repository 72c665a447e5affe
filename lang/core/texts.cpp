#include "lang/core/texts.h"

#include <algorithm>
#include <vector>

namespace elk {

namespace {

constexpr auto I = PrintfArg::Int;
constexpr auto L = PrintfArg::Int64;
constexpr auto S = PrintfArg::WideStr;

// Rooms of the loads (characters with the terminator). Formats are checked
// whole, so a text cut by its room can only lose conversions at its end.
constexpr uint16_t kTextRoom = 261;
constexpr uint16_t kUnitRoom = 16;
constexpr uint16_t kWordRoom = 500;
constexpr uint16_t kStatusRoom = 520;

constexpr TextEntry plain(uint32_t id, const char16_t* builtin, uint16_t room = kTextRoom) {
    return {id, builtin, room, 0, {}};
}
constexpr TextEntry format(uint32_t id, const char16_t* builtin, std::initializer_list<PrintfArg> args) {
    TextEntry e{id, builtin, kTextRoom, static_cast<uint8_t>(args.size()), {}};
    std::copy(args.begin(), args.end(), e.args.begin());
    return e;
}
// Every status-code text takes the code as its one argument.
constexpr TextEntry status(uint32_t id) { return {id, kFallbackErrorFormat, kStatusRoom, 1, {I}}; }

constexpr TextEntry kTexts[] = {
    plain(ELK_TEXT_NO_TIME, u"Never"),
    plain(ELK_TEXT_TASK_OTHER, u"Predefined scan"),
    format(ELK_TEXT_OS_NT4, u"Windows NT %d.%d (%s)", {I, I, S}),
    format(ELK_TEXT_OS_2000, u"Windows 2000 %s (%s)", {S, S}),
    plain(ELK_TEXT_OS_95, u"Windows 95"),
    plain(ELK_TEXT_OS_95_OSR2, u"Windows 95 OSR 2"),
    plain(ELK_TEXT_OS_95_OSR25, u"Windows 95 OSR 2.5"),
    plain(ELK_TEXT_OS_98, u"Windows 98"),
    plain(ELK_TEXT_OS_98_SE, u"Windows 98 Second Edition"),
    plain(ELK_TEXT_OS_OTHER, u"Win32s or another Windows platform"),
    plain(ELK_TEXT_UNKNOWN_VERSION, u"Unknown"),
    plain(ELK_TEXT_OS_ME, u"Windows Me"),
    format(ELK_TEXT_OS_XP, u"Windows XP %s (%s)", {S, S}),
    format(ELK_TEXT_OS_VISTA, u"Windows Vista or later, %s (%s)", {S, S}),
    plain(ELK_TEXT_OS_WORKSTATION, u"Workstation"),
    plain(ELK_TEXT_OS_SERVER, u"Server"),
    format(ELK_TEXT_OS_2003, u"Windows 2003 %s (%s)", {S, S}),
    plain(ELK_TEXT_TODAY, u"Today, "),
    plain(ELK_TEXT_YESTERDAY, u"Yesterday, "),
    plain(ELK_TEXT_UNIT_FIRST + 0, u"B", kUnitRoom),
    plain(ELK_TEXT_UNIT_FIRST + 1, u"KB", kUnitRoom),
    plain(ELK_TEXT_UNIT_FIRST + 2, u"MB", kUnitRoom),
    plain(ELK_TEXT_UNIT_FIRST + 3, u"GB", kUnitRoom),
    plain(ELK_TEXT_UNIT_LAST, u"TB", kUnitRoom),
    format(ELK_TEXT_BOOT_RECORD, u"Master boot record of hard disk %d", {I}),
    format(ELK_TEXT_BOOT_SECTOR, u"Boot sector of drive %s", {S}),
    format(ELK_TEXT_PROCESS_MEMORY, u"Memory of process %u (%s), address 0x%I64X, size 0x%I64X", {I, S, L, L}),
    plain(ELK_TEXT_TASK_SCREEN_SAVER, u"Screen saver scan"),
    plain(ELK_TEXT_TASK_STANDARD, u"Standard scan"),
    plain(ELK_TEXT_TASK_QUICK, u"Quick scan"),
    plain(ELK_TEXT_TASK_STARTUP, u"Startup scan"),
    plain(ELK_TEXT_ALERT_SUBJECT, u"Tarvo security alert"),
    plain(ELK_TEXT_WORD_VIRUS, u"Virus", kWordRoom),
    plain(ELK_TEXT_WORD_VIRUS_OR_UNWANTED, u"Virus or unwanted program", kWordRoom),
    plain(ELK_TEXT_WORD_UNWANTED, u"Potentially unwanted program", kWordRoom),
    plain(ELK_TEXT_WORD_VARIANT, u"variant of", kWordRoom),
    plain(ELK_TEXT_WORD_SIMILAR, u"similar to", kWordRoom),
    status(ELK_TEXT_STATUS_UNKNOWN),
    // The codes the library returns, and those its error types name.
    status(ELK_TEXT_STATUS_7FFF0 + 3), status(ELK_TEXT_STATUS_7FFF0 + 5), status(ELK_TEXT_STATUS_7FFF0 + 6),
    status(ELK_TEXT_STATUS_7FFF0 + 8), status(ELK_TEXT_STATUS_7FFF0 + 10), status(ELK_TEXT_STATUS_7FFF1 + 1),
    status(ELK_TEXT_STATUS_7FFF1 + 2),
    status(ELK_TEXT_STATUS_42000 + 0), status(ELK_TEXT_STATUS_42000 + 3), status(ELK_TEXT_STATUS_42000 + 16),
    status(ELK_TEXT_STATUS_42000 + 19), status(ELK_TEXT_STATUS_42000 + 51), status(ELK_TEXT_STATUS_42000 + 53),
    status(ELK_TEXT_STATUS_42000 + 54), status(ELK_TEXT_STATUS_42000 + 57), status(ELK_TEXT_STATUS_42000 + 100),
    status(ELK_TEXT_STATUS_42000 + 101), status(ELK_TEXT_STATUS_42000 + 102), status(ELK_TEXT_STATUS_42000 + 103),
    status(ELK_TEXT_STATUS_42000 + 120), status(ELK_TEXT_STATUS_42000 + 121), status(ELK_TEXT_STATUS_42000 + 122),
    status(ELK_TEXT_STATUS_42000 + 123), status(ELK_TEXT_STATUS_42000 + 124), status(ELK_TEXT_STATUS_42000 + 125),
    status(ELK_TEXT_STATUS_42000 + 126), status(ELK_TEXT_STATUS_42000 + 127), status(ELK_TEXT_STATUS_42000 + 128),
    status(ELK_TEXT_STATUS_42000 + 129), status(ELK_TEXT_STATUS_42000 + 130), status(ELK_TEXT_STATUS_42000 + 131),
    status(ELK_TEXT_STATUS_42000 + 132), status(ELK_TEXT_STATUS_42000 + 133), status(ELK_TEXT_STATUS_42000 + 134),
    status(ELK_TEXT_STATUS_42000 + 135), status(ELK_TEXT_STATUS_42000 + 136), status(ELK_TEXT_STATUS_42000 + 137),
    status(ELK_TEXT_STATUS_42000 + 138), status(ELK_TEXT_STATUS_42000 + 139), status(ELK_TEXT_STATUS_42000 + 140),
    status(ELK_TEXT_STATUS_42000 + 141), status(ELK_TEXT_STATUS_42000 + 142), status(ELK_TEXT_STATUS_42000 + 143),
    status(ELK_TEXT_STATUS_42000 + 144), status(ELK_TEXT_STATUS_42000 + 145), status(ELK_TEXT_STATUS_42000 + 146),
};

constexpr bool ascending() {
    for (size_t i = 1; i < std::size(kTexts); ++i)
        if (kTexts[i - 1].id >= kTexts[i].id) return false;
    return true;
}
static_assert(ascending(), "findText searches the table by halves");

// The status families' ids, up to the last one 0x7FFF4000 + 0x1FFF reads.
constexpr uint32_t kFirstStatusText = ELK_TEXT_STATUS_UNKNOWN;
constexpr uint32_t kLastStatusText = ELK_TEXT_STATUS_7FFF4 + 0x1FFF;
constexpr TextEntry kAnyStatus = status(ELK_TEXT_STATUS_UNKNOWN);

}  // namespace

std::span<const TextEntry> textTable() { return kTexts; }

const TextEntry* findText(uint32_t id) {
    const TextEntry* end = std::end(kTexts);
    const TextEntry* at = std::lower_bound(std::begin(kTexts), end, id,
                                           [](const TextEntry& e, uint32_t wanted) { return e.id < wanted; });
    if (at != end && at->id == id) return at;
    return id >= kFirstStatusText && id <= kLastStatusText ? &kAnyStatus : nullptr;
}

bool textFitsEntry(std::u16string_view text, const TextEntry& entry) {
    std::vector<PrintfArg> used;
    if (!parsePrintfArgs(text, used)) return false;
    const auto expected = entry.arguments();
    return used.size() <= expected.size() && std::equal(used.begin(), used.end(), expected.begin());
}

}  // namespace elk
