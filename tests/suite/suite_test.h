// Small helpers shared by the tests of the suite's stand-ins.
#pragma once
#include <windows.h>

#include <string>

#include "support/install_tree.h"

namespace suitetest {

// A fresh folder below the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        static LONG counter;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"suite-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(InterlockedIncrement(&counter)) + L"-" + std::to_wstring(GetTickCount());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { elktest::removeTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

inline bool writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

// Everything from the handle's start; the pointer ends at the end.
inline std::string readAll(HANDLE h) {
    std::string bytes;
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    char block[4096];
    DWORD read = 0;
    while (ReadFile(h, block, sizeof(block), &read, nullptr) && read > 0) bytes.append(block, read);
    return bytes;
}

inline bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string hex(const BYTE* bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

}  // namespace suitetest
