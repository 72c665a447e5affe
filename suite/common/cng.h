// Digests through the system's cryptography (CNG), shared by the suite's
// base and integrity libraries. Results are Windows error codes.
#pragma once
#include <windows.h>
// bcrypt.h needs the types of windows.h.
#include <bcrypt.h>

#include <cstddef>

namespace suite::cng {

enum class Algorithm { Md5, Sha256 };

// Starts an incremental hash; CNG owns the hash object.
DWORD open(Algorithm algorithm, BCRYPT_HASH_HANDLE* hash);
// Feeds any number of bytes (CNG takes at most 4 GiB - 1 per call).
DWORD update(BCRYPT_HASH_HANDLE hash, const void* data, size_t size);
// Writes the digest (`size` must be the algorithm's digest size).
DWORD finish(BCRYPT_HASH_HANDLE hash, BYTE* digest, DWORD size);
void close(BCRYPT_HASH_HANDLE hash);

// Owns one hash for a scope.
class Hash {
public:
    Hash() = default;
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    ~Hash() { close(hash_); }
    DWORD open(Algorithm algorithm) { return cng::open(algorithm, &hash_); }
    DWORD update(const void* data, size_t size) { return cng::update(hash_, data, size); }
    DWORD finish(BYTE* digest, DWORD size) { return cng::finish(hash_, digest, size); }

private:
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};

// The digest of one memory block.
DWORD digest(Algorithm algorithm, const void* data, size_t size, BYTE* out, DWORD outSize);

}  // namespace suite::cng
