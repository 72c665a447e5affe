// elkctl submit: one file handed to the library's submission, with the
// properties given on the command line.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/suite/ozrCmnBS.h"
#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

std::optional<std::wstring> fullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (path.empty() || n == 0 || n >= MAX_PATH) return std::nullopt;
    return std::wstring(full);
}

// The names of the finished spool files in the folder.
std::set<std::wstring> spoolFiles(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"*.suspic").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(entry.cFileName);
    while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

struct Property {
    std::wstring tag, value;
};

}  // namespace

int submit(int argc, wchar_t** argv) {
    if (argc < 1) return kMisused;
    std::optional<std::wstring> path = fullPath(argv[0]);
    if (!path) return misused(std::wstring(L"cannot use the path ") + argv[0]);
    std::optional<std::wstring> type;
    DWORD kind = ELK_SUBMIT_MANUAL, flags = 0;
    std::vector<Property> texts, files;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg != L"--type" && arg != L"--kind" && arg != L"--flags" && arg != L"--prop" && arg != L"--file-prop")
            return misused(L"unknown option " + arg);
        if (i + 1 >= argc) return misused(arg + L" needs a value");
        const std::wstring value = argv[++i];
        if (arg == L"--type") {
            type = value;
        } else if (arg == L"--kind" || arg == L"--flags") {
            std::optional<DWORD> number = parseNumber<DWORD>(value);
            if (!number) return misused(L"not a 32-bit number: " + value);
            (arg == L"--kind" ? kind : flags) = *number;
        } else {
            const std::size_t equals = value.find(L'=');
            // Spool tags are four characters ("VPS " ends in a blank).
            if (equals != 4) return misused(L"not TAG=VALUE with a tag of four characters: " + value);
            Property p{value.substr(0, 4), value.substr(5)};
            if (arg == L"--file-prop") {
                std::optional<std::wstring> file = fullPath(p.value);
                if (!file) return misused(L"cannot use the path " + p.value);
                p.value = *file;
                files.push_back(p);
            } else {
                texts.push_back(p);
            }
        }
    }

    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    if (library.status() != 0) {
        printError(L"elkctl: start-up failed: " + codeText(library.status()) + L"\n");
        return 1;
    }
    std::vector<SubmitProperty> properties;
    for (const std::vector<Property>* group : {&texts, &files})
        for (const Property& p : *group) {
            SubmitProperty record = {};
            std::copy(p.tag.begin(), p.tag.end(), record.tag);
            record.value = p.value.c_str();
            properties.push_back(record);
        }
    const wchar_t* data = fsGetTarvoDataPath();
    std::wstring folder = data ? data : L"";
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    folder += L"spool\\suspic\\";
    const std::set<std::wstring> before = spoolFiles(folder);

    SubmitFileInfo info = {};
    info.path = path->c_str();
    const DWORD rc = basSubmitFile(&info, type ? type->c_str() : nullptr, kind, flags, static_cast<DWORD>(texts.size()),
                                   properties.empty() ? nullptr : properties.data(), nullptr,
                                   static_cast<DWORD>(files.size()));
    if (rc != 0) return reportFailure(L"submission of " + *path + L" failed", rc);

    std::wstring text = L"Submitted: " + codeText(rc) + L"\n";
    std::vector<std::wstring> added;
    for (const std::wstring& name : spoolFiles(folder))
        if (!before.count(name)) added.push_back(name);
    if (added.empty())
        text += L"No spool file was written: the sampling filter, the statistics limit or the size limit held the "
                L"file back.\n";
    for (const std::wstring& name : added) text += L"Spool file: " + folder + name + L"\n";
    print(text);
    return 0;
}

}  // namespace elkctl
