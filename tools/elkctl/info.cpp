// elkctl info and elkctl error.
#include <windows.h>

#include <clocale>
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

std::wstring osClassText() {
    static const struct {
        DWORD bit;
        const wchar_t* name;
    } kClasses[] = {
        {ELK_OS_NT4, L"NT 4"}, {ELK_OS_NT50, L"NT 5.0"}, {ELK_OS_NT51, L"NT 5.1"}, {ELK_OS_NT52, L"NT 5.2"},
        {ELK_OS_NT6, L"NT 6 or later"}, {ELK_OS_95, L"95"}, {ELK_OS_95OSR2, L"95 OSR2"}, {ELK_OS_98, L"98"},
        {ELK_OS_ME, L"Me"},
    };
    for (const auto& c : kClasses)
        if (basIsOS(c.bit)) {
            wchar_t line[48];
            _snwprintf(line, ARRAYSIZE(line), L"%s (0x%03X)", c.name, c.bit);
            line[ARRAYSIZE(line) - 1] = L'\0';
            return line;
        }
    return L"unknown";
}

int info(int argc, wchar_t**) {
    if (argc != 0) return kMisused;
    Started library(0);
    if (library.status() != 0) return reportFailure(L"start-up failed", library.status());
    const wchar_t* locale = _wsetlocale(LC_ALL, nullptr);
    std::wstring text;
    auto row = [&](const wchar_t* name, const std::wstring& value) {
        text += name;
        text += value;
        text += L"\n";
    };
    row(L"Program folder:   ", fsGetTarvoProgramPath());
    row(L"Data folder:      ", fsGetTarvoDataPath());
    row(L"Log folder:       ", fsGetTarvoLogPath());
    row(L"Language id:      ", std::to_wstring(basGetLanguage()));
    row(L"Language folder:  ", basGetLanguagePath());
    row(L"Locale:           ", locale ? locale : L"");
    row(L"INI file:         ", basGetIniPath());
    row(L"Computer name:    ", basGetComputerName());
    row(L"Domain name:      ", basGetDomainName());
    row(L"Operating system: ", osClassText());
    print(text);
    return 0;
}

int error(int argc, wchar_t** argv) {
    if (argc != 1) return kMisused;
    std::optional<DWORD> code = parseNumber<DWORD>(argv[0]);
    if (!code) return misused(std::wstring(L"not a status code: ") + argv[0]);
    Started library(ELK_INIT_LIGHT);  // texts in the configured language, else the built-in ones
    print(statusText(*code) + L"\n");
    return 0;
}

}  // namespace elkctl
