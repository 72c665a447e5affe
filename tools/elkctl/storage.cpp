// elkctl reg and elkctl password: the suite's registry values and the
// settings password.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

// Hex digits in pairs; blanks, ':' and '-' may separate the bytes.
bool parseHexBytes(const wchar_t* text, std::vector<BYTE>& bytes) {
    int high = -1;
    for (; *text; ++text) {
        wchar_t c = *text;
        if (c == L' ' || c == L':' || c == L'-') {
            if (high >= 0) return false;
            continue;
        }
        if (!std::iswxdigit(c)) return false;
        int digit = c <= L'9' ? c - L'0' : (std::towlower(c) - L'a' + 10);
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<BYTE>(high << 4 | digit));
            high = -1;
        }
    }
    return high < 0;
}

std::wstring hexBytes(const std::vector<BYTE>& bytes) {
    std::wstring text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        wchar_t pair[4];
        _snwprintf(pair, ARRAYSIZE(pair), i ? L" %02X" : L"%02X", bytes[i]);
        pair[ARRAYSIZE(pair) - 1] = L'\0';
        text += pair;
    }
    return text;
}

// The library does not report a value's length, but a read succeeds exactly
// when the room holds the whole value, so the length is the smallest room
// that works.
DWORD readBinary(HKEY root, const wchar_t* name, std::vector<BYTE>& bytes) {
    constexpr DWORD kLimit = 1u << 20;
    bytes.assign(kLimit, 0);
    if (DWORD rc = basGetBinaryValue(root, name, bytes.data(), kLimit)) return rc;
    DWORD low = 0, high = kLimit;
    std::vector<BYTE> probe(kLimit);
    while (low < high) {
        DWORD middle = low + (high - low) / 2;
        if (basGetBinaryValue(root, name, probe.data(), middle) == 0)
            high = middle;
        else
            low = middle + 1;
    }
    bytes.resize(low);
    return 0;
}

enum class Kind { String, Dword, Binary };

int regCommand(int argc, wchar_t** argv) {
    std::vector<const wchar_t*> words;
    HKEY root = HKEY_LOCAL_MACHINE;
    Kind kind = Kind::String;
    for (int i = 0; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--user") == 0)
            root = HKEY_CURRENT_USER;
        else if (std::wcscmp(argv[i], L"--dword") == 0)
            kind = Kind::Dword;
        else if (std::wcscmp(argv[i], L"--binary") == 0)
            kind = Kind::Binary;
        else
            words.push_back(argv[i]);
    }
    if (words.size() < 2) return kMisused;
    const std::wstring action = words[0];
    const wchar_t* name = words[1];
    const std::wstring what = L"reg " + action + L" " + name;

    if (action == L"get" && words.size() == 2) {
        if (kind == Kind::String) {
            std::vector<wchar_t> text(32768);
            if (DWORD rc = basGetStringValue(root, name, text.data(), static_cast<DWORD>(text.size())))
                return reportFailure(what, rc);
            print(std::wstring(text.data()) + L"\n");
        } else if (kind == Kind::Dword) {
            DWORD value = 0;
            if (DWORD rc = basGetDWORDValue(root, name, &value)) return reportFailure(what, rc);
            wchar_t line[40];
            _snwprintf(line, ARRAYSIZE(line), L"%lu (0x%08lX)\n", value, value);
            line[ARRAYSIZE(line) - 1] = L'\0';
            print(line);
        } else {
            std::vector<BYTE> bytes;
            if (DWORD rc = readBinary(root, name, bytes)) return reportFailure(what, rc);
            print(hexBytes(bytes) + L"\n");
        }
        return 0;
    }
    if (action == L"set" && words.size() == 3) {
        const wchar_t* text = words[2];
        DWORD rc;
        if (kind == Kind::String) {
            rc = basStoreStringValue(root, name, text);
        } else if (kind == Kind::Dword) {
            std::optional<DWORD> value = parseNumber<DWORD>(text);
            if (!value) return misused(std::wstring(L"not a 32-bit number: ") + text);
            rc = basStoreDWORDValue(root, name, *value);
        } else {
            std::vector<BYTE> bytes;
            if (!parseHexBytes(text, bytes)) return misused(std::wstring(L"not hex bytes: ") + text);
            rc = basStoreBinaryValue(root, name, bytes.data(), static_cast<DWORD>(bytes.size()));
        }
        return rc ? reportFailure(what, rc) : 0;
    }
    if (action == L"delete" && words.size() == 2) {
        DWORD rc = basDeleteValue(root, name);
        return rc ? reportFailure(what, rc) : 0;
    }
    return kMisused;
}

// "-" stands for a line of standard input, which keeps the password off the
// command line.
std::wstring passwordArgument(const wchar_t* argument) {
    if (std::wcscmp(argument, L"-") != 0) return argument;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    std::wstring line;
    if (GetConsoleMode(in, &mode)) {
        wchar_t buffer[512];
        DWORD read = 0;
        if (ReadConsoleW(in, buffer, ARRAYSIZE(buffer), &read, nullptr)) line.assign(buffer, read);
    } else {
        std::string bytes;
        char c;
        DWORD read;
        while (bytes.size() < 4096 && ReadFile(in, &c, 1, &read, nullptr) && read == 1 && c != '\n') bytes += c;
        int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        line.resize(n);
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), line.data(), n);
    }
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
    return line;
}

int passwordAction(const std::vector<const wchar_t*>& words) {
    const std::wstring action = words[0];
    if ((action == L"set" || action == L"check") && words.size() == 2) {
        std::wstring password = passwordArgument(words[1]);
        if (action == L"set") {
            DWORD rc = basResPwdSet(password.c_str());
            return rc ? reportFailure(L"password set", rc) : 0;
        }
        if (basResPwdIsEmpty()) {
            print(L"no password is stored\n");
            return 1;
        }
        bool match = basResPwdCheck(password.c_str());
        print(match ? L"password matches\n" : L"password does not match\n");
        return match ? 0 : 1;
    }
    if (action == L"delete" && words.size() == 1) {
        DWORD rc = basResPwdDeletePassword();
        return rc ? reportFailure(L"password delete", rc) : 0;
    }
    if (action == L"flags" && words.size() == 1) {
        wchar_t line[80];
        _snwprintf(line, ARRAYSIZE(line), L"flags:    0x%08lX\npassword: %s\n", basResPwdFlagsGet(),
                   basResPwdIsEmpty() ? L"none" : L"stored");
        line[ARRAYSIZE(line) - 1] = L'\0';
        print(line);
        return 0;
    }
    if (action == L"flags" && words.size() == 2) {
        std::optional<DWORD> flags = parseNumber<DWORD>(words[1]);
        if (!flags) return misused(std::wstring(L"not a 32-bit number: ") + words[1]);
        DWORD rc = basResPwdFlagsSet(*flags);
        return rc ? reportFailure(L"password flags", rc) : 0;
    }
    return kMisused;
}

}  // namespace

int reg(int argc, wchar_t** argv) {
    // The edition string, which picks the machine-wide key, comes with the
    // start-up; without an installation the default key is used.
    Started library(ELK_INIT_LIGHT);
    return regCommand(argc, argv);
}

int password(int argc, wchar_t** argv) {
    if (argc < 1) return kMisused;
    Started library(ELK_INIT_LIGHT);
    if (library.status() != 0) return reportFailure(L"start-up", library.status());
    if (DWORD rc = basResPwdOpen()) return reportFailure(L"password file", rc);
    int result = passwordAction(std::vector<const wchar_t*>(argv, argv + argc));
    basResPwdClose();
    return result;
}

}  // namespace elkctl
