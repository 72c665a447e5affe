#include "suite/ozrCmnOS/driveroot.h"

namespace ozrcmnos {
namespace {

using View = std::u16string_view;

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// A share: server and share names, both non-empty. `at` is where the server
// name starts.
bool splitShare(View path, size_t at, bool slashes, RootParts& parts) {
    auto isSeparator = [slashes](char16_t c) { return c == u'\\' || (slashes && c == u'/'); };
    auto next = [&](size_t from) {
        size_t i = from;
        while (i < path.size() && !isSeparator(path[i])) ++i;
        return i;
    };
    size_t server = next(at);
    if (server == at || server >= path.size()) return false;
    size_t share = next(server + 1);
    if (share == server + 1) return false;
    parts.found = true;
    parts.share = true;
    parts.length = share;
    parts.rest = share < path.size() ? share + 1 : share;
    return true;
}

bool splitDrive(View path, size_t at, bool slashes, RootParts& parts) {
    if (path.size() < at + 2 || !isLetter(path[at]) || path[at + 1] != u':') return false;
    parts.found = true;
    parts.driveName = at;
    parts.length = at + 2;
    size_t rest = at + 2;
    if (rest < path.size() && (path[rest] == u'\\' || (slashes && path[rest] == u'/'))) ++rest;
    parts.rest = rest;
    return true;
}

}  // namespace

RootParts splitRoot(View path) {
    RootParts parts;
    if (path.starts_with(u"\\\\?\\")) {
        parts.longPrefix = true;
        if (path.substr(4).starts_with(u"UNC\\")) {
            splitShare(path, 8, false, parts);
        } else {
            splitDrive(path, 4, false, parts);
        }
        if (!parts.found) parts = RootParts{};
        return parts;
    }
    auto isSeparator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // "\\.\" names a device, not a share.
        if (path.size() >= 3 && (path[2] == u'.' || path[2] == u'?')) return parts;
        splitShare(path, 2, true, parts);
        return parts;
    }
    splitDrive(path, 0, true, parts);
    return parts;
}

}  // namespace ozrcmnos
