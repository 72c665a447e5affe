// The settings-password file "ozrResp.dat": little-endian protection flags
// at offset 0, the 16-byte password digest at offset 4.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace elk::storage {

inline constexpr uint32_t kDefaultProtectionFlags = 0x17C;
inline constexpr size_t kFlagsBytes = 4;
inline constexpr size_t kDigestBytes = 16;
inline constexpr size_t kRespRecordBytes = kFlagsBytes + kDigestBytes;

using Digest = std::array<uint8_t, kDigestBytes>;

struct RespRecord {
    uint32_t flags = 0;
    Digest digest{};
    bool hasDigest = false;  // a whole digest was read
    bool empty = false;      // the file holds no password (0 or 4 bytes long)
};

// Decodes the file as opened: `head` holds the `headBytes` bytes read from
// its start (at most kRespRecordBytes are looked at), `fileSize` is its
// length. A new, 0-byte file stands for the default flags; a digest cut
// short counts as none.
RespRecord decodeRespRecord(const uint8_t* head, size_t headBytes, uint64_t fileSize);

// The file's first kRespRecordBytes bytes for these flags and digest.
std::array<uint8_t, kRespRecordBytes> encodeRespRecord(uint32_t flags, const Digest& digest);

// Exchanges bits 0-1 with bits 2-3 of every code unit up to the terminator;
// its own inverse, and it never turns a character into a terminator.
void codeStringPassword(char16_t* text);

}  // namespace elk::storage
