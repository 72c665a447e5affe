#include "base/suite/ozrCmnBS.h"
#include "suite/common/cng.h"

#include <cstring>
#include <memory>
#include <new>

extern "C" DWORD WINAPI sha256GenerateFromHandle(HANDLE file, BYTE digest[32]) {
    if (!digest) return ERROR_INVALID_PARAMETER;
    memset(digest, 0, 32);
    if (!file || file == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;

    LARGE_INTEGER zero{}, position{};
    if (!SetFilePointerEx(file, zero, &position, FILE_CURRENT)) return GetLastError();
    if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) return GetLastError();

    constexpr DWORD kBlock = 0x10000;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[kBlock]);
    BYTE result[32];
    suite::cng::Hash hash;
    DWORD rc = block ? hash.open(suite::cng::Algorithm::Sha256) : ERROR_NOT_ENOUGH_MEMORY;
    while (rc == ERROR_SUCCESS) {
        DWORD read = 0;
        if (!ReadFile(file, block.get(), kBlock, &read, nullptr)) {
            rc = GetLastError();
            break;
        }
        if (read == 0) break;
        rc = hash.update(block.get(), read);
    }
    if (rc == ERROR_SUCCESS) rc = hash.finish(result, sizeof(result));

    // The caller's position survives, also after a failure.
    DWORD error = GetLastError();
    SetFilePointerEx(file, position, nullptr, FILE_BEGIN);
    SetLastError(error);
    if (rc == ERROR_SUCCESS) memcpy(digest, result, sizeof(result));
    return rc;
}
