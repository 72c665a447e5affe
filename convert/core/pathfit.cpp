#include "convert/core/pathfit.h"

#include <optional>

namespace elk {

namespace {

constexpr size_t kWorkMax = 519;  // characters of the path the fitting works on

struct Separator {
    size_t pos;
    size_t length;
};

std::optional<Separator> firstSeparator(std::u16string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' || s[i] == u'/') return Separator{i, 1};
        if (s[i] == u'|' && i + 1 < s.size() && s[i + 1] == u'>') return Separator{i, 2};
    }
    return std::nullopt;
}

// The last backslash; after it the last '/'; after that the last "|>".
std::optional<Separator> lastSeparator(std::u16string_view s) {
    std::optional<Separator> last;
    size_t from = 0;
    if (size_t b = s.rfind(u'\\'); b != std::u16string_view::npos) {
        last = Separator{b, 1};
        from = b + 1;
    }
    if (size_t f = s.rfind(u'/'); f != std::u16string_view::npos && f >= from) {
        last = Separator{f, 1};
        from = f + 1;
    }
    if (size_t p = s.rfind(u"|>"); p != std::u16string_view::npos && p >= from) last = Separator{p, 2};
    return last;
}

}  // namespace

FitResult fitPath(std::u16string& path, int64_t maxWidth, const MeasureText& width) {
    if (width(path) <= maxWidth) return FitResult::AlreadyFits;
    const std::optional<Separator> head = firstSeparator(path);
    const std::optional<Separator> last = lastSeparator(path);
    if (!head || !last || last->pos == head->pos) return FitResult::Unchanged;
    const std::u16string_view tail = std::u16string_view(path).substr(last->pos);

    std::u16string work = path.substr(0, kWorkMax);
    if (std::optional<Separator> cut = lastSeparator(work)) work.resize(cut->pos);
    std::optional<std::u16string> chosen;
    while (std::optional<Separator> at = lastSeparator(work)) {
        std::u16string candidate = work.substr(0, at->pos + at->length);
        candidate += u"...";
        candidate += tail;
        // A one-letter folder gives a longer text that is no narrower: never
        // grow past the caller's path, whose buffer has no more room.
        if (candidate.size() <= kWorkMax && candidate.size() <= path.size()) {
            const bool fits = width(candidate) <= maxWidth;
            chosen = std::move(candidate);
            if (fits) break;
        }
        if (at->pos <= head->pos) break;
        work.resize(at->pos);
    }
    if (!chosen) return FitResult::Unchanged;
    path = std::move(*chosen);
    return FitResult::Shortened;
}

}  // namespace elk
