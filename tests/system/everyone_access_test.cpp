// Write access for everyone: the access lists of real files and folders read
// back entry by entry, as Windows XP (sorted) and as Windows 7 (appended).
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/handles.h"
#include "include/elkBase.h"
#include "support/files.h"
#include "support/process.h"
#include "support/winversion.h"

namespace {

using Sid = elk::UniqueLocal<PSID>;

Sid sidOf(const wchar_t* text) {
    Sid sid;
    EXPECT_TRUE(ConvertStringSidToSidW(text, sid.put())) << GetLastError();
    return sid;
}

std::wstring textOf(PSID sid) {
    elk::UniqueLocal<wchar_t*> text;
    if (!ConvertSidToStringSidW(sid, text.put())) return L"?";
    return text.get();
}

// The user of this process: kept in every list, so that the test may go on
// opening what it made.
std::wstring currentUser() {
    elk::UniqueHandle token;
    BYTE buffer[256];
    DWORD bytes = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !GetTokenInformation(token.get(), TokenUser, buffer, sizeof(buffer), &bytes))
        return L"?";
    return textOf(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

constexpr BYTE kInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

struct Entry {
    BYTE type, flags;
    DWORD mask;
    std::wstring sid;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* out) {
    *out << "{type " << int(e.type) << ", flags 0x" << std::hex << int(e.flags) << ", mask 0x" << e.mask
         << std::dec << ", " << elktest::utf8(e.sid) << "}";
}

// The access list as stored: nullopt for a null one (or none, or none read).
std::optional<std::vector<Entry>> readList(const std::wstring& path) {
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> block(needed ? needed : 1);
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, block.data(), needed, &needed) ||
        !GetSecurityDescriptorDacl(block.data(), &present, &acl, &defaulted) || !present || !acl)
        return std::nullopt;
    std::vector<Entry> entries;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* ace;
        if (!GetAce(acl, i, &ace)) return std::nullopt;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        entries.push_back({allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask,
                           textOf(&allowed->SidStart)});
    }
    return entries;
}

// Writes `entries` as the object's access list; a null list for nullopt.
bool writeList(const std::wstring& path, const std::optional<std::vector<Entry>>& entries) {
    std::vector<BYTE> block(1024);
    PACL acl = reinterpret_cast<PACL>(block.data());
    if (!InitializeAcl(acl, static_cast<DWORD>(block.size()), ACL_REVISION)) return false;
    if (entries)
        for (const Entry& e : *entries) {
            Sid sid = sidOf(e.sid.c_str());
            if (!sid || !AddAccessAllowedAce(acl, ACL_REVISION, e.mask, sid.get())) return false;
            void* last;
            if (!GetAce(acl, acl->AceCount - 1, &last)) return false;
            static_cast<ACE_HEADER*>(last)->AceFlags = e.flags;
        }
    SECURITY_DESCRIPTOR sd;
    return InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&sd, TRUE, entries ? acl : nullptr, FALSE) &&
           SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, &sd);
}

constexpr DWORD kFull = 0xF0000000;
constexpr wchar_t kEveryone[] = L"S-1-1-0";
constexpr wchar_t kAdministrators[] = L"S-1-5-32-544";
constexpr wchar_t kSystem[] = L"S-1-5-18";

struct Lists {
    std::vector<Entry> before, first, second;  // the second run's result also
};

// P, an old entry for Everyone, Q, and an inherited R: the old entry goes, and
// the order of the rest shows whether and how the list was sorted.
Lists lists(bool folder, bool sorted) {
    const BYTE inherit = folder ? kInherit : 0;
    const Entry p{ACCESS_ALLOWED_ACE_TYPE, inherit, FILE_ALL_ACCESS, currentUser()};
    const Entry old{ACCESS_ALLOWED_ACE_TYPE, inherit, FILE_GENERIC_READ, kEveryone};
    const Entry q{ACCESS_ALLOWED_ACE_TYPE, inherit, FILE_GENERIC_READ, kAdministrators};
    const Entry r{ACCESS_ALLOWED_ACE_TYPE, BYTE(inherit | INHERITED_ACE), FILE_ALL_ACCESS, kSystem};
    const Entry files{ACCESS_ALLOWED_ACE_TYPE, OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE, kFull, kEveryone};
    const Entry all{ACCESS_ALLOWED_ACE_TYPE, CONTAINER_INHERIT_ACE, kFull, kEveryone};
    Lists l;
    l.before = {p, old, q, r};
    if (!sorted) {
        l.first = folder ? std::vector<Entry>{p, q, r, files, all} : std::vector<Entry>{p, q, r, all};
        l.second = l.first;
    } else {
        // Each run reverses the explicit entries once more.
        l.first = folder ? std::vector<Entry>{all, files, q, p, r} : std::vector<Entry>{all, q, p, r};
        l.second = folder ? std::vector<Entry>{all, files, p, q, r} : std::vector<Entry>{all, p, q, r};
    }
    return l;
}

// A named pipe with many listening instances. Every open of its path takes
// one (the library opens it three times a call), and the pipe keeps the
// access list set through any of them: an object whose list Wine keeps
// whatever the file system can do.
class Pipe {
public:
    Pipe() {
        static LONG counter;
        path_ = L"\\\\.\\pipe\\elk-everyone-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(InterlockedIncrement(&counter));
        for (auto& instance : instances_)
            instance.reset(CreateNamedPipeW(path_.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                            PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr));
    }
    const std::wstring& path() const { return path_; }
    explicit operator bool() const { return static_cast<bool>(instances_[ARRAYSIZE(instances_) - 1]); }

private:
    std::wstring path_;
    elk::UniqueFile instances_[40];
};

// Whether Everyone may read, write and execute, as Wine shows it for a file
// system without kept lists: in the entry it makes of the file's mode bits.
bool everyoneWrites(const std::wstring& path) {
    constexpr DWORD kUse = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE;
    auto list = readList(path);
    return list && std::any_of(list->begin(), list->end(),
                               [&](const Entry& e) { return e.sid == kEveryone && (e.mask & kUse) == kUse; });
}

class Everyone : public ::testing::Test {
protected:
    // Gives the object the list before, then opens it twice, reading the list
    // back after each run.
    void openTwice(const std::wstring& path, bool folder, bool sorted) {
        const Lists l = lists(folder, sorted);
        ASSERT_TRUE(writeList(path, l.before)) << GetLastError();
        if (auto kept = readList(path); kept != l.before) {
            // Wine keeps the lists of files in extended attributes, when it
            // is built to and the file system has them.
            std::cout << "Wine keeps no access lists of files here (written " << testing::PrintToString(l.before)
                      << ", read " << testing::PrintToString(kept)
                      << "): only the mode bits it makes of the list are checked.\n";
            EXPECT_FALSE(everyoneWrites(path)) << "the test's list left Everyone writing";
            for (int run = 0; run < 2; ++run) {
                EXPECT_TRUE(basEnableWriteAccessToEveryone(path.c_str()));
                EXPECT_TRUE(everyoneWrites(path));
            }
            return;
        }
        EXPECT_TRUE(basEnableWriteAccessToEveryone(path.c_str()));
        EXPECT_EQ(readList(path), l.first);
        EXPECT_TRUE(basEnableWriteAccessToEveryone(path.c_str()));
        EXPECT_EQ(readList(path), l.second);
    }

    void fileFolderAndPipe(bool sorted) {
        {
            SCOPED_TRACE("file");
            ASSERT_TRUE(elktest::writeFile(temp / L"file.txt", "text"));
            openTwice(temp / L"file.txt", false, sorted);
        }
        {
            SCOPED_TRACE("folder");
            ASSERT_TRUE(CreateDirectoryW((temp / L"folder").c_str(), nullptr));
            openTwice(temp / L"folder", true, sorted);
        }
        SCOPED_TRACE("pipe");
        Pipe pipe;
        ASSERT_TRUE(pipe);
        openTwice(pipe.path(), false, sorted);
    }

    elktest::TempFolder temp{L"elk-everyone"};
};

TEST_F(Everyone, SortedOnXP) {
    if (!elktest::inWindowsVersion(L"winxp")) return;
    fileFolderAndPipe(true);
}

TEST_F(Everyone, AppendedOnWindows7) {
    if (!elktest::inWindowsVersion(L"win7")) return;
    fileFolderAndPipe(false);
}

TEST_F(Everyone, NullListNullPathAndMissingObject) {
    // A null list lets everybody in already; it stays as it is.
    Pipe pipe;
    ASSERT_TRUE(pipe);
    ASSERT_TRUE(writeList(pipe.path(), std::nullopt)) << GetLastError();
    ASSERT_EQ(readList(pipe.path()), std::nullopt);
    EXPECT_FALSE(basEnableWriteAccessToEveryone(pipe.path().c_str()));
    EXPECT_EQ(readList(pipe.path()), std::nullopt) << "the null list was replaced";

    const std::wstring file = temp / L"open.txt";
    ASSERT_TRUE(elktest::writeFile(file, "text"));
    ASSERT_TRUE(writeList(file, std::nullopt)) << GetLastError();
    if (readList(file)) {
        std::cout << "Wine keeps no null access list of a file here.\n";
    } else {
        EXPECT_FALSE(basEnableWriteAccessToEveryone(file.c_str()));
        EXPECT_EQ(readList(file), std::nullopt) << "the null list was replaced";
    }

    EXPECT_FALSE(basEnableWriteAccessToEveryone(nullptr));
    EXPECT_FALSE(basEnableWriteAccessToEveryone((temp / L"missing").c_str()));
}

TEST_F(Everyone, ElkctlOpenToEveryone) {
    const std::wstring elkctl = [] {
        wchar_t self[MAX_PATH];
        std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
        return path.substr(0, path.find_last_of(L'\\')) + L"\\elkctl.exe";
    }();
    Pipe pipe;
    ASSERT_TRUE(pipe);
    const Lists l = lists(false, false);
    ASSERT_TRUE(writeList(pipe.path(), l.before)) << GetLastError();
    elktest::ProcessOutcome opened = elktest::runAsWindows(L"win7", elkctl, L"open-to-everyone " + pipe.path());
    EXPECT_EQ(opened.exitCode, 0u) << opened.out << opened.err;
    EXPECT_EQ(opened.out, "Everyone has full access to " + elktest::utf8(pipe.path()) + " now.\n");
    EXPECT_EQ(readList(pipe.path()), l.first);

    ASSERT_TRUE(writeList(pipe.path(), std::nullopt)) << GetLastError();
    elktest::ProcessOutcome refused = elktest::runElkctl(L"open-to-everyone " + pipe.path());
    EXPECT_EQ(refused.exitCode, 1u) << refused.out << refused.err;
    EXPECT_EQ(refused.err, "elkctl: " + elktest::utf8(pipe.path()) +
                               " has no access list, or a null one that lets everybody in\n");
    elktest::ProcessOutcome missing = elktest::runElkctl(L"open-to-everyone \"" + (temp / L"missing") + L"\"");
    EXPECT_EQ(missing.exitCode, 1u) << missing.out << missing.err;
    elktest::ProcessOutcome misused = elktest::runElkctl(L"open-to-everyone");
    EXPECT_EQ(misused.exitCode, 2u);
    EXPECT_EQ(misused.err, "usage: elkctl open-to-everyone PATH\n");
}

}  // namespace
