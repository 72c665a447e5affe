#include "storage/core/password_file.h"

#include <algorithm>

namespace elk::storage {

RespRecord decodeRespRecord(const uint8_t* head, size_t headBytes, uint64_t fileSize) {
    RespRecord record;
    if (!head) headBytes = 0;
    headBytes = std::min(headBytes, kRespRecordBytes);
    if (fileSize < headBytes) headBytes = static_cast<size_t>(fileSize);
    record.empty = fileSize == 0 || fileSize == kFlagsBytes;
    if (fileSize == 0) {
        record.flags = kDefaultProtectionFlags;
        return record;
    }
    for (size_t i = 0; i < std::min(headBytes, kFlagsBytes); ++i) record.flags |= uint32_t{head[i]} << (8 * i);
    if (headBytes == kRespRecordBytes) {
        std::copy(head + kFlagsBytes, head + kRespRecordBytes, record.digest.begin());
        record.hasDigest = true;
    }
    return record;
}

std::array<uint8_t, kRespRecordBytes> encodeRespRecord(uint32_t flags, const Digest& digest) {
    std::array<uint8_t, kRespRecordBytes> bytes{};
    for (size_t i = 0; i < kFlagsBytes; ++i) bytes[i] = static_cast<uint8_t>(flags >> (8 * i));
    std::copy(digest.begin(), digest.end(), bytes.begin() + kFlagsBytes);
    return bytes;
}

void codeStringPassword(char16_t* text) {
    if (!text) return;
    for (; *text; ++text) {
        const unsigned c = *text;
        *text = static_cast<char16_t>((c & 0xFFF0u) | ((c & 0x3u) << 2) | ((c >> 2) & 0x3u));
    }
}

}  // namespace elk::storage
