// elkctl alert: a network alert to the recipients given, as the suite's
// modules send one (SMTP settings from the INI file's "Communication").
#include <windows.h>

#include <cstddef>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

// The caller's list for basNetAlert: one block per node, the text behind the link.
class RecipientList {
public:
    explicit RecipientList(const std::vector<std::wstring>& texts) {
        for (const std::wstring& text : texts) {
            size_t bytes = offsetof(NetAlertRecipient, text) + (text.size() + 1) * sizeof(wchar_t);
            blocks_.emplace_back(new std::byte[bytes]);
            auto* node = reinterpret_cast<NetAlertRecipient*>(blocks_.back().get());
            node->next = nullptr;
            std::wmemcpy(node->text, text.c_str(), text.size() + 1);
            if (last_) last_->next = node;
            last_ = node;
        }
    }
    const NetAlertRecipient* head() const {
        return blocks_.empty() ? nullptr : reinterpret_cast<const NetAlertRecipient*>(blocks_.front().get());
    }

private:
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    NetAlertRecipient* last_ = nullptr;
};

}  // namespace

int alert(int argc, wchar_t** argv) {
    std::wstring sender, message, attachments;
    bool haveSender = false, haveMessage = false;
    std::vector<std::wstring> recipients;
    for (int i = 0; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool takesValue = arg == L"--sender" || arg == L"--message" || arg == L"--attach";
        if (takesValue && i + 1 >= argc) return misused(arg + L" needs a value");
        if (arg == L"--sender") {
            sender = argv[++i];
            haveSender = true;
        } else if (arg == L"--message") {
            message = argv[++i];
            haveMessage = true;
        } else if (arg == L"--attach") {
            std::wstring file = argv[++i];
            if (file.empty()) return misused(L"--attach needs a file");
            wchar_t full[MAX_PATH];
            DWORD n = GetFullPathNameW(file.c_str(), MAX_PATH, full, nullptr);
            if (n == 0 || n >= MAX_PATH) return misused(L"cannot use the attachment path " + file);
            attachments += full;
            attachments += L'\0';
        } else if (arg.rfind(L"--", 0) == 0) {
            return misused(L"unknown option " + arg);
        } else {
            recipients.push_back(arg);
        }
    }
    if (!haveSender || sender.empty()) return misused(L"--sender must name the sender");
    if (!haveMessage || message.empty()) return misused(L"--message must give the text");
    if (recipients.empty()) return misused(L"no recipient given");

    // The whole start: pop-ups need the computer and domain names, mail the network layer.
    Started library(0);
    if (library.status() != 0) {
        printError(L"elkctl: start-up failed: " + codeText(library.status()) + L"\n");
        return 1;
    }
    RecipientList list(recipients);
    DWORD rc = basNetAlert(list.head(), sender.c_str(), message.c_str(),
                           attachments.empty() ? nullptr : attachments.c_str());
    if (rc) {
        printError(L"elkctl: the alert failed on at least one channel: " + codeText(rc) + L"\n");
        return 1;
    }
    print(L"Alert sent (" + std::to_wstring(recipients.size()) + L" recipient text" +
          (recipients.size() == 1 ? L"" : L"s") + L"); every channel reported success.\n");
    return 0;
}

}  // namespace elkctl
