#include "convert/core/weburl.h"

#include "convert/core/labels.h"

namespace elk {

namespace {

struct LanguageCode {
    uint16_t language;
    std::u16string_view code;
};

constexpr LanguageCode kSiteCodes[] = {
    {1026, u"blg"}, {1027, u"cat"}, {1028, u"cht"}, {1029, u"cze"}, {1030, u"dan"}, {1031, u"ger"},
    {1032, u"gre"}, {1035, u"fin"}, {1036, u"fre"}, {1038, u"hun"}, {1040, u"ita"}, {1041, u"jpn"},
    {1042, u"kor"}, {1043, u"dut"}, {1044, u"nor"}, {1045, u"pol"}, {1046, u"por"}, {1048, u"rom"},
    {1049, u"rus"}, {1050, u"cro"}, {1051, u"sk"},  {1053, u"swe"}, {1055, u"tur"}, {1060, u"slo"},
    {1086, u"mal"}, {2052, u"chs"}, {2070, u"ptg"}, {2074, u"srb"}, {3082, u"esp"},
};

struct Link {
    std::u16string_view name;
    UrlLink link;
};

constexpr Link kLinks[] = {
    {u"HomePage", {u"HomePage", u"index_%s.html", true}},
    {u"HomePageEng", {u"HomePageEng", u"index.html", true}},
    {u"Skins", {u"Skins", u"go.php?verb=skins&lang=%s", false}},
    {u"SubmissionPolicy", {u"SubmissionPolicy", u"go.php?verb=submission-policy&lang=%s", false}},
    {u"UpdateLink", {u"UpdateLink", u"go.php?verb=push-service&lang=%s", false}},
    {u"VirusReportURL", {u"VirusReportURL", u"go.php?verb=virus-report&lang=%s&name=%%s&virus=%%s", false}},
    {u"VirusDetailsURL", {u"VirusDetailsURL", u"go.php?verb=virus-details&lang=%s&name=%%s", false}},
    {u"FAQLinkRpc", {u"FAQLinkRpc", u"%s/faq-red-circle.html", true}},
    {u"FAQLinkSkin", {u"FAQLinkSkin", u"%s/i_have_installed_tar.html", true}},
    {u"FAQLinkStorage", {u"FAQLinkStorage", u"%s/faq_xml.html", true}},
};

}  // namespace

std::u16string_view pageLanguageCode(uint16_t language) {
    switch (language) {
    case 1029:
    case 1051:
        return u"cze";
    case 1036:
        return u"fre";
    case 1041:
        return u"jpn";
    default:
        return u"eng";
    }
}

std::u16string_view siteLanguageCode(uint16_t language) {
    for (const LanguageCode& c : kSiteCodes)
        if (c.language == language) return c.code;
    return u"eng";
}

UrlLink urlLink(std::u16string_view name, std::u16string_view siteCode) {
    if (equalsNoCase(name, u"HomePage") && siteCode == u"eng") name = u"HomePageEng";
    for (const Link& l : kLinks)
        if (equalsNoCase(name, l.name)) return l.link;
    return {u"InvalidUrlIniEntry", name, false};
}

std::u16string joinUrl(std::u16string_view root, std::u16string_view path) {
    std::u16string url(root);
    if (url.empty() || url.back() != u'/') url += u'/';
    if (!path.empty() && path.front() == u'/') path.remove_prefix(1);
    url += path;
    return url;
}

std::u16string expandUrl(std::u16string_view address, std::u16string_view code) {
    std::u16string out;
    out.reserve(address.size() + code.size());
    for (size_t i = 0; i < address.size(); ++i) {
        if (address[i] == u'%' && i + 1 < address.size()) {
            if (address[i + 1] == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (address[i + 1] == u's') {
                out += code;
                ++i;
                continue;
            }
        }
        out += address[i];
    }
    return out;
}

}  // namespace elk
