// elkctl: the library's command-line front end for administrators and developers.
#include <windows.h>

#include <cwchar>
#include <string>

#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"

namespace {

struct Command {
    const wchar_t* name;
    int (*run)(int argc, wchar_t** argv);  // argv[0] is the command's first argument
    // How the command is called, starting with its name; a line break goes on
    // with another form of the command or the rest of a long one.
    const wchar_t* syntax;
    const wchar_t* description;  // may span lines
};

const Command kCommands[] = {
    {L"info", elkctl::info, L"info", L"start the library and show its state"},
    {L"error", elkctl::error, L"error CODE", L"the text of a status code (decimal or 0x hex)"},
    {L"time", elkctl::timeText, L"time NOW|SECONDS [--full]",
     L"a point in time (seconds since 1970) as the suite shows it"},
    {L"parse-time", elkctl::parseTimeText, L"parse-time TEXT",
     L"a date and time in the language's short-date and time pattern\n"
     L"to seconds since 1970 (-1: no point in time)"},
    {L"size", elkctl::sizeText, L"size BYTES", L"a byte count as a size with its unit"},
    {L"label", elkctl::label, L"label VPS1 VPS2 NOW|SECONDS [--flags N]",
     L"the virus-database label of the version (two numbers, hex\n"
     L"with 0x) and time; flags 2 short year, 4 date only,\n"
     L"8 version only, 16 no year"},
    {L"url", elkctl::url, L"url NAME", L"address of the maker's page NAME (HomePage, Skins, ...)"},
    {L"version", elkctl::version, L"version parse TEXT\nversion format HIGH LOW",
     L"a file version \"1.2.3.4\" to its two 32-bit values and back"},
    {L"os-string", elkctl::osString, L"os-string", L"the running system's release name and version record"},
    {L"base64", elkctl::base64, L"base64 encode|decode TEXT",
     L"Base64 of the text's UTF-8 bytes, or the bytes of a Base64 text"},
    {L"encode", elkctl::encode, L"encode TEXT", L"the stored-text encoding of TEXT (\"b?...\")"},
    {L"decode", elkctl::decode, L"decode TEXT", L"a stored text back to plain (plain texts pass unchanged)"},
    {L"alert", elkctl::alert, L"alert --sender S --message M [--attach FILE]... RECIPIENT...",
     L"a network alert: SMTP:addr, MAPI:addr, MAPIPROFILE:profile,\n"
     L"WINPOPUP:name, PRNT:printer, or a bare name for a pop-up\n"
     L"(SMTP server from the INI file; attachments go by SMTP)"},
    {L"mail", elkctl::mail,
     L"mail --server HOST[:PORT] --from A --to B[;C] [--to D]... [--subject S]\n"
     L"     [--text T | --text-file F] [--attach FILE]... [--user U --password P]",
     L"one mail through the library's SMTP client (port 25 unless given)"},
    {L"reg", elkctl::reg, L"reg get|set|delete NAME [VALUE] [--user] [--dword|--binary]",
     L"a value under the suite's registry key (machine-wide\n"
     L"unless --user; text unless --dword or --binary hex bytes)"},
    {L"password", elkctl::password, L"password set|check PASSWORD|-\npassword delete\npassword flags [VALUE]",
     L"the settings password (- reads a line of input;\n"
     L"check exits with 1 when it does not match)"},
    {L"product", elkctl::product, L"product [COMPONENT]...",
     L"the installed edition (from setup.ini, and judged from its\n"
     L"component groups) and each component's \"Installed\" number"},
    {L"codepage", elkctl::codepage, L"codepage [FACE [CHARSET]]",
     L"character set, reading direction and console code page of the\n"
     L"language; whether font FACE exists in CHARSET (default: the\n"
     L"language's) on the screen"},
    {L"bts", elkctl::bts, L"bts schedule OPTIONS|unschedule|status",
     L"the boot-time scan through the engine loader, with the\n"
     L"engine's options (a 32-bit number); status exits with 1\n"
     L"when none is scheduled"},
    {L"sound", elkctl::sound, L"sound EVENT [--wait MS]",
     L"the sound of EVENT (100-102 threats, 110-112 scan, 120 update,\n"
     L"130 firewall, 140 welcome) with the INI file's switches, then\n"
     L"MS milliseconds (default 3000) for it to play out"},
    {L"notify", elkctl::notify, L"notify send NAME\nnotify listen NAME... [--count N]",
     L"pulse the notification event NAME; or listen to the NAMEs and\n"
     L"print each pulse with its time (UTC), until N pulses or Ctrl+C"},
    {L"schedule", elkctl::schedule, L"schedule --every SECONDS [--spread S] [--count N]",
     L"one periodic event of the scheduler: print the time (UTC) of\n"
     L"each run, until N runs (default 3; 0: until Ctrl+C)"},
    {L"spool", elkctl::spool, L"spool list [FOLDER]\nspool show FILE [--extract DIR]",
     L"the submission spool's files (default folder: spool\\suspic\n"
     L"below the data folder), one a line; or every record of one\n"
     L"file decoded, its hash checked against its content, and\n"
     L"with --extract the content and embedded files written to DIR"},
    {L"submit", elkctl::submit,
     L"submit FILE [--type T] [--kind K] [--flags F] [--prop TAG=TEXT]...\n"
     L"       [--file-prop TAG=PATH]...",
     L"a file into the submission spool (kind 1, manual, unless\n"
     L"given), with text properties and embedded files"},
    {L"exec", elkctl::exec, L"exec [--wait] COMMAND",
     L"start a command line as the suite does (the program part\n"
     L"quoted up to its .exe), with --wait until it has ended"},
    {L"clean-temp", elkctl::cleanTemp, L"clean-temp HOURS [--recursive]",
     L"remove unpacking leftovers (unp<digits>[.tmp]) older than HOURS\n"
     L"from the temporary folder; full folders only with --recursive"},
    {L"dump", elkctl::dump, L"dump", L"a minidump of elkctl itself into the log folder; prints its path"},
    {L"other-av", elkctl::otherAv, L"other-av",
     L"a known anti-virus product of another maker, by its devices\n"
     L"and services (never on NT 6 and later); exits with 1 when none"},
    {L"open-to-everyone", elkctl::openToEveryone, L"open-to-everyone PATH",
     L"full access for Everyone to a file or folder (and, for a\n"
     L"folder, to the files created in it)"},
    {L"winsock-repair", elkctl::winsockRepair, L"winsock-repair [--reset]",
     L"repair the Windows Sockets catalogs (entries whose library is\n"
     L"missing removed, the rest numbered from 1), then with --reset\n"
     L"\"netsh winsock reset\"; the catalogs before and after"},
    {L"whs-firewall", elkctl::whsFirewall, L"whs-firewall",
     L"one attempt at the home-server connector's firewall rules;\n"
     L"then the INI keys of section WHS and what the firewall holds"},
    {L"mirror", elkctl::mirror,
     L"mirror set-mirror [--upstream HOST] [--port PORT] [--value N] [--sources]\n"
     L"mirror set-updater ADDRESS [--port PORT] [--fallback]\n"
     L"mirror launch [--log FILE]",
     L"the update mirror's settings (sources \"mirror,main\" behind an\n"
     L"upstream HOST, else \"main\"; the upstream address with a PORT),\n"
     L"the updater's (its mirror ADDRESS, a bare host with PORT, 80\n"
     L"unless given; sources \"mirror\", with --fallback \"mirror,main\"),\n"
     L"or a mirror run with its log in FILE; prints the run's status"},
    {L"sysinfo", elkctl::sysinfo, L"sysinfo",
     L"operating system, computer, domain, network user and domain,\n"
     L"memory, colour depth, browser component, full-screen state"},
    {L"file-version", elkctl::fileVersion, L"file-version PATH [--compare VERSION]",
     L"the version of a file (\"1.2.3.4\" and its two 32-bit values);\n"
     L"with --compare whether it is newer, the same or older"},
};

// `text` after `first`, its further lines indented to line up under the first.
std::wstring indented(const std::wstring& first, const wchar_t* text) {
    const std::wstring margin = L"\n" + std::wstring(first.size(), L' ');
    std::wstring out = first;
    for (; *text; ++text)
        if (*text == L'\n')
            out += margin;
        else
            out += *text;
    return out + L"\n";
}

// Every command with its description, in the column after short syntaxes.
int listCommands() {
    constexpr size_t kColumn = 23;
    std::wstring text = L"usage: elkctl COMMAND [ARGS]\n";
    for (const Command& c : kCommands) {
        const std::wstring syntax = indented(L"  ", c.syntax);
        const size_t lastLine = syntax.rfind(L'\n', syntax.size() - 2) + 1;  // npos + 1 is 0
        const size_t lastWidth = syntax.size() - 1 - lastLine;
        std::wstring lead(kColumn, L' ');
        if (lastWidth < kColumn - 1) {
            text += syntax.substr(0, lastLine);
            lead.replace(0, lastWidth, syntax, lastLine, lastWidth);
        } else {
            text += syntax;
        }
        text += indented(lead, c.description);
    }
    elkctl::printError(text);
    return elkctl::kMisused;
}

}  // namespace

namespace elkctl {

int misused(const std::wstring& reason) {
    printError(L"elkctl: " + reason + L"\n");
    return kMisused;
}

}  // namespace elkctl

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return listCommands();
    for (const Command& c : kCommands) {
        if (std::wcscmp(argv[1], c.name) != 0) continue;
        int result = c.run(argc - 2, argv + 2);
        if (result == elkctl::kMisused) elkctl::printError(indented(L"usage: elkctl ", c.syntax));
        return result;
    }
    elkctl::misused(std::wstring(L"unknown command ") + argv[1]);
    return listCommands();
}
