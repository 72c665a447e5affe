// Started by the process tests: after a pause (so that a caller that does
// not wait returns first), writes the command line it was given, in UTF-8,
// to "<its own path>.txt".
#include <windows.h>

#include <string>

int main() {
    Sleep(1000);
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    const wchar_t* line = GetCommandLineW();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string text(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), bytes, nullptr, nullptr);
    // Written under another name and renamed, so that a reader never sees half of it.
    const std::wstring target = std::wstring(self) + L".txt", partial = target + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && MoveFileW(partial.c_str(), target.c_str()) ? 0 : 1;
}
