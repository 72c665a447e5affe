// The 128-bit digest of a block, through the suite's integrity library.
#include <cstring>

#include "base/suite/ozrCmnIS.h"
#include "include/elkBase.h"

DWORD WINAPI basGenerateHash128(const void* data, DWORD length, BYTE* digest) {
    if (!digest) return ERROR_INVALID_PARAMETER;
    std::memset(digest, 0, 16);
    if (!data && length) return ERROR_INVALID_PARAMETER;
    MD5_CTX context;
    if (DWORD rc = MD5Init(&context)) return rc;
    DWORD rc = MD5Update(&context, data, length);
    // MD5Final also releases the context, so it runs after a failed update too.
    BYTE result[16];
    DWORD done = MD5Final(result, &context);
    if (rc) return rc;
    if (done) return done;
    std::memcpy(digest, result, sizeof result);
    return 0;
}
