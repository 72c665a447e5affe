// The Windows Sockets catalog repair on catalogs of the test's own in the
// prefix's registry: the catalog names are pointed at them for the test and
// put back afterwards, whatever happens.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "include/elkBase.h"
#include "support/files.h"
#include "support/install_tree.h"
#include "support/process.h"

namespace {

const std::wstring kParameters = L"System\\CurrentControlSet\\Services\\Winsock2\\Parameters";
const wchar_t* const kCatalogNames[] = {L"Current_Protocol_Catalog", L"Current_NameSpace_Catalog"};

enum Catalog { Protocol, NameSpace };
enum Bits { B32, B64 };

std::wstring entriesKey(Bits bits) { return bits == B32 ? L"Catalog_Entries" : L"Catalog_Entries64"; }
std::wstring countValue(Bits bits) { return bits == B32 ? L"Num_Catalog_Entries" : L"Num_Catalog_Entries64"; }

std::wstring entryName(unsigned number) {
    wchar_t name[16];
    swprintf(name, 16, L"%012u", number);
    return name;
}

// A value as it is stored.
struct Value {
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const Value&) const = default;
};

Value text(const std::wstring& s, DWORD type = REG_SZ) {
    const BYTE* p = reinterpret_cast<const BYTE*>(s.c_str());
    return {type, std::vector<BYTE>(p, p + (s.size() + 1) * sizeof(wchar_t))};
}
Value dword(DWORD v) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&v);
    return {REG_DWORD, std::vector<BYTE>(p, p + sizeof(v))};
}
// A protocol record: the library's ANSI path, its terminator and the rest of
// a record's worth of bytes.
Value packed(const std::string& path) {
    std::vector<BYTE> data(path.begin(), path.end());
    data.resize(0x3C8, 0);
    for (size_t i = path.size() + 8; i < data.size(); ++i) data[i] = static_cast<BYTE>(i * 7);
    return {REG_BINARY, data};
}

std::optional<Value> readValue(HKEY key, const wchar_t* name) {
    DWORD type, bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes)) return std::nullopt;
    Value v{type, std::vector<BYTE>(bytes)};
    if (RegQueryValueExW(key, name, nullptr, &type, v.data.data(), &bytes)) return std::nullopt;
    v.data.resize(bytes);
    return v;
}

// The system adds a string's left-out terminator when one follows the data in
// memory: the bytes after it are never zero here.
void setValue(HKEY key, const std::wstring& name, const Value& v) {
    std::vector<BYTE> data = v.data;
    data.insert(data.end(), {0xFF, 0xFF});
    ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, v.type, data.data(), static_cast<DWORD>(v.data.size())), 0L);
}

// Everything below a key: "\\sub|v:value" -> value, "\\sub|k" for a key,
// "\\sub|class" for its class.
using Tree = std::map<std::wstring, Value>;
void dump(HKEY key, const std::wstring& at, Tree& tree) {
    tree[at + L"|k"] = {};
    for (DWORD i = 0;; ++i) {
        std::vector<wchar_t> name(16384);
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr)) break;
        tree[at + L"|v:" + std::wstring(name.data(), length)] = *readValue(key, name.data());
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256], keyClass[256];
        DWORD length = 256, classLength = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, keyClass, &classLength, nullptr)) break;
        tree[at + L"\\" + name + L"|class"] = text(std::wstring(keyClass, classLength));
        elk::UniqueKey child;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, child.put()) == 0) dump(child.get(), at + L"\\" + name, tree);
    }
}

// One kept entry: its marker value tells where an entry went.
struct Entry {
    unsigned number;
    Value library;  // LibraryPath or PackedCatalogItem; type REG_NONE: none
    const wchar_t* name = nullptr;  // when not the twelve-digit number
};

// A link key goes only through a handle to the link itself.
void removeLink(const std::wstring& path) {
    elk::UniqueKey link;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, link.put())) return;
    using DeleteKey = LONG(WINAPI*)(HANDLE);
    auto deleteKey = reinterpret_cast<DeleteKey>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    if (deleteKey) deleteKey(link.get());
}

const std::wstring kPresent = L"%SystemRoot%\\system32\\ws2_32.dll";
const std::wstring kMissing = L"%SystemRoot%\\system32\\elk-no-such-provider.dll";

class WinsockCatalog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kParameters.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  parameters_.put(), nullptr),
                  0L);
        for (int i = 0; i < 2; ++i) saved_[i] = readValue(parameters_.get(), kCatalogNames[i]);
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        const std::wstring stem =
            L"ElkTest_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::wstring(test.begin(), test.end());
        catalog_[Protocol] = stem + L"_Protocol";
        catalog_[NameSpace] = stem + L"_NameSpace";
        for (int i = 0; i < 2; ++i) setValue(parameters_.get(), kCatalogNames[i], text(catalog_[i]));
    }

    void TearDown() override {
        for (int i = 0; i < 2; ++i) {
            if (saved_[i])
                setValue(parameters_.get(), kCatalogNames[i], *saved_[i]);
            else
                RegDeleteValueW(parameters_.get(), kCatalogNames[i]);
            removeLink(kParameters + L"\\" + catalog_[i] + L"\\" + entriesKey(B32) + L"\\" + entryName(2) +
                       L"\\link");
            RegDeleteTreeW(parameters_.get(), catalog_[i].c_str());
            RegDeleteKeyW(parameters_.get(), catalog_[i].c_str());
        }
    }

    std::wstring catalogPath(Catalog c) const { return kParameters + L"\\" + catalog_[c]; }
    std::wstring entriesPath(Catalog c, Bits bits) const { return catalogPath(c) + L"\\" + entriesKey(bits); }

    elk::UniqueKey create(const std::wstring& path) {
        elk::UniqueKey key;
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                  nullptr),
                  0L)
            << path.c_str();
        return key;
    }

    void add(Catalog c, Bits bits, const std::vector<Entry>& entries, std::optional<DWORD> count) {
        for (const Entry& e : entries) {
            elk::UniqueKey key = create(entriesPath(c, bits) + L"\\" + (e.name ? e.name : entryName(e.number)));
            setValue(key.get(), L"Marker", dword(e.number));
            if (e.library.type != REG_NONE)
                setValue(key.get(), c == Protocol ? L"PackedCatalogItem" : L"LibraryPath", e.library);
        }
        if (count) setValue(create(catalogPath(c)).get(), countValue(bits), dword(*count));
    }

    // Entry name -> marker.
    std::map<std::wstring, DWORD> entries(Catalog c, Bits bits) {
        std::map<std::wstring, DWORD> found;
        elk::UniqueKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, entriesPath(c, bits).c_str(), 0, KEY_READ, key.put())) return found;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr)) break;
            elk::UniqueKey entry;
            RegOpenKeyExW(key.get(), name, 0, KEY_READ, entry.put());
            auto marker = readValue(entry.get(), L"Marker");
            found[name] = marker ? *reinterpret_cast<const DWORD*>(marker->data.data()) : 0xFFFFFFFF;
        }
        return found;
    }

    std::optional<DWORD> count(Catalog c, Bits bits) {
        elk::UniqueKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, catalogPath(c).c_str(), 0, KEY_READ, key.put())) return std::nullopt;
        auto v = readValue(key.get(), countValue(bits).c_str());
        if (!v) return std::nullopt;
        EXPECT_EQ(v->type, DWORD(REG_DWORD));
        return *reinterpret_cast<const DWORD*>(v->data.data());
    }

    bool exists(const std::wstring& path) {
        elk::UniqueKey key;
        return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) == 0;
    }

    elk::UniqueKey parameters_;
    std::optional<Value> saved_[2];
    std::wstring catalog_[2];
};

std::map<std::wstring, DWORD> named(std::initializer_list<std::pair<unsigned, DWORD>> rows) {
    std::map<std::wstring, DWORD> out;
    for (auto [number, marker] : rows) out[entryName(number)] = marker;
    return out;
}

Value path(Catalog c, const std::wstring& p) {
    return c == Protocol ? packed(std::string(p.begin(), p.end())) : text(p);
}

// A dead entry goes and the count follows; live ones close the gaps without a
// count write; both kinds and both catalogs, the paths after %SystemRoot%.
TEST_F(WinsockCatalog, RemovesDeadEntriesAndRenumbers) {
    const struct {
        Catalog catalog;
        Bits bits;
    } layouts[] = {{NameSpace, B32}, {Protocol, B32}, {NameSpace, B64}, {Protocol, B64}};
    for (size_t i = 0; i < std::size(layouts); ++i) {
        const auto [c, bits] = layouts[i];
        if (i % 3 == 0)  // entry 2 of 3 gone
            add(c, bits, {{1, path(c, kPresent)}, {2, path(c, kMissing)}, {3, path(c, kPresent)}}, 3);
        else  // 1, 5, 9 all there, no count value: none is written
            add(c, bits, {{1, path(c, kPresent)}, {5, path(c, kPresent)}, {9, path(c, kPresent)}}, std::nullopt);
    }
    EXPECT_EQ(basFixNetworkStack(0), 0u);
    for (size_t i = 0; i < std::size(layouts); ++i) {
        const auto [c, bits] = layouts[i];
        if (i % 3 == 0) {
            EXPECT_EQ(entries(c, bits), named({{1, 1}, {2, 3}})) << "layout " << i;
            EXPECT_EQ(count(c, bits), 2u) << "layout " << i;
        } else {
            EXPECT_EQ(entries(c, bits), named({{1, 1}, {2, 5}, {3, 9}})) << "layout " << i;
            EXPECT_EQ(count(c, bits), std::nullopt) << "layout " << i;
        }
    }
}

// An entry whose path cannot be read stays and is counted; odd names get
// twelve-digit ones, never by landing on an entry that is still there.
TEST_F(WinsockCatalog, UnreadableEntriesStayAndCount) {
    // A path that exists but cannot be opened now: a pipe whose one instance is taken.
    const std::wstring pipe = L"\\\\.\\pipe\\elk-winsock-" + std::to_wstring(GetCurrentProcessId());
    elk::UniqueFile server(CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr));
    ASSERT_TRUE(server);
    elk::UniqueFile client(CreateFileW(pipe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(client);
    add(NameSpace, B32,
        {{1, text(kMissing)},
         {2, {REG_NONE, {}}},                                   // no LibraryPath
         {3, dword(7)},                                         // not text
         {4, text(kPresent, REG_EXPAND_SZ)},                    // expandable text is read too
         {5, text(kMissing, REG_EXPAND_SZ)},
         {6, text(kPresent + L'\0' + L"junk")},                  // up to the terminator
         {7, text(kPresent)},
         {8, text(pipe)},
         {9, text(L"C:\\" + std::wstring(300, L'a'))}},  // too long to be tested
        9);
    add(Protocol, B32,
        {{0, packed("%SystemRoot%\\system32\\ws2_32.dll")},    // numbered 0: moves onto 1 once 1 has moved on
         {1, packed("%SystemRoot%\\system32\\ws2_32.dll")},
         {2, text(kPresent)},                                   // not binary
         {3, packed("%SystemRoot%\\system32\\elk-no-such-provider.dll")},
         {8, packed("%SystemRoot%\\system32\\ws2_32.dll"), L"8"}},  // a number, not twelve digits
        5);
    EXPECT_EQ(basFixNetworkStack(0), DWORD(ERROR_FILE_NOT_FOUND));  // no 64-bit entries
    EXPECT_EQ(entries(NameSpace, B32), named({{1, 2}, {2, 3}, {3, 4}, {4, 6}, {5, 7}, {6, 8}, {7, 9}}));
    EXPECT_EQ(count(NameSpace, B32), 7u);  // 9 listed, 7 remain
    EXPECT_EQ(entries(Protocol, B32), named({{1, 0}, {2, 1}, {3, 2}, {4, 8}}));
    EXPECT_EQ(count(Protocol, B32), 4u);
}

// Without 64-bit catalogs the 64-bit pass touches nothing and reports the
// failed opening of the protocol entries.
TEST_F(WinsockCatalog, NoSixtyFourBitEntries) {
    add(NameSpace, B32, {{1, text(kPresent)}}, 1);
    add(Protocol, B32, {{2, packed("%SystemRoot%\\system32\\ws2_32.dll")}}, 1);
    EXPECT_EQ(basFixNetworkStack(0), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(entries(Protocol, B32), named({{1, 2}}));
    for (Catalog c : {Protocol, NameSpace}) {
        EXPECT_FALSE(exists(entriesPath(c, B64)));
        EXPECT_EQ(count(c, B64), std::nullopt);
    }
}

// Each kind's providers are looked for in that kind's system folder: a 32-bit
// provider of "system32" is in the 32-bit system folder, wherever that is.
TEST_F(WinsockCatalog, EachKindInItsOwnSystemFolder) {
    wchar_t wow64[MAX_PATH];
    const UINT length = GetSystemWow64DirectoryW(wow64, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) GTEST_SKIP() << "a system without a 32-bit system folder of its own";
    const std::wstring file = L"elk-wow64-provider-" + std::to_wstring(GetCurrentProcessId()) + L".dll";
    const std::wstring placed = std::wstring(wow64) + L"\\" + file;
    ASSERT_TRUE(elktest::writeFile(placed, "MZ"));
    elk::ScopeExit removeFile([&] { DeleteFileW(placed.c_str()); });
    const std::wstring library = L"%SystemRoot%\\system32\\" + file;
    add(NameSpace, B32, {{1, text(library)}}, 1);
    add(Protocol, B32, {{1, packed(std::string(library.begin(), library.end()))}}, 1);
    add(NameSpace, B64, {{1, text(library)}, {2, text(kPresent)}}, 2);
    EXPECT_EQ(basFixNetworkStack(0), 0u);  // the 64-bit name-space count written last
    EXPECT_EQ(entries(NameSpace, B32), named({{1, 1}}));
    EXPECT_EQ(entries(Protocol, B32), named({{1, 1}}));
    EXPECT_EQ(entries(NameSpace, B64), named({{1, 2}}));
    EXPECT_EQ(count(NameSpace, B64), 1u);
}

// A renamed entry is the same tree, byte for byte: values of every type and
// size (the unnamed one included), subkeys with their classes.
TEST_F(WinsockCatalog, RenameCopiesTheWholeTree) {
    for (Catalog c : {NameSpace, Protocol}) {
        add(c, B32, {{4, path(c, kPresent)}}, 1);
        elk::UniqueKey entry = create(entriesPath(c, B32) + L"\\" + entryName(4));
        std::vector<BYTE> big(70000);
        for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 31 + 1);
        const BYTE odd[] = {'a', 0, 'b'};  // a string of an odd length, no terminator
        const std::pair<std::wstring, Value> values[] = {
            {L"", text(L"default")},
            {L"none", {REG_NONE, {1, 2, 3}}},
            {L"empty", {REG_BINARY, {}}},
            {L"odd", {REG_SZ, std::vector<BYTE>(odd, odd + 3)}},
            {L"unterminated", {REG_SZ, {'a', 0, 'b', 0}}},
            {L"expand", text(L"%TEMP%\\x", REG_EXPAND_SZ)},
            {L"big", {REG_BINARY, big}},
            {L"dword", dword(0xDEADBEEF)},
            {L"bigendian", {REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4}}},
            {L"multi", {REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}}},
            {L"resources", {REG_RESOURCE_LIST, {9, 8, 7}}},
            {L"descriptor", {REG_FULL_RESOURCE_DESCRIPTOR, {6}}},
            {L"requirements", {REG_RESOURCE_REQUIREMENTS_LIST, {5, 4}}},
            {L"qword", {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}}},
            {L"own type", {0x4000, {0xFF}}},
            {std::wstring(300, L'n'), dword(1)},  // a value name longer than any key name
        };
        for (const auto& [name, value] : values) setValue(entry.get(), name, value);
        elk::UniqueKey deep = create(entriesPath(c, B32) + L"\\" + entryName(4) + L"\\a\\b\\c");
        setValue(deep.get(), L"deep", {REG_BINARY, {0, 0, 1}});
        elk::UniqueKey classed;
        ASSERT_EQ(RegCreateKeyExW(entry.get(), L"classed", 0, const_cast<wchar_t*>(L"ElkClass"), 0, KEY_ALL_ACCESS,
                                  nullptr, classed.put(), nullptr),
                  0L);
        setValue(classed.get(), L"", dword(2));
    }
    Tree before[2];
    for (Catalog c : {NameSpace, Protocol}) {
        elk::UniqueKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (entriesPath(c, B32) + L"\\" + entryName(4)).c_str(), 0,
                                KEY_READ, key.put()),
                  0L);
        dump(key.get(), L"", before[c]);
    }
    basFixNetworkStack(0);
    for (Catalog c : {NameSpace, Protocol}) {
        EXPECT_FALSE(exists(entriesPath(c, B32) + L"\\" + entryName(4)));
        elk::UniqueKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (entriesPath(c, B32) + L"\\" + entryName(1)).c_str(), 0,
                                KEY_READ, key.put()),
                  0L);
        Tree after;
        dump(key.get(), L"", after);
        EXPECT_EQ(after, before[c]) << "catalog " << c;
        EXPECT_EQ(after.size(), 29u);
    }
}

// A copy that fails part way (a subkey that links nowhere cannot be opened)
// is taken back: the entry stays whole under its old name.
TEST_F(WinsockCatalog, FailedRenameKeepsTheEntry) {
    add(NameSpace, B32, {{2, text(kPresent)}}, 1);
    elk::UniqueKey entry = create(entriesPath(NameSpace, B32) + L"\\" + entryName(2));
    setValue(entry.get(), L"a", dword(1));
    setValue(create(entriesPath(NameSpace, B32) + L"\\" + entryName(2) + L"\\first").get(), L"b", dword(2));
    elk::UniqueKey link;
    ASSERT_EQ(RegCreateKeyExW(entry.get(), L"link", 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, nullptr,
                              link.put(), nullptr),
              0L);
    const std::wstring target = L"\\Registry\\Machine\\Software\\ElkNoSuchKey";
    ASSERT_EQ(RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.c_str()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
              0L);
    link.reset();
    basFixNetworkStack(0);
    EXPECT_EQ(entries(NameSpace, B32), named({{2, 2}}));
    EXPECT_FALSE(exists(entriesPath(NameSpace, B32) + L"\\" + entryName(1)));
    EXPECT_TRUE(exists(entriesPath(NameSpace, B32) + L"\\" + entryName(2) + L"\\first"));
    EXPECT_EQ(count(NameSpace, B32), 1u);
}

std::wstring fixProgram() { return elktest::binFolder() + L"\\winsock_fix.exe"; }

// A catalog name that cannot be read: the text on standard output, once for
// each pass, and the read's code; the other name is still fine.
TEST_F(WinsockCatalog, MissingCatalogNameIsReported) {
    const std::string protocolText = "Protocol Catalog key not present in the Registry.\n\n Please re-install Winsock 2.";
    const std::string nameSpaceText = "Namespace Catalog key not present in the Registry.\n\n Please re-install Winsock 2.";
    const struct {
        int missing;  // row of kCatalogNames
        std::optional<Value> instead;
        std::string out;
        DWORD result;
    } rows[] = {
        /* 0 */ {0, std::nullopt, protocolText + protocolText, ERROR_FILE_NOT_FOUND},
        /* 1 */ {1, std::nullopt, nameSpaceText + nameSpaceText, ERROR_FILE_NOT_FOUND},
        /* 2 */ {0, dword(9), protocolText + protocolText, ERROR_UNSUPPORTED_TYPE},
        /* 3 */ {1, text(L"x", REG_EXPAND_SZ), nameSpaceText + nameSpaceText, ERROR_UNSUPPORTED_TYPE},
    };
    add(NameSpace, B32, {{1, text(kMissing)}, {2, text(kPresent)}}, 2);
    for (size_t i = 0; i < std::size(rows); ++i) {
        const wchar_t* name = kCatalogNames[rows[i].missing];
        if (rows[i].instead)
            setValue(parameters_.get(), name, *rows[i].instead);
        else
            RegDeleteValueW(parameters_.get(), name);
        elktest::ProcessOutcome run = elktest::runProgram(fixProgram(), L"0");
        EXPECT_EQ(run.out, rows[i].out) << "row " << i;
        EXPECT_EQ(run.exitCode, rows[i].result) << "row " << i;
        setValue(parameters_.get(), name, text(catalog_[rows[i].missing]));
    }
    // Nothing was repaired without both names.
    EXPECT_EQ(entries(NameSpace, B32), named({{1, 1}, {2, 2}}));
}

// Mode 1 starts "netsh winsock reset" once the passes are done, waits for it
// to end and reports that it ran, whatever the passes found (here the 64-bit
// pass fails). The job counts the processes: the program and netsh, both
// ended when the program has.
TEST_F(WinsockCatalog, ModeOneRunsTheSystemReset) {
    add(NameSpace, B32, {{1, text(kMissing)}, {2, text(kPresent)}}, 2);
    elk::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    ASSERT_TRUE(job);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    std::wstring command = L"\"" + fixProgram() + L"\" 1";
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &process));
    elk::UniqueHandle child(process.hProcess), thread(process.hThread);
    ASSERT_TRUE(AssignProcessToJobObject(job.get(), child.get()));
    ResumeThread(thread.get());
    ASSERT_EQ(WaitForSingleObject(child.get(), 60000), WAIT_OBJECT_0);
    DWORD exitCode = 0xFFFFFFFF;
    GetExitCodeProcess(child.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    ASSERT_TRUE(QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &accounting,
                                          sizeof(accounting), nullptr));
    // The program and netsh at least; a console host that the system starts
    // for netsh may outlive them for a moment, but nothing else may.
    EXPECT_GE(accounting.TotalProcesses, 2u);
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[15];
    } ids = {};
    ids.list.NumberOfAssignedProcesses = 16;
    ASSERT_TRUE(QueryInformationJobObject(job.get(), JobObjectBasicProcessIdList, &ids, sizeof(ids), nullptr));
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
        elk::UniqueHandle running(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(ids.list.ProcessIdList[i])));
        wchar_t image[MAX_PATH] = L"";
        DWORD length = MAX_PATH;
        if (running) QueryFullProcessImageNameW(running.get(), 0, image, &length);
        const wchar_t* file = wcsrchr(image, L'\\');
        EXPECT_EQ(_wcsicmp(file ? file + 1 : image, L"conhost.exe"), 0) << "still running: " << image;
    }
    EXPECT_EQ(entries(NameSpace, B32), named({{1, 2}}));
    // Mode 0 reports the 64-bit pass instead.
    EXPECT_EQ(elktest::runProgram(fixProgram(), L"0").exitCode, DWORD(ERROR_FILE_NOT_FOUND));
}

// elkctl shows the catalogs before and after and what changed.
TEST_F(WinsockCatalog, ElkctlShowsWhatChanged) {
    add(NameSpace, B32, {{1, text(kMissing)}, {3, text(kPresent)}}, 2);
    add(Protocol, B32, {{1, packed("%SystemRoot%\\system32\\ws2_32.dll")}}, 1);
    elktest::ProcessOutcome run = elktest::runElkctl(L"winsock-repair");
    EXPECT_EQ(run.exitCode, 1u) << run.err;  // no 64-bit entries
    const std::string ns = "name-space catalog " + std::string(catalog_[NameSpace].begin(), catalog_[NameSpace].end());
    for (const std::string& line : std::initializer_list<std::string>{
             "before:\n", ns + " (32-bit): 2 entries, count 2\n",
             "  000000000001  %SystemRoot%\\system32\\elk-no-such-provider.dll\n",
             "  000000000003  %SystemRoot%\\system32\\ws2_32.dll\n", "after:\n",
             ns + " (32-bit): 1 entry, count 1\n", "  000000000001  %SystemRoot%\\system32\\ws2_32.dll\n",
             "  removed 000000000001\n", "  renamed 000000000003 to 000000000001\n", "result: 2",
         })
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    EXPECT_EQ(entries(NameSpace, B32), named({{1, 3}}));

    run = elktest::runElkctl(L"winsock-repair --reset");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find("changes: none\nresult: 0"), std::string::npos) << run.out;
    EXPECT_EQ(elktest::runElkctl(L"winsock-repair --now").exitCode, 2u);
}

}  // namespace
