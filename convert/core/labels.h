// Texts shown for the suite's values: the virus-database label, detection
// descriptions, task status and names, and the names of scanned objects.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "convert/core/timetext.h"

namespace elk {

// ---- Virus-database label --------------------------------------------------

inline constexpr uint32_t kLabelTwoDigitYear = 0x02;
inline constexpr uint32_t kLabelDateOnly = 0x04;
inline constexpr uint32_t kLabelVersionOnly = 0x08;
inline constexpr uint32_t kLabelNoYear = 0x10;

// Date orders of the locale (LOCALE_IDATE).
inline constexpr int kMonthDayYear = 0;
inline constexpr int kDayMonthYear = 1;
inline constexpr int kYearMonthDay = 2;

// Two digits for day and month, four (or with kLabelTwoDigitYear two) for the
// year, in the locale's order; `separator` is used only when it is one
// character, else '/'.
std::u16string databaseDate(CalendarDate date, int order, std::u16string_view separator, uint32_t flags);

// "%06x-%x, date", or the version or the date alone by the flags. An empty
// date (a time that cannot be shown) leaves out its ", " too.
std::u16string databaseLabel(uint32_t first, uint32_t second, std::u16string_view date, uint32_t flags);

// ---- Detection description -------------------------------------------------

// Text ids of the description's two words for the flags, 0 for no word.
struct DescriptionWords {
    unsigned first;
    unsigned second;
};
DescriptionWords descriptionWords(uint8_t flags);

// Appends `word` and a blank when `capacity` exceeds the result's length + 1
// (the words are never cut); false when it does not fit.
bool appendDescriptionWord(std::u16string& text, std::u16string_view word, size_t capacity);

// ---- Task status and names -------------------------------------------------

inline constexpr uint32_t kTaskDone = 0x20000000;
inline constexpr uint32_t kTaskCanceled = 0x30000000;
inline constexpr uint32_t kTaskFailed = 0x50000000;
inline constexpr uint32_t kTaskProcessing = 0x70000000;

std::u16string taskStatusText(uint32_t status, uint32_t failure);

// How a task name is shown: unchanged (user's own task), "WHS", or a text of
// the language module.
struct TaskNameRule {
    bool keep;
    bool whs;
    unsigned textId;
};
TaskNameRule taskNameRule(std::u16string_view name);

// ---- Scanned objects -------------------------------------------------------

inline constexpr size_t kProcessNameMax = 255;

enum class ObjectKind { Path, BootRecord, BootSector, Process };

struct ObjectName {
    ObjectKind kind = ObjectKind::Path;
    uint32_t disk = 0;                // BootRecord
    std::u16string_view rest;         // BootSector: what follows "*BOOT"
    uint32_t processId = 0;           // Process
    std::u16string_view processName;  // empty when the description has none
    uint64_t first = 0, second = 0;   // Process: 0 when absent
};

// "*MBR<digit>", "*BOOT<rest>", "*PROCESS<sep><hex id>[\name\<hex>[\<hex>]]"
// (keywords in any case); everything else is a path.
ObjectName parseObjectName(std::u16string_view name);

// ---- Small helpers ---------------------------------------------------------

bool equalsNoCase(std::u16string_view a, std::u16string_view b);
bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix);

}  // namespace elk
