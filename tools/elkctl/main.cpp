// elkctl: the library's command-line front end for administrators and developers.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "tools/elkctl/commands.h"

namespace {

struct Command {
    const wchar_t* name;
    int (*run)(int argc, wchar_t** argv);  // argv[0] is the command's first argument
    const wchar_t* help;
};

const Command kCommands[] = {
    {L"info", elkctl::info, L"info                 start the library and show its state"},
    {L"error", elkctl::error, L"error CODE           the text of a status code (decimal or 0x hex)"},
    {L"time", elkctl::timeText,
     L"time NOW|SECONDS [--full]\n"
     L"                       a point in time (seconds since 1970) as the suite shows it"},
    {L"parse-time", elkctl::parseTimeText,
     L"parse-time TEXT      a date and time in the language's short-date and time pattern\n"
     L"                       to seconds since 1970 (-1: no point in time)"},
    {L"size", elkctl::sizeText, L"size BYTES           a byte count as a size with its unit"},
    {L"label", elkctl::label,
     L"label VPS1 VPS2 TIME [--flags N]\n"
     L"                       the virus-database label of the version (two hex values) and\n"
     L"                       time (NOW or seconds); flags 2 short year, 4 date only,\n"
     L"                       8 version only, 16 no year"},
    {L"url", elkctl::url, L"url NAME             address of the maker's page NAME (HomePage, Skins, ...)"},
    {L"version", elkctl::version,
     L"version parse TEXT, version format HIGH LOW\n"
     L"                       a file version \"1.2.3.4\" to its two 32-bit values and back"},
    {L"os-string", elkctl::osString, L"os-string            the running system's release name and version record"},
    {L"base64", elkctl::base64, L"base64 encode|decode TEXT\n"
     L"                       Base64 of the text's UTF-8 bytes, or the bytes of a Base64 text"},
    {L"encode", elkctl::encode, L"encode TEXT          the stored-text encoding of TEXT (\"b?...\")"},
    {L"decode", elkctl::decode, L"decode TEXT          a stored text back to plain (plain texts pass unchanged)"},
    {L"alert", elkctl::alert,
     L"alert --sender S --message M [--attach FILE]... RECIPIENT...\n"
     L"                       a network alert: SMTP:addr, MAPI:addr, MAPIPROFILE:profile,\n"
     L"                       WINPOPUP:name, PRNT:printer, or a bare name for a pop-up\n"
     L"                       (SMTP server from the INI file; attachments go by SMTP)"},
    {L"mail", elkctl::mail,
     L"mail --server HOST[:PORT] --from A --to B[;C] [--subject S] [--text T | --text-file F]\n"
     L"     [--attach FILE]... [--user U --password P]\n"
     L"                       one mail through the library's SMTP client (port 25 unless given)"},
    {L"reg", elkctl::reg,
     L"reg get|set|delete NAME [VALUE] [--user] [--dword|--binary]\n"
     L"                       a value under the suite's registry key (machine-wide\n"
     L"                       unless --user; text unless --dword or --binary hex bytes)"},
    {L"password", elkctl::password,
     L"password set|check PASSWORD, password delete, password flags [VALUE]\n"
     L"                       the settings password (PASSWORD - reads a line of input;\n"
     L"                       check exits with 1 when it does not match)"},
    {L"product", elkctl::product,
     L"product [COMPONENT]...\n"
     L"                       the installed edition (from setup.ini, and judged from its\n"
     L"                       component groups) and each component's \"Installed\" number"},
    {L"codepage", elkctl::codepage,
     L"codepage [FACE [CHARSET]]\n"
     L"                       character set, reading direction and console code page of the\n"
     L"                       language; whether font FACE exists in CHARSET (default: the\n"
     L"                       language's) on the screen"},
};

int usage() {
    std::fputws(L"usage: elkctl COMMAND [ARGS]\n", stderr);
    for (const Command& c : kCommands) {
        std::fputws(L"  ", stderr);
        std::fputws(c.help, stderr);
        std::fputws(L"\n", stderr);
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return usage();
    for (const Command& c : kCommands)
        if (std::wcscmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
    return usage();
}
