#include "suite/common/cng.h"

#include <winternl.h>
#include <algorithm>

namespace suite::cng {
namespace {

// Opening a provider is slow, so each is opened once per process and closed
// when the module unloads.
class Provider {
public:
    explicit Provider(LPCWSTR name) { status_ = BCryptOpenAlgorithmProvider(&handle_, name, nullptr, 0); }
    ~Provider() {
        if (BCRYPT_SUCCESS(status_)) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    NTSTATUS status() const { return status_; }
    BCRYPT_ALG_HANDLE handle() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
    NTSTATUS status_;
};

const Provider& provider(Algorithm algorithm) {
    if (algorithm == Algorithm::Md5) {
        static const Provider md5(BCRYPT_MD5_ALGORITHM);
        return md5;
    }
    static const Provider sha256(BCRYPT_SHA256_ALGORITHM);
    return sha256;
}

DWORD toError(NTSTATUS status) {
    if (BCRYPT_SUCCESS(status)) return ERROR_SUCCESS;
    DWORD error = RtlNtStatusToDosError(status);
    return error == ERROR_MR_MID_NOT_FOUND ? ERROR_INVALID_FUNCTION : error;
}

}  // namespace

DWORD open(Algorithm algorithm, BCRYPT_HASH_HANDLE* hash) {
    *hash = nullptr;
    const Provider& p = provider(algorithm);
    if (!BCRYPT_SUCCESS(p.status())) return toError(p.status());
    return toError(BCryptCreateHash(p.handle(), hash, nullptr, 0, nullptr, 0, 0));
}

DWORD update(BCRYPT_HASH_HANDLE hash, const void* data, size_t size) {
    auto bytes = static_cast<const UCHAR*>(data);
    while (size > 0) {
        ULONG chunk = static_cast<ULONG>(std::min<size_t>(size, 0x40000000));
        // CNG's signature is not const-correct; it only reads the input.
        NTSTATUS status = BCryptHashData(hash, const_cast<UCHAR*>(bytes), chunk, 0);
        if (!BCRYPT_SUCCESS(status)) return toError(status);
        bytes += chunk;
        size -= chunk;
    }
    return ERROR_SUCCESS;
}

DWORD finish(BCRYPT_HASH_HANDLE hash, BYTE* digest, DWORD size) {
    return toError(BCryptFinishHash(hash, digest, size, 0));
}

void close(BCRYPT_HASH_HANDLE hash) {
    if (hash) BCryptDestroyHash(hash);
}

DWORD digest(Algorithm algorithm, const void* data, size_t size, BYTE* out, DWORD outSize) {
    Hash hash;
    DWORD rc = hash.open(algorithm);
    if (rc == ERROR_SUCCESS) rc = hash.update(data, size);
    if (rc == ERROR_SUCCESS) rc = hash.finish(out, outSize);
    return rc;
}

}  // namespace suite::cng
