// Where the text of a status code comes from, and the two code classifiers.
#pragma once
#include <cstdint>

#include "base/core/status.h"
#include "lang/core/text_ids.h"

namespace elk {

enum class ErrorTextSource : uint8_t {
    Agent,        // the management agent's formatter, then string 29999
    StringTable,  // a string of the language module
    System,       // the system's message table, then string 29999
};

struct ErrorTextPlan {
    ErrorTextSource source;
    uint32_t stringId;  // the string to format (29999 as the agent's and system's fallback)
};

inline constexpr uint32_t kFallbackStringId = ELK_TEXT_STATUS_UNKNOWN;

ErrorTextPlan planErrorText(uint32_t code);

// Folds a COM-style result into the library's own codes.
uint32_t hresultToStatus(uint32_t result);

// Sorts a status code into one of five types for the suite's callers.
ErrorType errorType(uint32_t code);

// Cuts a system message at its first CR and its first LF, then drops one
// full stop at its end.
void trimSystemMessage(char16_t* text);

// Cuts a text at its first CR and its first LF.
void cutAtLineEnd(char16_t* text);

}  // namespace elk
