// Helpers shared by the settings-storage tests.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/library.h"

namespace storagetest {

// A temporary installation with the library started on it (light start);
// stopped and removed again at the end of the scope.
class Started {
public:
    explicit Started(const wchar_t* edition = nullptr);
    ~Started();
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    elktest::InstallTree tree;
    DWORD startResult = 0;

private:
    std::optional<elktest::StartedLibrary> library_;
};

// A value name no other test or test run uses.
std::wstring uniqueName(const wchar_t* what);

// The suite's default key and the machine key of an edition.
inline const wchar_t kDefaultKey[] = L"Software\\ORVEL Software\\Tarvo\\5.0";
std::wstring editionKey(const std::wstring& edition);

struct RawValue {
    LONG rc = 0;
    DWORD type = 0;
    std::vector<BYTE> data;
};
// The value as the registry holds it, read around the library.
RawValue rawValue(HKEY root, const std::wstring& key, const std::wstring& name);
LONG rawStore(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
              DWORD size);
void rawDelete(HKEY root, const std::wstring& key, const std::wstring& name);

using elktest::fileBytes;

}  // namespace storagetest
