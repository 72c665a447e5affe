// Data read from outside by the settings storage: registry string data put
// into a caller's room, and the head of "ozrResp.dat".
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "storage/core/regvalue.h"
#include "storage/core/password_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // A room of 0 to 31 characters (exactly sized, so ASan sees any write
    // past it) holding what the registry query returned.
    const size_t room = data[0] % 32;
    const uint8_t* bytes = data + 1;
    const size_t count = std::min(size - 1, room * 2);
    std::vector<char16_t> out(room);
    if (count) std::memcpy(out.data(), bytes, count);
    uint32_t rc = elk::storage::terminateReadString(out.data(), room, count);
    if (rc == 0) {
        bool terminated = false;
        for (char16_t c : out) terminated |= c == u'\0';
        if (!terminated) std::abort();
    } else if (room && out[0] != u'\0') {
        std::abort();
    }

    // The same bytes as the password file's head: what is decoded encodes back.
    const size_t head = size - 1;
    elk::storage::RespRecord record = elk::storage::decodeRespRecord(bytes, head, head);
    if (record.hasDigest) {
        auto encoded = elk::storage::encodeRespRecord(record.flags, record.digest);
        if (std::memcmp(encoded.data(), bytes, encoded.size()) != 0) std::abort();
    }
    return 0;
}
