// Labels of the virus database, detection descriptions, task status and task
// names.
#include "convert/core/labels.h"

#include <windows.h>

#include <ctime>
#include <cwchar>
#include <string>

#include "base/state.h"
#include "base/wide.h"
#include "convert/ostexts.h"
#include "include/elkBase.h"

using elk::g_state;

namespace {

constexpr size_t kWordMax = 500;

void copyOut(wchar_t* out, DWORD size, const std::u16string& text) {
    elk::copyBounded(out, size, elk::wide(text.c_str()));
}

// The user's date order and separator (not the interface language's): the
// label reads like the other dates on the user's desktop.
std::u16string databaseDate(__time64_t time, DWORD flags) {
    const tm* t = _localtime64(&time);
    if (!t) return {};
    const elk::CalendarDate date{t->tm_year + 1900, t->tm_mon + 1, t->tm_mday};
    const LCID user = GetUserDefaultLCID();
    wchar_t order[8] = {}, separator[8] = {};
    if (GetLocaleInfoW(user, LOCALE_IDATE, order, ARRAYSIZE(order)) <= 0) order[0] = L'\0';
    if (GetLocaleInfoW(user, LOCALE_SDATE, separator, ARRAYSIZE(separator)) <= 0) separator[0] = L'\0';
    return elk::databaseDate(date, static_cast<int>(wcstol(order, nullptr, 10)), elk::u16(separator), flags);
}

bool loadWord(HMODULE module, unsigned id, std::u16string& word) {
    wchar_t text[kWordMax];
    int n = LoadStringW(module, id, text, ARRAYSIZE(text));
    if (n <= 0) return false;
    word.assign(elk::u16(text), static_cast<size_t>(n));
    return true;
}

}  // namespace

extern "C" {

void WINAPI basVPS2Label(DWORD first, DWORD second, __time64_t time, wchar_t* out, DWORD size, DWORD flags) {
    if (!out || size == 0) return;
    if (first == 0 && second == 0) {
        elk::unknownVersionText(out, size);
        return;
    }
    copyOut(out, size, elk::databaseLabel(first, second, databaseDate(time, flags), flags));
}

BOOLEAN WINAPI basCreateVirusDescription(HMODULE module, wchar_t* out, DWORD size, BYTE flags, DWORD) {
    const elk::DescriptionWords ids = elk::descriptionWords(flags);
    std::u16string text, word;
    bool ok = true;
    if (ids.first) {
        ok = loadWord(module, ids.first, word);
        if (ok) elk::appendDescriptionWord(text, word, size);
    }
    if (ok && ids.second) {
        ok = loadWord(module, ids.second, word);
        if (ok) elk::appendDescriptionWord(text, word, size);
    }
    if (out && size) copyOut(out, size, text);
    return ok;
}

void WINAPI basStatus2String(DWORD status, DWORD failure, wchar_t* out, DWORD size) {
    if (!out || size == 0) return;
    copyOut(out, size, elk::taskStatusText(status, failure));
}

void WINAPI basFriendlyTaskName(wchar_t* name, DWORD size) {
    if (!name || size == 0) return;
    const elk::TaskNameRule rule = elk::taskNameRule({elk::u16(name), wcsnlen(name, size)});
    if (rule.keep) return;
    if (rule.whs) {
        elk::copyBounded(name, size, L"WHS");
        return;
    }
    // Loaded aside first: a module without the text leaves the name as it was.
    wchar_t text[260];
    if (!g_state.baseLanguage || LoadStringW(g_state.baseLanguage, rule.textId, text, ARRAYSIZE(text)) <= 0) return;
    elk::copyBounded(name, size, text);
}
}
