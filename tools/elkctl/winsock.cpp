// elkctl winsock-repair: the Windows Sockets catalog repair, with the
// catalogs as they were and as they are afterwards, and what became of each
// entry (an entry is known again by its whole content).
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"

namespace elkctl {

namespace {

const std::wstring kParameters = L"System\\CurrentControlSet\\Services\\Winsock2\\Parameters";

struct EntryView {
    std::wstring name, library;
    std::string content;
};

struct CatalogView {
    std::wstring label;
    bool named = false;
    std::optional<DWORD> count;
    std::vector<EntryView> entries;
};

std::optional<std::vector<BYTE>> queryValue(HKEY key, const wchar_t* name, DWORD& type) {
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes)) return std::nullopt;
    std::vector<BYTE> data(bytes + sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes)) return std::nullopt;
    data.resize(bytes);
    return data;
}

std::wstring wideText(const std::vector<BYTE>& data) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    return text.substr(0, std::wcslen(text.c_str()));
}

void append(std::string& out, const void* bytes, size_t size) {
    out.append(static_cast<const char*>(bytes), size);
}

// Every value and subkey below `key`, as bytes.
void serialize(HKEY key, std::string& out) {
    for (DWORD i = 0;; ++i) {
        std::vector<wchar_t> name(16384);
        DWORD length = static_cast<DWORD>(name.size()), type;
        if (RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr)) break;
        auto data = queryValue(key, name.data(), type);
        if (!data) continue;
        const DWORD size = static_cast<DWORD>(data->size());
        out += 'v';
        append(out, &length, sizeof(length));
        append(out, name.data(), length * sizeof(wchar_t));
        append(out, &type, sizeof(type));
        append(out, &size, sizeof(size));
        append(out, data->data(), size);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr)) break;
        elk::UniqueKey child;
        out += 'k';
        append(out, &length, sizeof(length));
        append(out, name, length * sizeof(wchar_t));
        if (RegOpenKeyExW(key, name, 0, KEY_READ, child.put()) == 0) serialize(child.get(), out);
        out += '}';
    }
}

// The path that decides an entry's fate, as stored.
std::wstring libraryOf(HKEY entry, bool protocol) {
    DWORD type;
    auto data = queryValue(entry, protocol ? L"PackedCatalogItem" : L"LibraryPath", type);
    if (!data) return L"(no library path)";
    if (!protocol && (type == REG_SZ || type == REG_EXPAND_SZ)) return wideText(*data);
    if (protocol && type == REG_BINARY) {
        size_t bytes = 0;
        while (bytes < data->size() && (*data)[bytes]) ++bytes;
        std::wstring path(bytes, L'\0');
        int length = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(data->data()),
                                         static_cast<int>(bytes), path.data(), static_cast<int>(path.size()));
        path.resize(length > 0 ? length : 0);
        return path;
    }
    return L"(library path of another type)";
}

CatalogView readCatalog(const wchar_t* nameValue, bool protocol, bool bits64) {
    CatalogView view;
    view.label = protocol ? L"protocol catalog" : L"name-space catalog";
    const std::wstring kind = bits64 ? L" (64-bit)" : L" (32-bit)";
    elk::UniqueKey parameters;
    DWORD type;
    std::optional<std::vector<BYTE>> name;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParameters.c_str(), 0, KEY_READ, parameters.put()) == 0)
        name = queryValue(parameters.get(), nameValue, type);
    if (!name || type != REG_SZ) {
        view.label += kind;
        return view;
    }
    view.named = true;
    const std::wstring catalog = wideText(*name);
    view.label += L" " + catalog + kind;
    elk::UniqueKey catalogKey, entries;
    if (RegOpenKeyExW(parameters.get(), catalog.c_str(), 0, KEY_READ, catalogKey.put())) return view;
    auto count = queryValue(catalogKey.get(), bits64 ? L"Num_Catalog_Entries64" : L"Num_Catalog_Entries", type);
    if (count && type == REG_DWORD && count->size() == sizeof(DWORD))
        view.count = *reinterpret_cast<const DWORD*>(count->data());
    if (RegOpenKeyExW(catalogKey.get(), bits64 ? L"Catalog_Entries64" : L"Catalog_Entries", 0, KEY_READ,
                      entries.put()))
        return view;
    for (DWORD i = 0;; ++i) {
        wchar_t entryName[256];
        DWORD length = 256;
        if (RegEnumKeyExW(entries.get(), i, entryName, &length, nullptr, nullptr, nullptr, nullptr)) break;
        EntryView entry{entryName, L"(unreadable)", {}};
        elk::UniqueKey key;
        if (RegOpenKeyExW(entries.get(), entryName, 0, KEY_READ, key.put()) == 0) {
            entry.library = libraryOf(key.get(), protocol);
            serialize(key.get(), entry.content);
        }
        view.entries.push_back(std::move(entry));
    }
    return view;
}

std::vector<CatalogView> readCatalogs() {
    std::vector<CatalogView> views;
    for (bool bits64 : {false, true})
        for (bool protocol : {true, false})
            views.push_back(readCatalog(protocol ? L"Current_Protocol_Catalog" : L"Current_NameSpace_Catalog",
                                        protocol, bits64));
    return views;
}

void show(const std::vector<CatalogView>& views) {
    for (const CatalogView& view : views) {
        std::wstring text = view.label + L": ";
        if (!view.named) {
            print(text + L"not named in the registry\n");
            continue;
        }
        const size_t n = view.entries.size();
        text += std::to_wstring(n) + (n == 1 ? L" entry" : L" entries") + L", count " +
                (view.count ? std::to_wstring(*view.count) : L"none") + L"\n";
        for (const EntryView& entry : view.entries) text += L"  " + entry.name + L"  " + entry.library + L"\n";
        print(text);
    }
}

// Entries that kept their name and content, then those found under another
// name; the rest are gone.
std::wstring changes(const CatalogView& before, const CatalogView& after) {
    std::vector<bool> matchedBefore(before.entries.size()), matchedAfter(after.entries.size());
    for (size_t i = 0; i < before.entries.size(); ++i)
        for (size_t j = 0; j < after.entries.size(); ++j)
            if (!matchedAfter[j] && before.entries[i].name == after.entries[j].name &&
                before.entries[i].content == after.entries[j].content) {
                matchedBefore[i] = matchedAfter[j] = true;
                break;
            }
    std::wstring text;
    for (size_t i = 0; i < before.entries.size(); ++i) {
        if (matchedBefore[i]) continue;
        size_t j = 0;
        while (j < after.entries.size() && (matchedAfter[j] || after.entries[j].content != before.entries[i].content))
            ++j;
        if (j < after.entries.size()) {
            matchedAfter[j] = true;
            text += L"  renamed " + before.entries[i].name + L" to " + after.entries[j].name + L"\n";
        } else {
            text += L"  removed " + before.entries[i].name + L"\n";
        }
    }
    for (size_t j = 0; j < after.entries.size(); ++j)
        if (!matchedAfter[j]) text += L"  new " + after.entries[j].name + L"\n";
    if (before.count != after.count)
        text += L"  count " + (after.count ? std::to_wstring(*after.count) : std::wstring(L"none")) + L"\n";
    return text;
}

}  // namespace

int winsockRepair(int argc, wchar_t** argv) {
    int mode = 0;
    if (argc == 1 && std::wcscmp(argv[0], L"--reset") == 0)
        mode = 1;
    else if (argc != 0)
        return kMisused;
    const std::vector<CatalogView> before = readCatalogs();
    print(L"before:\n");
    show(before);
    const DWORD result = basFixNetworkStack(mode);
    // The library's own report of a missing catalog name ends without a line break.
    print(L"\nafter:\n");
    const std::vector<CatalogView> after = readCatalogs();
    show(after);
    std::wstring text;
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
        const std::wstring changed = changes(before[i], after[i]);
        if (!changed.empty()) text += after[i].label + L":\n" + changed;
    }
    print(text.empty() ? L"changes: none\n" : L"changes:\n" + text);
    print(L"result: " + codeText(result) + L"\n");
    return result == 0 ? 0 : 1;
}

}  // namespace elkctl
