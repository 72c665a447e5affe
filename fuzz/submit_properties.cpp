// Flat property lists: rebuilding an arbitrary buffer never reads past it,
// and what it accepts flattens back to the same bytes; records made from the
// input flatten and rebuild to themselves.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "submit/core/property_record.h"

using elk::submit::PropertyRecord;

namespace {

void rebuildThenFlatten(const uint8_t* data, size_t size) {
    // An exact-size heap copy, so that any read past `size` is caught; the
    // block is also aligned for the values that point into it.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(buffer.get(), data, size);
    PropertyRecord* records = nullptr;
    int32_t count = -1;
    uint32_t rc = elk::submit::rebuild(buffer.get(), size, records, count);
    std::unique_ptr<PropertyRecord[]> owned(records);
    if (rc != 0) {
        if (rc != elk::kStatusInvalidData || records || count != 0) std::abort();
        return;
    }
    uint8_t* flat = nullptr;
    uint32_t flatSize = 0;
    if (elk::submit::flatten(records, count, flat, flatSize) != 0) std::abort();
    std::unique_ptr<uint8_t[]> ownedFlat(flat);
    if (flatSize > size || std::memcmp(flat, buffer.get(), flatSize) != 0) std::abort();
}

// Records from the input: each byte below 8 ends a value, 0 means a null
// value; other bytes become units of the current value.
void flattenThenRebuild(const uint8_t* data, size_t size) {
    std::vector<std::u16string> texts;
    std::vector<bool> isNull;
    std::u16string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] < 8) {
            texts.push_back(current);
            isNull.push_back(data[i] == 0);
            current.clear();
        } else {
            current.push_back(char16_t(data[i] * 257));
        }
    }
    std::vector<PropertyRecord> records(texts.size());
    for (size_t i = 0; i < records.size(); ++i) {
        for (int u = 0; u < 5; ++u) records[i].tag[u] = char16_t(i * 5 + u);
        records[i].value = isNull[i] ? nullptr : texts[i].c_str();
    }
    uint8_t* flat = nullptr;
    uint32_t flatSize = 0;
    PropertyRecord none{};  // an empty list still needs a record pointer
    const PropertyRecord* list = records.empty() ? &none : records.data();
    if (elk::submit::flatten(list, int32_t(records.size()), flat, flatSize) != 0) std::abort();
    std::unique_ptr<uint8_t[]> ownedFlat(flat);
    PropertyRecord* back = nullptr;
    int32_t count = 0;
    if (elk::submit::rebuild(flat, flatSize, back, count) != 0) std::abort();
    std::unique_ptr<PropertyRecord[]> owned(back);
    if (size_t(count) != records.size()) std::abort();
    for (size_t i = 0; i < records.size(); ++i) {
        if (std::memcmp(back[i].tag, records[i].tag, sizeof back[i].tag) != 0) std::abort();
        if ((back[i].value == nullptr) != isNull[i]) std::abort();
        if (back[i].value && texts[i] != back[i].value) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rebuildThenFlatten(data, size);
    flattenThenRebuild(data, size);
    return 0;
}
