#include "submit/core/property_record.h"

namespace elk::submit {

uint32_t checkFlat(const uint8_t* buffer, size_t size, int32_t& count, size_t& used) {
    count = 0;
    used = 0;
    if (!buffer) return kStatusInvalidParameter;
    if (size < kCountBytes) return kStatusInvalidData;
    int32_t n;
    std::memcpy(&n, buffer, kCountBytes);
    if (n < 0) return kStatusInvalidData;

    // Every step first checks that what it reads lies before `size`; a huge
    // count fails at the first record that is not there.
    size_t at = kCountBytes;
    for (int32_t i = 0; i < n; ++i) {
        if (size - at < kRecordHeader) return kStatusInvalidData;
        uint32_t units;
        std::memcpy(&units, buffer + at + kTagBytes, 4);
        at += kRecordHeader;
        if (units > (size - at) / 2) return kStatusInvalidData;
        for (uint32_t u = 0; u < units; ++u) {
            uint16_t unit;
            std::memcpy(&unit, buffer + at + size_t{u} * 2, 2);
            if ((unit == 0) != (u + 1 == units)) return kStatusInvalidData;
        }
        at += size_t{units} * 2;
    }
    count = n;
    used = at;
    return kStatusSuccess;
}

}  // namespace elk::submit
