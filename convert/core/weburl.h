// Addresses of the maker's web pages: the link table, the language codes the
// site uses, and the composition of root, path and code.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace elk {

// Code of the home and help pages ("cze", "fre", "jpn", else "eng").
std::u16string_view pageLanguageCode(uint16_t language);
// Code of the site's other pages ("ger", "sk", ...; "eng" for the rest).
std::u16string_view siteLanguageCode(uint16_t language);

struct UrlLink {
    std::u16string_view iniKey;       // in section "URL"; overrides the path
    std::u16string_view defaultPath;  // the link name itself for unknown links
    bool pageCode;                    // fills "%s" with the page code, else the site code
};

// The row of `name` (case ignored). "HomePage" becomes "HomePageEng" on
// English sites.
UrlLink urlLink(std::u16string_view name, std::u16string_view siteCode);

// root + '/' + path, with one '/' between them.
std::u16string joinUrl(std::u16string_view root, std::u16string_view path);

// Fills the address's place-holders: "%s" becomes `code`, "%%" a '%' (so the
// virus links keep a "%s" for the caller); any other '%' stays as it is.
std::u16string expandUrl(std::u16string_view address, std::u16string_view code);

}  // namespace elk
