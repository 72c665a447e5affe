// Network alerts against test doubles of NetApi32 and MAPI32 (found through
// the DLL directory bin\doubles; the test process sets
// WINEDLLOVERRIDES=mapi32,netapi32=n,b so that Wine takes them over its own),
// the messenger mailslot, and a file-backed printer.
#include "tests/net/alert_support.h"
// winspool.h needs the Windows types declared first.
#include <winspool.h>

namespace {

using namespace elktest;
using namespace std::string_literals;

// The Messenger mailslot of this computer, as the service would hold it.
class Mailslot {
public:
    Mailslot() : slot_(CreateMailslotW(L"\\\\.\\mailslot\\messngr", 0, 0, nullptr)) {}
    ~Mailslot() {
        if (slot_ != INVALID_HANDLE_VALUE) CloseHandle(slot_);
    }
    bool ok() const { return slot_ != INVALID_HANDLE_VALUE; }
    // The datagrams waiting, in the order they came.
    std::vector<std::string> datagrams() const {
        std::vector<std::string> out;
        DWORD next = 0, count = 0;
        while (GetMailslotInfo(slot_, nullptr, &next, &count, nullptr) && next != MAILSLOT_NO_MESSAGE) {
            std::string datagram(next, '\0');
            DWORD read = 0;
            if (!ReadFile(slot_, datagram.data(), next, &read, nullptr)) break;
            datagram.resize(read);
            out.push_back(datagram);
        }
        return out;
    }

private:
    HANDLE slot_;
};

TEST_F(Alert, SenderAndMessageAreRequired) {
    Recipients recipients{L"MAPI:boss", L"current"};
    const struct {
        const wchar_t* sender;
        const wchar_t* message;
    } rows[] = {
        /* 0 */ {nullptr, L"Virus found"},
        /* 1 */ {L"", L"Virus found"},
        /* 2 */ {L"Scanner", nullptr},
        /* 3 */ {L"Scanner", L""},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(basNetAlert(recipients.head(), rows[i].sender, rows[i].message, nullptr), 87u) << "row " << i;
    EXPECT_EQ(popups(), "");
    EXPECT_EQ(mapiCalls(), "");
}

TEST_F(Alert, NoRecipientOrNoChannelSucceedsQuietly) {
    EXPECT_EQ(basNetAlert(nullptr, L"Scanner", L"Virus found", nullptr), 0u);
    Recipients ignored{L"FAX:1234", L"SMTP:"};
    EXPECT_EQ(basNetAlert(ignored.head(), L"Scanner", L"Virus found", nullptr), 0u);
    EXPECT_EQ(popups(), "");
    EXPECT_EQ(mapiCalls(), "");
}

TEST_F(Alert, PopupsGoThroughTheMessengerService) {
    Recipients recipients{L"current", L"WINPOPUP:host7", L"domain", L"FAX:1234", L"Admin-PC"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 0u);
    // Bare names speak for the caller's sender; WINPOPUP speaks for this computer.
    EXPECT_EQ(popups(), popup(basGetComputerName(), L"Scanner", L"Virus found") +
                            popup(L"host7", basGetComputerName(), L"Virus found") +
                            popup(basGetDomainName(), L"Scanner", L"Virus found") +
                            popup(L"Admin-PC", L"Scanner", L"Virus found"));
    EXPECT_STREQ(basGetDomainName(), L"ELKTESTDOM") << "the start-up did not use the NetApi32 double";
}

TEST_F(Alert, EachRecipientTextIsDeliveredOnce) {
    SetEnvironmentVariableW(L"ELK_TEST_HOST", L"host7");
    Recipients recipients{L"WINPOPUP:host7", L"winpopup:HOST7", L"WINPOPUP:%ELK_TEST_HOST%", L"Current", L"CURRENT",
                          L"%ELK_NO_SUCH_VARIABLE%"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 0u);
    // An unknown variable stays as written.
    EXPECT_EQ(popups(), popup(L"host7", basGetComputerName(), L"Virus found") +
                            popup(basGetComputerName(), L"Scanner", L"Virus found") +
                            popup(L"%ELK_NO_SUCH_VARIABLE%", L"Scanner", L"Virus found"));
}

TEST_F(Alert, RefusedPopupGoesToTheMessengerMailslot) {
    SetEnvironmentVariableW(L"ELK_NETAPI_SEND_RESULT", L"2273");  // NERR_NameNotFound
    Mailslot slot;
    ASSERT_TRUE(slot.ok()) << GetLastError();
    const std::wstring message = L"Virus gefunden: W\u00fcrmer & Co.";
    Recipients recipients{L".", L"WINPOPUP:."};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", message.c_str(), nullptr), 0u);

    char ansi[64];
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, message.c_str(), -1, ansi, sizeof(ansi), nullptr, nullptr);
    ASSERT_GT(n, 0);
    const std::string text(ansi);  // 8-bit, in the system's ANSI code page
    std::string computer = std::string(basGetComputerName(), basGetComputerName() + wcslen(basGetComputerName()));
    std::vector<std::string> expected = {
        std::string("Scanner") + '\0' + "." + '\0' + text + '\0' + '\0',
        computer + '\0' + "." + '\0' + text + '\0' + '\0',
    };
    EXPECT_EQ(slot.datagrams(), expected);
    // The service was asked first, each time.
    EXPECT_EQ(popups(), popup(L".", L"Scanner", message) + popup(L".", basGetComputerName(), message));
}

TEST_F(Alert, PopupFailuresReachTheResult) {
    SetEnvironmentVariableW(L"ELK_NETAPI_SEND_RESULT", L"2273");
    // No mailslot of that name: the open's own error is the result.
    const wchar_t* host = L"elk-no-such-host-7";
    std::wstring slotName = std::wstring(L"\\\\") + host + L"\\MAILSLOT\\messngr";
    HANDLE probe = CreateFileW(slotName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE);
    DWORD openError = GetLastError();
    Recipients missing{std::wstring(L"WINPOPUP:") + host};
    EXPECT_EQ(basNetAlert(missing.head(), L"Scanner", L"Virus found", nullptr), openError);

    // A target too long for the mailslot name is refused, not cut: cut after
    // the blanks, whose end the system drops, this name would be our mailslot.
    Mailslot slot;
    ASSERT_TRUE(slot.ok());
    Recipients tooLong{L".\\mailslot\\messngr" + std::wstring(240, L' ')};
    EXPECT_EQ(basNetAlert(tooLong.head(), L"Scanner", L"Virus found", nullptr), DWORD(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_TRUE(slot.datagrams().empty());

    // The latest failure wins; a later success does not clear it.
    Recipients mixed{L"WINPOPUP:" + std::wstring(241, L'h'), std::wstring(L"WINPOPUP:") + host, L"."};
    EXPECT_EQ(basNetAlert(mixed.head(), L"Scanner", L"Virus found", nullptr), openError);
    EXPECT_EQ(slot.datagrams().size(), 1u);
}

TEST_F(Alert, MissingPrinterFails) {
    Recipients recipients{L"PRNT:Elk no such printer"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), ELK_E_GENERAL);
}

// A printer of the prefix whose port is a file of the host: Wine's spooler
// writes the PostScript of each job there. Elsewhere the test is skipped.
class FilePrinter {
public:
    FilePrinter() : name_(L"Elk alert test " + std::to_wstring(GetCurrentProcessId())), output_(tempPath(L"elk-print")) {}
    ~FilePrinter() {
        HANDLE printer;
        if (added_ && OpenPrinterW(name_.data(), &printer, nullptr)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        DeleteFileW(output_.c_str());
    }
    // Empty when the printer is there; else why not.
    std::string add() {
        using UnixName = char*(CDECL*)(const wchar_t*);
        auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (!unixName) return "file ports of this kind need Wine";
        wchar_t driverFolder[MAX_PATH];
        DWORD needed = 0;
        if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverFolder),
                                        sizeof(driverFolder), &needed))
            return "no printer driver folder: " + std::to_string(GetLastError());
        std::wstring ppd = std::wstring(driverFolder) + L"\\elk-test.ppd";
        if (!CopyFileW((kDoubles + L"\\elk-test.ppd").c_str(), ppd.c_str(), FALSE))
            return "cannot place the printer description: " + std::to_string(GetLastError());
        DRIVER_INFO_3W driver = {};
        driver.cVersion = 3;
        driver.pName = const_cast<wchar_t*>(L"Wine PostScript Driver");
        driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
        driver.pDataFile = const_cast<wchar_t*>(L"elk-test.ppd");
        driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
        driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
        if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
            return "no PostScript driver: " + std::to_string(GetLastError());

        char* hostPath = unixName(output_.c_str());
        if (!hostPath) return "no host path for the output file";
        wchar_t port[MAX_PATH] = {};
        MultiByteToWideChar(CP_UTF8, 0, hostPath, -1, port, MAX_PATH - 1);
        HeapFree(GetProcessHeap(), 0, hostPath);
        PRINTER_INFO_2W info = {};
        info.pPrinterName = name_.data();
        info.pPortName = port;
        info.pDriverName = driver.pName;
        info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        info.pDatatype = const_cast<wchar_t*>(L"RAW");
        HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (!printer) return "cannot add the printer: " + std::to_string(GetLastError());
        ClosePrinter(printer);
        added_ = true;
        return "";
    }
    const std::wstring& name() const { return name_; }
    // The job's PostScript, once the spooler has written it.
    std::string output() const {
        std::string text;
        for (int i = 0; i < 50 && (text = readFile(output_)).find("%%EOF") == std::string::npos; ++i) Sleep(100);
        return text;
    }

private:
    std::wstring name_;
    std::wstring output_;
    bool added_ = false;
};

// The text drawn on the page, from the glyph names the PostScript shows.
std::string drawnText(const std::string& postscript) {
    std::string text;
    size_t at = 0;
    while ((at = postscript.find(" glyphshow", at)) != std::string::npos) {
        size_t start = postscript.rfind('/', at);
        std::string glyph = postscript.substr(start + 1, at - start - 1);
        at += 10;
        if (glyph.size() == 1) text += glyph;
        else if (glyph == "space" || glyph == "uni00A0") text += ' ';
        else if (glyph == "ampersand") text += '&';
        else if (glyph == "period") text += '.';
        else text += '?';
    }
    return text;
}

TEST_F(Alert, PrintsOnePageNamedWithTheSubject) {
    FilePrinter printer;
    std::string why = printer.add();
    if (!why.empty()) GTEST_SKIP() << why;
    Recipients recipients{L"PRNT:" + printer.name()};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Tom & Jerry found a virus.", nullptr), 0u);
    std::string postscript = printer.output();
    EXPECT_NE(postscript.find(std::string("%%Title: ") + kSubject + "\n"), std::string::npos) << postscript.substr(0, 300);
    EXPECT_NE(postscript.find("%%Pages: 1\n"), std::string::npos);
    // The '&' is printed, not taken as a mnemonic prefix.
    EXPECT_EQ(drawnText(postscript), "Tom & Jerry found a virus.");
}

// "secret" coded as a MAPIPROFILE password: bits 0-1 and 2-3 of each character exchanged.
const wchar_t* const kCodedSecret = L"|elxeq";

TEST_F(Alert, OneMapiMailForAllMapiRecipients) {
    Recipients recipients{L"MAPI:boss", L":clerk", L"MAPIPROFILE:Office&" + std::wstring(kCodedSecret), L"mapi:BOSS"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 0u);
    EXPECT_EQ(mapiCalls(), std::string("logon ui=0 flags=1 reserved=0\nprofile=Office\npassword=secret\n"
                                       "send session=24149 ui=0 flags=0 reserved=0\nsubject=") +
                               kSubject +
                               "\ntext=Virus found\nother=(null),(null),(null),0,(null)\n"
                               "to class=1 eid=0\nname=boss\naddress=boss\n"
                               "to class=1 eid=0\nname=clerk\naddress=clerk\n"
                               "logoff session=24149 ui=0 flags=0 reserved=0\n");
    EXPECT_EQ(GetModuleHandleW(L"MAPI32.dll"), nullptr) << "MAPI32 stays loaded after the mail";
}

TEST_F(Alert, MapiProfileAndPassword) {
    const struct {
        std::vector<std::wstring> profiles;
        const char* logon;
    } rows[] = {
        /* 0 none: both empty */ {{}, "profile=\npassword=\n"},
        /* 1 a profile alone keeps the password */
        {{L"MAPIPROFILE:A&" + std::wstring(kCodedSecret), L"mapiprofile:B"}, "profile=B\npassword=secret\n"},
        /* 2 the later one wins */ {{L"MAPIP:A&xx", L"MAPIP:B&" + std::wstring(kCodedSecret)}, "profile=B\npassword=secret\n"},
        /* 3 cut at 99 characters */ {{L"MAPIPROFILE:" + std::wstring(120, L'p') + L"&" + std::wstring(120, L'a')}, nullptr},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DeleteFileW(mapiRecord.c_str());
        std::vector<std::wstring> texts = rows[i].profiles;
        texts.push_back(L"MAPI:boss");
        Recipients list(texts);
        EXPECT_EQ(basNetAlert(list.head(), L"Scanner", L"Virus found", nullptr), 0u) << "row " << i;
        std::string calls = mapiCalls();
        std::string logon = calls.substr(calls.find('\n') + 1);
        logon = logon.substr(0, logon.find("send "));
        // 'a' (0x61) coded is 'd' (0x64).
        std::string expected = rows[i].logon ? rows[i].logon
                                             : "profile=" + std::string(99, 'p') + "\npassword=" + std::string(99, 'd') + "\n";
        EXPECT_EQ(logon, expected) << "row " << i;
    }
}

TEST_F(Alert, MapiMailDecidesTheResult) {
    SetEnvironmentVariableW(L"ELK_NETAPI_SEND_RESULT", L"2273");
    Recipients recipients{L"WINPOPUP:elk-no-such-host-7", L"PRNT:Elk no such printer", L"MAPI:boss"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 0u)
        << "an earlier failure shows through a MAPI mail that went out";
    SetEnvironmentVariableW(L"ELK_MAPI_SEND_RESULT", L"14");  // MAPI_E_UNKNOWN_RECIPIENT
    Recipients alone{L"MAPI:boss"};
    EXPECT_EQ(basNetAlert(alone.head(), L"Scanner", L"Virus found", nullptr), 14u);
}

TEST_F(Alert, RefusedMapiLogonSendsNothing) {
    SetEnvironmentVariableW(L"ELK_MAPI_LOGON_RESULT", L"3");  // MAPI_E_LOGIN_FAILURE
    Recipients recipients{L"MAPI:boss"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 3u);
    std::string calls = mapiCalls();
    EXPECT_EQ(calls.rfind("logon ", 0), 0u);
    EXPECT_EQ(calls.find("send "), std::string::npos);
    EXPECT_EQ(calls.find("logoff "), std::string::npos);
    EXPECT_EQ(GetModuleHandleW(L"MAPI32.dll"), nullptr);
}

TEST_F(Alert, SendMapiMailTakesListsAndThePasswordAsGiven) {
    const wchar_t recipients[] = L"boss\0clerk@example.org\0";
    const wchar_t attachments[] = L"C:\\Logs\\scan.log\0C:\\Logs\\virus.txt\0";
    EXPECT_EQ(basSendMAPIMail(recipients, L"Report", L"Line 1\nLine 2", attachments, L"Office", kCodedSecret), 0u);
    EXPECT_EQ(mapiCalls(), "logon ui=0 flags=1 reserved=0\nprofile=Office\npassword=|elxeq\n"
                           "send session=24149 ui=0 flags=0 reserved=0\nsubject=Report\n"
                           "text=Line 1\\nLine 2\nother=(null),(null),(null),0,(null)\n"
                           "to class=1 eid=0\nname=boss\naddress=boss\n"
                           "to class=1 eid=0\nname=clerk@example.org\naddress=clerk@example.org\n"
                           "file position=4294967295 flags=0\npath=C:\\\\Logs\\\\scan.log\nname=(null)\n"
                           "file position=4294967295 flags=0\npath=C:\\\\Logs\\\\virus.txt\nname=(null)\n"
                           "logoff session=24149 ui=0 flags=0 reserved=0\n");
    // Without a recipient nothing is loaded or sent.
    DeleteFileW(mapiRecord.c_str());
    EXPECT_EQ(basSendMAPIMail(L"\0", L"Report", L"Text", L"\0", L"", L""), 0u);
    EXPECT_EQ(mapiCalls(), "");
}

// The log-on gets the profile and password in the ANSI code page, each cut
// to 259 bytes and its terminator.
TEST_F(Alert, MapiLogonTextsAreBounded) {
    const std::wstring profile(300, L'p'), password(300, L'd');
    EXPECT_EQ(basSendMAPIMail(L"boss\0", L"Report", L"Text", L"\0", profile.c_str(), password.c_str()), 0u);
    EXPECT_EQ(mapiCalls().rfind("logon ui=0 flags=1 reserved=0\nprofile=" + std::string(259, 'p') + "\npassword=" +
                                    std::string(259, 'd') + "\nsend ",
                                0),
              0u)
        << mapiCalls().substr(0, 120);
}

TEST_F(Alert, MapiWithoutSendMailFails) {
    ASSERT_TRUE(SetDllDirectoryW((kDoubles + L"\\partial").c_str()));
    SetLastError(0xdeadbeef);
    DWORD rc = basSendMAPIMail(L"boss\0", L"Report", L"Text", L"\0", L"", L"");
    SetDllDirectoryW(kDoubles.c_str());
    EXPECT_EQ(rc, DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(mapiCalls(), "") << "logged on although the mail could not be sent";
    EXPECT_EQ(GetModuleHandleW(L"MAPI32.dll"), nullptr);
}

// Run with the system's own NetApi32. Wine exports NetMessageBufferSend
// without implementing it: the call must count as a refusal and fall back to
// the mailslot, not end the process.
class SystemNetApi : public LibraryTest {};

TEST_F(SystemNetApi, UnimplementedMessengerFallsBackToTheMailslot) {
    start();
    Mailslot slot;
    ASSERT_TRUE(slot.ok());
    Recipients recipients{L"."};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 0u);
    EXPECT_EQ(slot.datagrams(), std::vector<std::string>{"Scanner\0.\0Virus found\0\0"s});
}

// Run with WINEDLLOVERRIDES=mapi32=d: a system without MAPI32.
class NoMapi : public LibraryTest {};

TEST_F(NoMapi, MissingLibraryGivesItsLoadError) {
    EXPECT_EQ(basSendMAPIMail(L"boss\0", L"Report", L"Text", L"\0", L"", L""), DWORD(ERROR_MOD_NOT_FOUND));
    start();
    Recipients recipients{L"MAPI:boss"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), DWORD(ERROR_MOD_NOT_FOUND));
}

}  // namespace
