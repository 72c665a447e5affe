// Addresses of the maker's web pages, overridable in the INI file's "URL"
// section and carrying the interface language.
#include "convert/core/weburl.h"

#include <windows.h>

#include <string>

#include "base/state.h"
#include "base/wide.h"
#include "include/elkBase.h"

using elk::g_state;

namespace {

constexpr DWORD kValueMax = 260;

// Before start-up there is no INI file: every value is its default.
std::u16string urlSetting(const std::u16string& key, const std::u16string& fallback) {
    if (!g_state.iniPath[0]) return fallback.substr(0, kValueMax - 1);
    wchar_t value[kValueMax];
    GetPrivateProfileStringW(L"URL", elk::wide(key.c_str()), elk::wide(fallback.c_str()), value, ARRAYSIZE(value),
                             g_state.iniPath);
    return elk::u16(value);
}

}  // namespace

extern "C" {

void WINAPI basCreateURL(const wchar_t* name, wchar_t* out, DWORD size) {
    if (!out || size == 0) return;
    out[0] = L'\0';
    if (!name) return;
    const std::u16string_view siteCode = elk::siteLanguageCode(g_state.language);
    const elk::UrlLink link = elk::urlLink(elk::u16(name), siteCode);
    const std::u16string root = urlSetting(u"UrlRoot", elk::u16(ELK_DEFAULT_URL_ROOT));
    const std::u16string path = urlSetting(std::u16string(link.iniKey), std::u16string(link.defaultPath));
    const std::u16string url =
        elk::expandUrl(elk::joinUrl(root, path), link.pageCode ? elk::pageLanguageCode(g_state.language) : siteCode);
    elk::copyBounded(out, size, elk::wide(url.c_str()));
}

void WINAPI basGetHomePage(wchar_t* out, DWORD size) { basCreateURL(L"HomePage", out, size); }
}
