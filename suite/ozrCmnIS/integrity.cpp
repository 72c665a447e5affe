#include "base/suite/ozrCmnIS.h"
#include "suite/common/cng.h"
#include "suite/ozrCmnIS/simplecode.h"

#include <cstring>

namespace {

using suite::cng::Algorithm;

// Marks a context that MD5Init started and MD5Final has not yet ended.
constexpr DWORD kStarted = 0x3544444Du;

const BYTE kMdaPrefix[8] = {'T', 'a', 'r', 'v', 'o', 'M', 'D', 'A'};

bool started(const MD5_CTX* context) { return context && context->magic == kStarted && context->hash; }

}  // namespace

extern "C" {

DWORD WINAPI MD5Init(MD5_CTX* context) {
    if (!context) return ERROR_INVALID_PARAMETER;
    memset(context, 0, sizeof(*context));
    BCRYPT_HASH_HANDLE hash;
    DWORD rc = suite::cng::open(Algorithm::Md5, &hash);
    if (rc != ERROR_SUCCESS) return rc;
    context->hash = hash;
    context->magic = kStarted;
    return ERROR_SUCCESS;
}

DWORD WINAPI MD5Update(MD5_CTX* context, const void* data, DWORD length) {
    if (!started(context) || (!data && length)) return ERROR_INVALID_PARAMETER;
    return suite::cng::update(context->hash, data, length);
}

DWORD WINAPI MD5Final(BYTE digest[16], MD5_CTX* context) {
    if (!started(context)) return ERROR_INVALID_PARAMETER;
    DWORD rc = digest ? suite::cng::finish(context->hash, digest, 16) : ERROR_INVALID_PARAMETER;
    // The context ends here whatever happened: the caller has no other way
    // to release it.
    suite::cng::close(context->hash);
    memset(context, 0, sizeof(*context));
    return rc;
}

DWORD WINAPI sha256GenerateHash(const void* data, DWORD length, BYTE digest[32]) {
    if (!digest || (!data && length)) return ERROR_INVALID_PARAMETER;
    return suite::cng::digest(Algorithm::Sha256, data, length, digest, 32);
}

DWORD WINAPI mdaGenerate(const wchar_t* text, DWORD byteLength, BYTE digest[16]) {
    if (!text || byteLength == 0 || !digest) return ERROR_INVALID_PARAMETER;
    suite::cng::Hash hash;
    DWORD rc = hash.open(Algorithm::Md5);
    if (rc == ERROR_SUCCESS) rc = hash.update(kMdaPrefix, sizeof(kMdaPrefix));
    if (rc == ERROR_SUCCESS) rc = hash.update(text, byteLength);
    if (rc == ERROR_SUCCESS) rc = hash.finish(digest, 16);
    return rc;
}

DWORD WINAPI cyphSimpleCode(BYTE* buffer, DWORD length, DWORD reserved, DWORD parameter) {
    if (reserved || (!buffer && length)) return ERROR_INVALID_PARAMETER;
    ozrcmnis::simpleCode(buffer, length, parameter);
    return ERROR_SUCCESS;
}
}
