// Times and byte counts as the short texts shown to users, and times typed in
// the user's pattern read back.
#include "convert/core/timetext.h"

#include <windows.h>

#include <ctime>
#include <cwchar>
#include <iterator>

#include "base/handles.h"
#include "base/state.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "lang/language.h"
#include "lang/texts.h"

using elk::g_state;

namespace {

// Text `id` of `module` after what `out` holds, cut to fit; nothing when the
// module or the text is missing.
void appendText(HMODULE module, UINT id, wchar_t* out, size_t size) {
    if (!module) return;
    size_t used = wcslen(out);
    elk::loadText(module, id, out + used, size - used);
}

// The C runtime's formatting of `t` in its current locale after what `out`
// holds, cut to fit.
void appendTime(const wchar_t* format, const tm& t, wchar_t* out, size_t size) {
    wchar_t text[256];
    if (wcsftime(text, ARRAYSIZE(text), format, &t) == 0) return;
    size_t used = wcslen(out);
    elk::copyBounded(out + used, size - used, text);
}

bool localTime(__time64_t time, tm& out) {
    const tm* t = _localtime64(&time);
    if (!t) return false;
    out = *t;
    return true;
}

elk::CalendarDate dateOf(const tm& t) { return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday}; }

// Size units as the base language module has them, built again whenever
// another module takes its place. Guarded by the language lock, under which
// the module they come from cannot change.
struct UnitCache {
    bool built = false;
    uint32_t generation = 0;
    wchar_t text[elk::kSizeUnitCount][16];
};
UnitCache g_units;

void unitText(int unit, wchar_t (&out)[16]) {
    elk::BaseLanguage base;
    if (!g_units.built || g_units.generation != base.generation()) {
        for (int i = 0; i < elk::kSizeUnitCount; ++i) {
            const uint32_t id = ELK_TEXT_UNIT_FIRST + i;
            if (!base.module() || elk::loadText(base.module(), id, g_units.text[i], std::size(g_units.text[i])) == 0)
                elk::copyBounded(g_units.text[i], std::size(g_units.text[i]), elk::wide(elk::findText(id)->builtin));
        }
        g_units.generation = base.generation();
        g_units.built = true;
    }
    elk::copyBounded(out, std::size(out), g_units.text[unit]);
}

}  // namespace

extern "C" {

void WINAPI basTime2String(wchar_t* out, DWORD size, __time64_t time, DWORD full) {
    if (!out || size == 0) return;
    out[0] = L'\0';
    // A copy of its own, released without the extension's exit entry: the
    // library's own module stays with the library.
    elk::UniqueModule texts(basLoadLanguage(L"Base.dll"));
    tm local{};
    if (time == 0 || !localTime(time, local)) {
        appendText(texts.get(), ELK_TEXT_NO_TIME, out, size);
        return;
    }
    if (full) {
        appendTime(L"%#c", local, out, size);
        return;
    }
    const __time64_t now = _time64(nullptr);
    tm today{};
    if (!localTime(now, today)) {
        appendTime(L"%#c", local, out, size);
        return;
    }
    switch (elk::chooseTimeForm(dateOf(local), dateOf(today), now - time)) {
    case elk::TimeForm::Today:
        appendText(texts.get(), ELK_TEXT_TODAY, out, size);
        appendTime(L"%X", local, out, size);
        break;
    case elk::TimeForm::Yesterday:
        appendText(texts.get(), ELK_TEXT_YESTERDAY, out, size);
        appendTime(L"%X", local, out, size);
        break;
    case elk::TimeForm::WeekdayTime:
        appendTime(L"%A, %X", local, out, size);
        break;
    case elk::TimeForm::MonthDay:
        appendTime(L"%B, %#d (%A)", local, out, size);
        break;
    case elk::TimeForm::Full:
        appendTime(L"%#c", local, out, size);
        break;
    }
}

DWORD WINAPI basString2Time(const wchar_t* text, __time64_t* out) {
    if (!out) return ERROR_INVALID_PARAMETER;
    WORD language;
    {
        elk::BaseLanguage current;
        language = g_state.language;
    }
    const LCID locale = MAKELCID(language, SORT_DEFAULT);
    wchar_t date[50] = {}, time[50] = {}, am[20] = {}, pm[20] = {};
    // A pattern that cannot be read is left empty: that part is not read.
    if (GetLocaleInfoW(locale, LOCALE_SSHORTDATE, date, ARRAYSIZE(date)) <= 0) date[0] = L'\0';
    if (GetLocaleInfoW(locale, LOCALE_STIMEFORMAT, time, ARRAYSIZE(time)) <= 0) time[0] = L'\0';
    if (GetLocaleInfoW(locale, LOCALE_S1159, am, ARRAYSIZE(am)) <= 0) am[0] = L'\0';
    if (GetLocaleInfoW(locale, LOCALE_S2359, pm, ARRAYSIZE(pm)) <= 0) pm[0] = L'\0';
    DWORD yearMax = 0;
    if (!GetCalendarInfoW(locale, CAL_GREGORIAN, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, 0, &yearMax) ||
        yearMax < 1999 || yearMax > 9999)
        yearMax = 2029;

    const elk::TimePatterns patterns{elk::u16(date), elk::u16(time), elk::u16(am), elk::u16(pm),
                                     static_cast<int>(yearMax)};
    elk::TimeFields f;
    if (!elk::readTimeText(text ? std::u16string_view(elk::u16(text)) : std::u16string_view(), patterns, f))
        return ELK_E_TIME_TEXT;
    tm record{};
    record.tm_year = f.year;
    record.tm_mon = f.month;
    record.tm_mday = f.day;
    record.tm_hour = f.hour;
    record.tm_min = f.minute;
    record.tm_sec = f.second;
    record.tm_isdst = -1;
    *out = _mktime64(&record);
    return 0;
}

int WINAPI basFormatNumber(__int64 value, wchar_t* out, DWORD size) {
    const elk::ScaledSize scaled = elk::scaleByteCount(value);
    wchar_t unit[16];
    unitText(scaled.unit, unit);
    wchar_t text[64];
    // Single precision, as the suite has always shown sizes; the runtime's
    // locale gives the decimal mark.
    int n = _snwprintf(text, ARRAYSIZE(text), L"%1.1f %s", static_cast<double>(static_cast<float>(scaled.value)), unit);
    text[ARRAYSIZE(text) - 1] = L'\0';
    if (!out || size == 0) return -1;
    elk::copyBounded(out, size, text);
    return n >= 0 && static_cast<DWORD>(n) < size ? n : -1;
}
}
