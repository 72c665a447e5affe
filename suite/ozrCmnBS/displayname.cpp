// A name keeps its text when it has at most kDisplayMax characters, once a
// long-path prefix ("\\?\", "\??\", "\\?\UNC\" which stands for "\\") is
// dropped. A longer one keeps its root (the drive "X:", the share
// "\\server\share", or else its first component) and as many whole trailing
// components as fit, with "\..." for the folders left out:
// "C:\...\Temp\sample.exe". When even the root and the file name do not fit,
// it becomes "...\" and the file name, and a file name that is itself too
// long keeps only its end behind "...". Both '\' and '/' separate components.
#include "suite/ozrCmnBS/displayname.h"

#include <algorithm>

namespace ozrcmnbs {
namespace {

using View = std::u16string_view;

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

size_t lastSeparator(View s, size_t before) {
    for (size_t i = std::min(before, s.size()); i-- > 0;)
        if (isSeparator(s[i])) return i;
    return View::npos;
}

size_t nextSeparator(View s, size_t from) {
    for (size_t i = from; i < s.size(); ++i)
        if (isSeparator(s[i])) return i;
    return View::npos;
}

// Where the root ends: the drive, the share, or the first component. `unc`
// says that `s` is a share path whose leading "\\" was dropped.
size_t rootEnd(View s, bool unc) {
    size_t server = View::npos;
    if (unc) {
        server = nextSeparator(s, 0);
    } else if (s.size() >= 2 && s[1] == u':') {
        return 2;
    } else if (s.size() >= 2 && isSeparator(s[0]) && isSeparator(s[1])) {
        server = nextSeparator(s, 2);
    } else {
        return nextSeparator(s, 0);
    }
    return server == View::npos ? View::npos : nextSeparator(s, server + 1);
}

class Writer {
public:
    explicit Writer(char16_t* out) : out_(out) {}
    void add(View s) {
        for (char16_t c : s)
            if (n_ < kDisplayMax) out_[n_++] = c;
    }
    size_t finish() {
        out_[n_] = u'\0';
        return n_;
    }

private:
    char16_t* out_;
    size_t n_ = 0;
};

}  // namespace

size_t displayFileName(View name, char16_t* out) {
    View lead;  // stands before `s` in the display form
    View s = name;
    if (s.starts_with(u"\\\\?\\UNC\\")) {
        s.remove_prefix(8);
        lead = u"\\\\";
    } else if (s.starts_with(u"\\\\?\\") || s.starts_with(u"\\??\\")) {
        s.remove_prefix(4);
    }
    Writer w(out);
    if (lead.size() + s.size() <= kDisplayMax) {
        w.add(lead);
        w.add(s);
        return w.finish();
    }

    const View dots = u"...";
    size_t last = lastSeparator(s, s.size());
    size_t root = rootEnd(s, !lead.empty());
    auto fits = [&](size_t tail) { return lead.size() + root + 1 + dots.size() + (s.size() - tail) <= kDisplayMax; };
    if (last != View::npos && root != View::npos && last > root && fits(last)) {
        size_t tail = last;
        for (;;) {
            size_t previous = lastSeparator(s, tail);
            if (previous == View::npos || previous <= root || !fits(previous)) break;
            tail = previous;
        }
        w.add(lead);
        w.add(s.substr(0, root));
        w.add(u"\\");
        w.add(dots);
        w.add(s.substr(tail));
        return w.finish();
    }

    View file = last == View::npos ? s : s.substr(last + 1);
    if (last != View::npos && dots.size() + 1 + file.size() <= kDisplayMax) {
        w.add(dots);
        w.add(u"\\");
        w.add(file);
        return w.finish();
    }
    w.add(dots);
    w.add(file.substr(file.size() - std::min(file.size(), kDisplayMax - dots.size())));
    return w.finish();
}

}  // namespace ozrcmnbs
