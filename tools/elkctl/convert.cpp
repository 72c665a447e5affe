// elkctl version, os-string, base64, encode and decode.
#include <windows.h>

#include <cwchar>
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

std::string toUtf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back();
    return out;
}

// Decoded bytes as text when they are UTF-8 without control characters
// (other than tab and line ends), else as hexadecimal bytes.
std::wstring showBytes(const std::vector<BYTE>& bytes) {
    bool printable = true;
    for (BYTE b : bytes)
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n') printable = false;
    if (printable && !bytes.empty()) {
        const char* data = reinterpret_cast<const char*>(bytes.data());
        int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, static_cast<int>(bytes.size()), nullptr, 0);
        if (n > 0) {
            std::wstring text(static_cast<size_t>(n), L'\0');
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, static_cast<int>(bytes.size()), text.data(), n);
            return text;
        }
    }
    std::wstring hex = L"hex:";
    for (BYTE b : bytes) {
        wchar_t two[4];
        _snwprintf(two, ARRAYSIZE(two), L" %02X", b);
        two[ARRAYSIZE(two) - 1] = L'\0';
        hex += two;
    }
    return hex;
}

// Runs a stored-text coder: asks for the size, then codes into a buffer of it.
int storedText(DWORD(WINAPI* coder)(wchar_t*, const wchar_t*, DWORD*), const wchar_t* what, const wchar_t* text) {
    DWORD count = 0;
    DWORD status = coder(nullptr, text, &count);
    if (status == ERROR_INSUFFICIENT_BUFFER) {
        std::vector<wchar_t> out(count);
        status = coder(out.data(), text, &count);
        if (status == 0) {
            print(std::wstring(out.data(), count) + L"\n");
            return 0;
        }
    }
    if (status == 0) {
        print(L"\n");  // an empty text
        return 0;
    }
    return reportFailure(what, status);
}

}  // namespace

int version(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[0], L"parse") == 0) {
        DWORD high = 0, low = 0;
        BOOLEAN ok = basString2Version(argv[1], &high, &low);
        if (!ok) {
            printError(std::wstring(L"elkctl: not a version: ") + argv[1] + L" (read so far: " + hex32(high) + L" " +
                       hex32(low) + L")\n");
            return 1;
        }
        print(hex32(high) + L" " + hex32(low) + L"\n");
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[0], L"format") == 0) {
        std::optional<DWORD> high = parseNumber<DWORD>(argv[1]), low = parseNumber<DWORD>(argv[2]);
        if (!high) return misused(std::wstring(L"not a 32-bit number: ") + argv[1]);
        if (!low) return misused(std::wstring(L"not a 32-bit number: ") + argv[2]);
        Started library(ELK_INIT_LIGHT);
        wchar_t text[64];
        if (basVersion2String(text, ARRAYSIZE(text), *high, *low) < 0) return reportFailure(L"version", ERROR_INSUFFICIENT_BUFFER);
        print(std::wstring(text) + L"\n");
        return 0;
    }
    return kMisused;
}

int osString(int argc, wchar_t**) {
    if (argc != 0) return kMisused;
    Started library(ELK_INIT_LIGHT);
    wchar_t name[260];
    DWORD status = basCreateOSString(nullptr, name, ARRAYSIZE(name));
    if (status != 0) return reportFailure(L"os-string", status);
    std::wstring out = std::wstring(L"Release: ") + name + L"\n";
    OSVERSIONINFOEXW record = {};
    record.dwOSVersionInfoSize = sizeof record;
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&record))) {
        wchar_t text[300];
        basOSVersion2String(reinterpret_cast<OSVERSIONINFOW*>(&record), text, ARRAYSIZE(text));
        out += std::wstring(L"Record:  ") + text + L"\n";
    }
    print(out);
    return 0;
}

int base64(int argc, wchar_t** argv) {
    if (argc != 2) return kMisused;
    if (std::wcscmp(argv[0], L"encode") == 0) {
        // The text's UTF-8 bytes.
        std::string bytes = toUtf8(argv[1]);
        std::string out(base64_getlen(static_cast<DWORD>(bytes.size())), '\0');
        base64_encode(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), out.data());
        print(std::wstring(out.begin(), out.end() - 1) + L"\n");
        return 0;
    }
    if (std::wcscmp(argv[0], L"decode") == 0) {
        DWORD count = 0;
        DWORD status = base64_decode(argv[1], nullptr, &count);
        std::vector<BYTE> bytes(count);
        if (status == ERROR_INSUFFICIENT_BUFFER) status = base64_decode(argv[1], bytes.data(), &count);
        bytes.resize(count);
        if (status != 0) {
            if (!bytes.empty()) print(showBytes(bytes) + L"\n");
            return reportFailure(L"base64", status);
        }
        print(showBytes(bytes) + L"\n");
        return 0;
    }
    return kMisused;
}

int encode(int argc, wchar_t** argv) { return argc == 1 ? storedText(strEncode, L"encode", argv[0]) : kMisused; }
int decode(int argc, wchar_t** argv) { return argc == 1 ? storedText(strDecode, L"decode", argv[0]) : kMisused; }

}  // namespace elkctl
