// Shared by the alert tests: the library started against a temporary
// installation, the test doubles' records, and callers' recipient lists.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/library.h"

namespace elktest {


inline const std::wstring kDoubles = elktest::binFolder() + L"\\doubles";
inline const bool kDoublesFound = SetDllDirectoryW(kDoubles.c_str()) != 0;

inline constexpr const char* kSubject = "Tarvo security alert";  // string 300 of the English module

inline std::wstring tempPath(const wchar_t* stem) { return tempName(stem) + L".txt"; }

// A caller's recipient list: each node one block, the text behind the link.
class Recipients {
public:
    Recipients(std::initializer_list<std::wstring> texts) : Recipients(std::vector<std::wstring>(texts)) {}
    explicit Recipients(const std::vector<std::wstring>& texts) {
        for (const std::wstring& text : texts) {
            size_t bytes = offsetof(NetAlertRecipient, text) + (text.size() + 1) * sizeof(wchar_t);
            blocks_.emplace_back(new std::byte[bytes]);
            auto* node = reinterpret_cast<NetAlertRecipient*>(blocks_.back().get());
            node->next = nullptr;
            std::wmemcpy(node->text, text.c_str(), text.size() + 1);
            if (blocks_.size() > 1) reinterpret_cast<NetAlertRecipient*>(blocks_[blocks_.size() - 2].get())->next = node;
        }
    }
    const NetAlertRecipient* head() const {
        return blocks_.empty() ? nullptr : reinterpret_cast<const NetAlertRecipient*>(blocks_.front().get());
    }

private:
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
};

// An installation started in full (computer and domain names read), with
// the doubles' records and answers in environment variables of its own.
class Alert : public LibraryTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(kDoublesFound) << "no folder " << utf8(kDoubles);
        start(ELK_INIT_NO_CRASH_REPORT);
        SetEnvironmentVariableW(L"ELK_NETAPI_RECORD", netapiRecord.c_str());
        SetEnvironmentVariableW(L"ELK_MAPI_RECORD", mapiRecord.c_str());
    }
    void TearDown() override {
        stop();
        for (const wchar_t* name : {L"ELK_NETAPI_RECORD", L"ELK_MAPI_RECORD", L"ELK_NETAPI_SEND_RESULT",
                                    L"ELK_MAPI_LOGON_RESULT", L"ELK_MAPI_SEND_RESULT", L"ELK_TEST_HOST",
                                    L"ELK_TEST_RCPT"})
            SetEnvironmentVariableW(name, nullptr);
        DeleteFileW(netapiRecord.c_str());
        DeleteFileW(mapiRecord.c_str());
    }
    std::string popups() const { return readFile(netapiRecord); }
    std::string mapiCalls() const { return readFile(mapiRecord); }
    static std::string popup(const std::wstring& to, const std::wstring& from, const std::wstring& text) {
        return "send size=" + std::to_string((text.size() + 1) * 2) + "\nserver=(null)\nto=" + utf8(to) +
               "\nfrom=" + utf8(from) + "\ntext=" + utf8(text) + "\n";
    }

    std::wstring netapiRecord = tempPath(L"elk-netapi");
    std::wstring mapiRecord = tempPath(L"elk-mapi");
};

}  // namespace elktest
