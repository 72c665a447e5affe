// The flat form of a list of submission properties: one self-contained
// buffer that carries the list from one module or process to another.
//
//   offset 0  count, signed 32-bit
//   then per record:
//     10 bytes  the five UTF-16 units of the tag, as they stand
//      4 bytes  L, the value's length in units with its NUL (0: no value)
//    2*L bytes  the value's units with the NUL
//
// Integers are little-endian and nothing is padded, so the 32-bit fields sit
// at unaligned offsets. Records in memory hold `tag[5]` units and a `value`
// pointer to NUL-terminated text (or null); the template works on any such
// record with 16-bit units, which lets the Windows layer use its own struct.
#pragma once
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <type_traits>

#include "base/core/status.h"

namespace elk::submit {

// Rebuilt values point into the flat buffer, so its units must already be in
// the machine's order.
static_assert(std::endian::native == std::endian::little, "the flat form is little-endian");

inline constexpr size_t kCountBytes = 4;
inline constexpr size_t kTagBytes = 10;
inline constexpr size_t kRecordHeader = kTagBytes + 4;

// The record layout of the portable code and its tests.
struct PropertyRecord {
    char16_t tag[5];
    const char16_t* value;
};

// Checks a flat buffer without trusting any stored number: the count must not
// be negative, every record must lie within `size`, and each value must end in
// its NUL with no NUL before it (the only form that flattening writes, so a
// rebuilt list flattens back to the same bytes). Gives the count and the
// bytes the records occupy (bytes after them are ignored). kStatusInvalidData when
// the buffer fails, kStatusInvalidParameter when it is null.
uint32_t checkFlat(const uint8_t* buffer, size_t size, int32_t& count, size_t& used);

namespace detail {

template <class Record>
using Unit = std::remove_cv_t<std::remove_pointer_t<decltype(Record::value)>>;

template <class Record>
constexpr void checkRecord() {
    static_assert(sizeof(Unit<Record>) == 2, "values are UTF-16");
    static_assert(sizeof(Record::tag) == kTagBytes, "a tag is five UTF-16 units");
    static_assert(std::is_trivially_copyable_v<Record>);
}

}  // namespace detail

// Flattens `count` records into a new buffer (new[] of the runtime; the
// caller releases it with delete[]). Outputs are reset first and valid only
// with kStatusSuccess. kStatusInvalidParameter for null records or a negative count,
// kStatusNoMemory when the buffer cannot be had or would exceed 4 GiB.
template <class Record>
uint32_t flatten(const Record* records, int32_t count, uint8_t*& buffer, uint32_t& size) {
    detail::checkRecord<Record>();
    using Unit = detail::Unit<Record>;
    buffer = nullptr;
    size = 0;
    if (!records || count < 0) return kStatusInvalidParameter;

    uint64_t total = kCountBytes;
    for (int32_t i = 0; i < count; ++i) {
        uint64_t units = records[i].value ? std::char_traits<Unit>::length(records[i].value) + 1 : 0;
        total += kRecordHeader + 2 * units;
        if (total > UINT32_MAX) return kStatusNoMemory;
    }
    if (total > SIZE_MAX) return kStatusNoMemory;
    auto* out = new (std::nothrow) uint8_t[static_cast<size_t>(total)]();
    if (!out) return kStatusNoMemory;

    std::memcpy(out, &count, kCountBytes);
    size_t at = kCountBytes;
    for (int32_t i = 0; i < count; ++i) {
        const Record& r = records[i];
        std::memcpy(out + at, r.tag, kTagBytes);
        uint32_t units = r.value ? static_cast<uint32_t>(std::char_traits<Unit>::length(r.value) + 1) : 0;
        std::memcpy(out + at + kTagBytes, &units, 4);
        at += kRecordHeader;
        if (units) std::memcpy(out + at, r.value, size_t{units} * 2);
        at += size_t{units} * 2;
    }
    buffer = out;
    size = static_cast<uint32_t>(total);
    return kStatusSuccess;
}

// Rebuilds the records of a flat buffer into a new array (new[] of the
// runtime; the caller releases it with delete[]). The values point into
// `buffer`, which must outlive the array unchanged. A list of 0 records still
// gives an (empty) array. Outputs are reset first: on kStatusInvalidParameter and
// kStatusInvalidData the array is null and the count 0, nothing is allocated; on
// kStatusNoMemory the count is already stored and the array is null.
template <class Record>
uint32_t rebuild(const uint8_t* buffer, size_t size, Record*& records, int32_t& count) {
    detail::checkRecord<Record>();
    using Unit = detail::Unit<Record>;
    records = nullptr;
    count = 0;
    int32_t n = 0;
    size_t used = 0;
    if (uint32_t rc = checkFlat(buffer, size, n, used)) return rc;
    count = n;
    if (static_cast<size_t>(n) > SIZE_MAX / sizeof(Record)) return kStatusNoMemory;
    auto* out = new (std::nothrow) Record[static_cast<size_t>(n)]();
    if (!out) return kStatusNoMemory;

    size_t at = kCountBytes;
    for (int32_t i = 0; i < n; ++i) {
        std::memcpy(out[i].tag, buffer + at, kTagBytes);
        uint32_t units;
        std::memcpy(&units, buffer + at + kTagBytes, 4);
        at += kRecordHeader;
        out[i].value = units ? reinterpret_cast<const Unit*>(buffer + at) : nullptr;
        at += size_t{units} * 2;
    }
    records = out;
    return kStatusSuccess;
}

}  // namespace elk::submit
