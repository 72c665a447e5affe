#include "storage/core/backend.h"

namespace elk::storage {

namespace {

char16_t foldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// The kinds are ASCII words, so folding ASCII letters is the whole comparison;
// a locale-aware one would let other letters (a dotless i, say) match.
bool sameKind(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

}  // namespace

Backend backendOf(std::u16string_view kind) {
    if (sameKind(kind, u"XML")) return Backend::Xml;
    if (sameKind(kind, u"ODBC")) return Backend::Odbc;
    return Backend::Sqlite;
}

const char16_t* backendFile(Backend backend) {
    switch (backend) {
        case Backend::Xml: return u"elkSXML.dll";
        case Backend::Odbc: return u"elkSODBC.dll";
        case Backend::Sqlite: break;
    }
    return u"elkSSqlt.dll";
}

bool fallsBackToSqlite(std::u16string_view kind) { return !sameKind(kind, kDefaultKind); }

const char16_t* iniValueAfterLoad(std::u16string_view kind, bool firstLoaded, bool fallbackLoaded) {
    if (firstLoaded || !fallbackLoaded || !fallsBackToSqlite(kind)) return nullptr;
    return kDefaultKind;
}

}  // namespace elk::storage
