// Temporary folders and files for the Windows tests. Names carry the process
// id and a counter, so that test programs can run side by side.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace elktest {

// A path below the temporary folder that no other test or run uses; nothing
// is created.
std::wstring tempName(const wchar_t* stem);

// Deletes a folder tree; missing is fine, and what cannot be deleted (a module
// still loaded) does not keep the rest.
void removeTree(const std::wstring& path);

// A fresh folder below the temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* stem = L"elk-files");
    ~TempFolder() { removeTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Replaces the file with `bytes`, creating the folders on its path.
bool writeFile(const std::wstring& path, std::string_view bytes);
inline bool writeFile(const std::wstring& path, const std::vector<BYTE>& bytes) {
    return writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// The whole file, "" when it cannot be opened; opened the way the library's
// writers share their files.
std::string readFile(const std::wstring& path);
inline std::vector<BYTE> fileBytes(const std::wstring& path) {
    std::string bytes = readFile(path);
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

// Everything from the handle's start; the file pointer ends at the end.
std::string readAll(HANDLE file);

inline bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string utf8(const std::wstring& text);

}  // namespace elktest
