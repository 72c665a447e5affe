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
        {0x7FFF0000u, 0x1000, 30000}, {0x7FFF1000u, 0x1000, 30100}, {0x7FFF2000u, 0x1000, 30200},
        {0x7FFF3000u, 0x1000, 30300}, {0x7FFF4000u, 0x2000, 30400}, {42000, 1000, 31000},
    };
    for (const Block& b : kBlocks)
        if (code - b.first < b.count) return {ErrorTextSource::StringTable, b.firstString + (code - b.first)};
    return {ErrorTextSource::System, kFallbackStringId};
}

uint32_t hresultToStatus(uint32_t result) {
    switch (result) {
    case 0: return 0;
    case 0x80030002u: return 2;
    case 0x80030005u: return 5;
    case 0x80030008u:
    case 0x8007000Eu: return 8;
    case 0x80030020u:
    case 0x80030021u: return 32;
    case 0x80030050u: return 80;
    case 42003: return 42003;
    case 0x00040EC6u: return 259;
    default: return 42000;
    }
}

uint32_t errorType(uint32_t code) {
    switch (code) {
    case 0: return 3;
    case 2: case 5: case 32: case 1921: return 0;
    case 42003: return 2;
    case 42016: return 3;
    case 42019: return 4;
    case 42051: case 42053: case 42054: case 42057: case 42103: return 0;
    case 42100: case 42101: case 42102: return 2;
    default: return code >= 42120 && code <= 42146 ? 0 : 1;
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
