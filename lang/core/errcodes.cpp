#include "lang/core/errcodes.h"

namespace elk {

ErrorTextPlan planErrorText(uint32_t code) {
    if ((code >= 0x80046100u && code <= 0x80046400u) || code == 0x80004004u || code == 0x8007000Eu ||
        code == 0x80070057u || code == 0x80070005u)
        return {ErrorTextSource::Agent, kFallbackStringId};
    struct Block {
        uint32_t first, count, firstString;
    };
    static constexpr Block kBlocks[] = {
        {0x7FFF0000u, 0x1000, ELK_TEXT_STATUS_7FFF0}, {0x7FFF1000u, 0x1000, ELK_TEXT_STATUS_7FFF1},
        {0x7FFF2000u, 0x1000, ELK_TEXT_STATUS_7FFF2}, {0x7FFF3000u, 0x1000, ELK_TEXT_STATUS_7FFF3},
        {0x7FFF4000u, 0x2000, ELK_TEXT_STATUS_7FFF4}, {kStatusGeneral, 1000, ELK_TEXT_STATUS_42000},
    };
    for (const Block& b : kBlocks)
        if (code - b.first < b.count) return {ErrorTextSource::StringTable, b.firstString + (code - b.first)};
    return {ErrorTextSource::System, kFallbackStringId};
}

uint32_t hresultToStatus(uint32_t result) {
    switch (result) {
    case 0: return kStatusSuccess;
    case 0x80030002u: return kStatusFileNotFound;
    case 0x80030005u: return kStatusAccessDenied;
    case 0x80030008u:
    case 0x8007000Eu: return kStatusNoMemory;
    case 0x80030020u:
    case 0x80030021u: return kStatusSharingViolation;
    case 0x80030050u: return kStatusFileExists;
    case kStatusSmtp: return kStatusSmtp;
    case 0x00040EC6u: return kStatusNoMoreItems;
    default: return kStatusGeneral;
    }
}

ErrorType errorType(uint32_t code) {
    switch (code) {
    case kStatusSuccess: return ErrorType::None;
    case kStatusFileNotFound: case kStatusAccessDenied: case kStatusSharingViolation:
    case 1921:  // ERROR_CANT_RESOLVE_FILENAME
        return ErrorType::Object;
    case kStatusSmtp: return ErrorType::Connection;
    case 42016: return ErrorType::None;
    case 42019: return ErrorType::Restart;
    case 42051: case 42053: case 42054: case 42057: case 42103: return ErrorType::Object;
    case 42100: case 42101: case 42102: return ErrorType::Connection;
    default: return code >= 42120 && code <= 42146 ? ErrorType::Object : ErrorType::General;
    }
}

void cutAtLineEnd(char16_t* text) {
    for (char16_t* p = text; *p; ++p)
        if (*p == u'\r' || *p == u'\n') {
            *p = u'\0';
            return;
        }
}

void trimSystemMessage(char16_t* text) {
    cutAtLineEnd(text);
    char16_t* end = text;
    while (*end) ++end;
    if (end != text && end[-1] == u'.') end[-1] = u'\0';
}

}  // namespace elk
