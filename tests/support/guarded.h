// An output buffer with canaries behind it, to catch writes past the size a
// call is given: `size` elements followed by a tail of the fill value.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

namespace elktest {

// '#' for text, 0xCC for bytes: neither is a value the calls would write there.
template <class T>
inline constexpr T kCanary = std::is_same_v<T, BYTE> ? T(0xCC) : T('#');

template <class T>
class Guarded {
public:
    explicit Guarded(size_t size, T fill = kCanary<T>, size_t tail = 4)
        : size_(size), fill_(fill), buffer_(size + tail + 1, fill) {
        buffer_.back() = T();  // keeps text() inside the buffer whatever was written
    }
    T* data() { return buffer_.data(); }
    DWORD size() const { return static_cast<DWORD>(size_); }
    T& operator[](size_t i) { return buffer_[i]; }

    // Nothing was written past the size.
    bool intact() const { return std::all_of(buffer_.begin() + size_, buffer_.end() - 1, [&](T c) { return c == fill_; }); }
    // Nothing was written at all.
    bool untouched() const { return std::all_of(buffer_.begin(), buffer_.end() - 1, [&](T c) { return c == fill_; }); }
    // The text up to its terminator; empty for a zero size.
    std::basic_string<T> text() const
        requires(!std::is_same_v<T, BYTE>)
    {
        return size_ ? std::basic_string<T>(buffer_.data()) : std::basic_string<T>();
    }
    // The first `size` elements.
    std::vector<T> written() const { return std::vector<T>(buffer_.begin(), buffer_.begin() + size_); }

private:
    size_t size_;
    T fill_;
    std::vector<T> buffer_;
};

// The usual case: wide text.
using GuardedText = Guarded<wchar_t>;

}  // namespace elktest
