// Squeezing a path into a given display width by replacing folders in its
// middle with "...".
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace elk {

// Width of a text in the caller's units; a text that cannot be measured
// counts as too wide (return INT64_MAX).
using MeasureText = std::function<int64_t(std::u16string_view)>;

enum class FitResult {
    AlreadyFits,  // the path was left alone because it fits
    Unchanged,    // too wide, but it has no folder in the middle to drop
    Shortened,    // the path was replaced by a shorter form
};

// Separators are '\', '/' and "|>". Drops the path's folders from the last
// one towards the first, showing "..." in their place, until it fits `maxWidth`
// or only the first component and the file name are left (the narrowest form,
// kept even when it is still too wide). A form is only taken when it has at
// most as many characters as the path (and fewer than 520), so the result
// always fits the buffer that held the path.
FitResult fitPath(std::u16string& path, int64_t maxWidth, const MeasureText& width);

}  // namespace elk
