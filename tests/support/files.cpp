#include "support/files.h"

#include <filesystem>
#include <fstream>

namespace elktest {

std::wstring tempName(const wchar_t* stem) {
    static LONG counter;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // The tick count keeps a later run from meeting what an aborted one left.
    return std::wstring(temp) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(InterlockedIncrement(&counter)) + L"-" + std::to_wstring(GetTickCount());
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

TempFolder::TempFolder(const wchar_t* stem) : path_(tempName(stem)) { CreateDirectoryW(path_.c_str(), nullptr); }

bool writeFile(const std::wstring& path, std::string_view bytes) {
    std::filesystem::path file(path);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::string readFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes = readAll(file);
    CloseHandle(file);
    return bytes;
}

std::string readAll(HANDLE file) {
    std::string bytes;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char block[4096];
    DWORD read = 0;
    while (ReadFile(file, block, sizeof(block), &read, nullptr) && read > 0) bytes.append(block, read);
    return bytes;
}

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(n - 1);
    return out;
}

}  // namespace elktest
