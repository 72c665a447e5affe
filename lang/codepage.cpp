// Character set, reading direction and console code page of the chosen language.
#include <string_view>

#include "base/handles.h"
#include "base/state.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "lang/core/codepage.h"

using elk::g_state;

namespace {

struct CharsetSearch {
    BYTE charset;
    bool found;
};

int CALLBACK stopAtCharset(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
    auto* search = reinterpret_cast<CharsetSearch*>(param);
    if (font->lfCharSet != search->charset) return -1;
    search->found = true;
    return 0;
}

}  // namespace

extern "C" {

DWORD WINAPI basGetCharacterSet(void) {
    wchar_t text[16];
    int n = GetLocaleInfoW(elk::charsetLocaleFor(g_state.language), LOCALE_IDEFAULTANSICODEPAGE, text,
                           ARRAYSIZE(text));
    // Locales without an ANSI code page (Unicode-only scripts) report 0: the
    // font mapper is then left to choose by itself.
    UINT codePage = n > 0 ? elk::parseCodePage(std::u16string_view(elk::u16(text))) : 0;
    CHARSETINFO info;
    if (codePage == 0 ||
        !TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(codePage)), &info, TCI_SRCCODEPAGE))
        return DEFAULT_CHARSET;
    return info.ciCharset;
}

int WINAPI basFontSupportsCharset(const LOGFONTW* font, BYTE charset) {
    if (!font) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LOGFONTW search = {};
    search.lfCharSet = charset;
    // The caller's face name need not be terminated within its field.
    size_t i = 0;
    for (; i + 1 < LF_FACESIZE && font->lfFaceName[i]; ++i) search.lfFaceName[i] = font->lfFaceName[i];
    search.lfFaceName[i] = L'\0';

    elk::UniqueScreenDc screen(GetDC(nullptr));
    if (!screen) return -1;
    CharsetSearch state = {charset, false};
    EnumFontFamiliesExW(screen.get(), &search, stopAtCharset, reinterpret_cast<LPARAM>(&state), 0);
    return state.found ? 1 : 0;
}

BOOL WINAPI basIsCurrCodePageRTL(void) { return elk::isRightToLeftLanguage(g_state.language); }

UINT WINAPI basGetConsoleCP(void) {
    UINT codePage = elk::consoleCodePageFor(g_state.language);
    return codePage ? codePage : GetConsoleOutputCP();
}

BOOL WINAPI basDoesCurrCodePageSupportExtendedConsoleChars(void) {
    // Without a console the output code page reads 0, which GetCPInfo would
    // take for the ANSI code page; it counts as not known.
    UINT codePage = GetConsoleOutputCP();
    CPINFO info;
    if (codePage == 0 || !GetCPInfo(codePage, &info)) return TRUE;
    return info.MaxCharSize == 1;
}

}
