// osVersionFromText leaves a terminated service-pack text in its field, and a
// record it read, written with osVersionToText into a buffer of a
// fuzzer-chosen size, never runs past that buffer and reads back the same.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/core/osversion.h"
#include "fuzz/fuzz_text.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool sameFields(const elk::OsVersionRecord& a, const elk::OsVersionRecord& b, bool longFields) {
    bool same = a.size == b.size && a.major == b.major && a.minor == b.minor && a.build == b.build &&
                a.platform == b.platform && std::u16string(a.servicePack) == std::u16string(b.servicePack);
    if (longFields)
        same = same && a.servicePackMajor == b.servicePackMajor && a.servicePackMinor == b.servicePackMinor &&
               a.suiteMask == b.suiteMask && a.productType == b.productType;
    return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t capacity = elkfuzz::capacity(data) % 320;
    const std::u16string text = elkfuzz::wideText(data + 2, size - 2);

    elk::OsVersionRecord record;
    std::memset(&record, 0x55, sizeof record);
    elk::osVersionFromText(text.c_str(), record);
    bool terminated = false;
    for (char16_t c : record.servicePack) terminated = terminated || c == 0;
    check(terminated);

    std::vector<char16_t> out(capacity + 16, 0xA5A5);
    const int length = elk::osVersionToText(record, out.data(), capacity);
    for (size_t i = capacity; i < out.size(); ++i) check(out[i] == 0xA5A5);
    check(length < static_cast<int>(capacity));
    if (length < 0) return 0;

    // A comma in the service pack splits it on the way back.
    if (std::u16string(record.servicePack).find(u',') != std::u16string::npos) return 0;
    elk::OsVersionRecord back{};
    elk::osVersionFromText(out.data(), back);
    const bool isShort = record.size == elk::kOsRecordShortSize;
    check(sameFields(back, record, !isShort));
    if (isShort) check(back.servicePackMajor == 0 && back.suiteMask == 0 && back.productType == 0);
    return 0;
}
