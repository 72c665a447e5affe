// elkctl product and elkctl codepage: what the setup installed, and the
// character set and code pages of the configured language.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

#include "base/suite/ozrCmnBS.h"
#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

std::wstring number(unsigned long value) { return std::to_wstring(value); }

std::wstring charsetName(DWORD charset) {
    static const struct {
        DWORD charset;
        const wchar_t* name;
    } kNames[] = {
        {ANSI_CHARSET, L"Western"},          {DEFAULT_CHARSET, L"default"},     {SYMBOL_CHARSET, L"symbol"},
        {SHIFTJIS_CHARSET, L"Japanese"},     {HANGUL_CHARSET, L"Korean"},       {JOHAB_CHARSET, L"Korean (Johab)"},
        {GB2312_CHARSET, L"Simplified Chinese"}, {CHINESEBIG5_CHARSET, L"Traditional Chinese"},
        {GREEK_CHARSET, L"Greek"},           {TURKISH_CHARSET, L"Turkish"},     {VIETNAMESE_CHARSET, L"Vietnamese"},
        {HEBREW_CHARSET, L"Hebrew"},         {ARABIC_CHARSET, L"Arabic"},       {BALTIC_CHARSET, L"Baltic"},
        {RUSSIAN_CHARSET, L"Cyrillic"},      {THAI_CHARSET, L"Thai"},           {EASTEUROPE_CHARSET, L"Central European"},
        {OEM_CHARSET, L"OEM"},               {MAC_CHARSET, L"Macintosh"},
    };
    for (const auto& n : kNames)
        if (n.charset == charset) return number(charset) + L" (" + n.name + L")";
    return number(charset);
}

}  // namespace

int product(int argc, wchar_t** argv) {
    // The setup files are found through the installation's folders, which
    // the base library knows even when the start-up stops short.
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    std::wstring text;
    text += L"Program folder:      " + std::wstring(fsGetTarvoProgramPath()) + L"\n";
    text += L"Edition:             " + number(basProductInfo()) + L"\n";
    text += L"Edition from groups: " + number(basProductInfoFilesOnly()) + L"\n";
    for (int i = 0; i < argc; ++i)
        text += L"Component " + std::wstring(argv[i]) + L": " + number(basIsComponentInstalled(argv[i])) + L"\n";
    print(text);
    return 0;
}

int codepage(int argc, wchar_t** argv) {
    if (argc > 2) return kMisused;
    std::optional<BYTE> fontCharset;
    if (argc == 2 && !(fontCharset = parseNumber<BYTE>(argv[1])))
        return misused(std::wstring(L"not a character set (0 to 255): ") + argv[1]);
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    if (library.status() != 0) return reportFailure(L"start-up failed", library.status());
    DWORD charset = basGetCharacterSet();
    std::wstring text;
    text += L"Language id:         " + number(basGetLanguage()) + L"\n";
    text += L"Character set:       " + charsetName(charset) + L"\n";
    text += L"Right to left:       " + std::wstring(basIsCurrCodePageRTL() ? L"yes" : L"no") + L"\n";
    UINT console = basGetConsoleCP();
    text += L"Console code page:   " + (console ? number(console) : std::wstring(L"none (no console)")) + L"\n";
    text += L"Console single-byte: " +
            std::wstring(basDoesCurrCodePageSupportExtendedConsoleChars() ? L"yes" : L"no") + L"\n";
    int result = 0;
    if (argc >= 1) {
        if (argc == 1) fontCharset = static_cast<BYTE>(charset);
        LOGFONTW font = {};
        wcsncpy(font.lfFaceName, argv[0], LF_FACESIZE - 1);
        int found = basFontSupportsCharset(&font, *fontCharset);
        text += L"Font \"" + std::wstring(font.lfFaceName) + L"\" in " + charsetName(*fontCharset) + L": " +
                (found == 1 ? L"yes" : found == 0 ? L"no" : L"unknown (no screen)") + L"\n";
        if (found < 0) result = 1;
    }
    print(text);
    return result;
}

}  // namespace elkctl
