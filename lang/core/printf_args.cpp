#include "lang/core/printf_args.h"

#include <algorithm>

namespace elk {

namespace {
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
}  // namespace

bool parsePrintfArgs(std::u16string_view f, std::vector<PrintfArg>& args) {
    size_t i = 0;
    while (i < f.size()) {
        if (f[i++] != u'%') continue;
        if (i < f.size() && f[i] == u'%') {
            ++i;
            continue;
        }
        while (i < f.size() && (f[i] == u'-' || f[i] == u'+' || f[i] == u' ' || f[i] == u'#' || f[i] == u'0')) ++i;
        while (i < f.size() && isDigit(f[i])) ++i;
        if (i < f.size() && f[i] == u'.') {
            ++i;
            while (i < f.size() && isDigit(f[i])) ++i;
        }
        if (i < f.size() && f[i] == u'*') return false;
        // Size prefix: 0 none, 'h' short/narrow, 'l' long/wide, '6' 64-bit.
        char16_t size = 0;
        if (i < f.size()) {
            std::u16string_view rest = f.substr(i);
            if (rest.starts_with(u"I64") || rest.starts_with(u"ll")) {
                size = u'6';
                i += rest[0] == u'I' ? 3 : 2;
            } else if (rest.starts_with(u"I32")) {
                i += 3;
            } else if (rest[0] == u'h' || rest[0] == u'l' || rest[0] == u'w') {
                size = rest[0] == u'h' ? u'h' : u'l';
                ++i;
            }
        }
        if (i >= f.size()) return false;
        char16_t type = f[i++];
        switch (type) {
        case u'd': case u'i': case u'u': case u'o': case u'x': case u'X':
            args.push_back(size == u'6' ? PrintfArg::Int64 : PrintfArg::Int);
            break;
        case u'c': case u'C':
            if (size == u'6') return false;
            args.push_back(PrintfArg::Int);
            break;
        case u'e': case u'E': case u'f': case u'g': case u'G': case u'a': case u'A':
            if (size == u'6' || size == u'h') return false;
            args.push_back(PrintfArg::Double);
            break;
        case u's':
            if (size == u'6') return false;
            args.push_back(size == u'h' ? PrintfArg::NarrowStr : PrintfArg::WideStr);
            break;
        case u'S':
            if (size == u'6') return false;
            args.push_back(size == u'l' ? PrintfArg::WideStr : PrintfArg::NarrowStr);
            break;
        case u'p':
            if (size != 0) return false;
            args.push_back(PrintfArg::Pointer);
            break;
        default:
            return false;  // %n and anything unknown
        }
    }
    return true;
}

bool printfArgsMatch(std::u16string_view format, std::initializer_list<PrintfArg> expected) {
    std::vector<PrintfArg> args;
    return parsePrintfArgs(format, args) && std::equal(args.begin(), args.end(), expected.begin(), expected.end());
}

}  // namespace elk
