// What the test doubles of system libraries were asked to do, appended as
// lines "key=value" to the file named by an environment variable, so that a
// test can read back every argument. Values are escaped ('\n' as "\n", '\'
// as "\\"); a null text is written as "(null)".
#pragma once
#include <windows.h>

#include <string>

namespace elkdouble {

inline std::string escaped(const char* text) {
    if (!text) return "(null)";
    std::string out;
    for (; *text; ++text) {
        if (*text == '\n') out += "\\n";
        else if (*text == '\\') out += "\\\\";
        else out += *text;
    }
    return out;
}

inline std::string escaped(const wchar_t* text) {
    if (!text) return "(null)";
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(n > 0 ? n : 1, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
    return escaped(utf8.c_str());
}

inline void record(const wchar_t* variable, const std::string& lines) {
    wchar_t path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(variable, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    CloseHandle(file);
}

// A decimal number from the environment, or `fallback`.
inline unsigned long setting(const wchar_t* variable, unsigned long fallback) {
    wchar_t text[32];
    DWORD n = GetEnvironmentVariableW(variable, text, 32);
    if (n == 0 || n >= 32) return fallback;
    return wcstoul(text, nullptr, 10);
}

}  // namespace elkdouble
