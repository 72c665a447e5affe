#include "tools/elkctl/console.h"

#include <windows.h>

#include "include/elkBase.h"

namespace elkctl {

namespace {
void write(DWORD which, const std::wstring& text) {
    HANDLE out = GetStdHandle(which);
    DWORD mode, written;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}
}  // namespace

void print(const std::wstring& text) { write(STD_OUTPUT_HANDLE, text); }
void printError(const std::wstring& text) { write(STD_ERROR_HANDLE, text); }

std::wstring statusText(unsigned long code) {
    wchar_t text[1024];
    basGetErrorString(code, text, ARRAYSIZE(text));
    return text;
}

std::wstring hex32(unsigned long value) {
    wchar_t text[16];
    _snwprintf(text, ARRAYSIZE(text), L"0x%08lX", value);
    text[ARRAYSIZE(text) - 1] = L'\0';
    return text;
}

std::wstring codeText(unsigned long code) {
    wchar_t number[32];
    if (code <= 0xFFFF)
        _snwprintf(number, ARRAYSIZE(number), L"%lu (0x%08lX)", code, code);
    else
        _snwprintf(number, ARRAYSIZE(number), L"0x%08lX", code);
    number[ARRAYSIZE(number) - 1] = L'\0';
    return std::wstring(number) + L" " + statusText(code);
}

int reportFailure(const std::wstring& what, unsigned long code) {
    printError(L"elkctl: " + what + L": " + hex32(code) + L" " + statusText(code) + L"\n");
    return 1;
}

}  // namespace elkctl
