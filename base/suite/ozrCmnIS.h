/* The suite's integrity library: the published digests, the digest of stored
 * passwords and the suite's simple reversible coding. Results are 0 or a
 * Windows error code; ERROR_INVALID_PARAMETER (87) for a null pointer where
 * data or a digest is needed. */
#ifndef OZRCMNIS_H
#define OZRCMNIS_H

#include <windows.h>

/* The .def file is the one list of exports (see ozrCmnBS.h). */
#ifdef OZRCMNIS_BUILD
#define OZRCMNIS_API
#else
#define OZRCMNIS_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* MD5 (RFC 1321) state: 88 bytes, the size of the classic context, on 32-
 * and 64-bit Windows alike. It holds the system's hash object, so it must
 * not be copied, and every MD5Init is ended by MD5Final, which releases it. */
typedef struct MD5_CTX {
    void* hash;
    DWORD magic;
    BYTE reserved[88 - sizeof(void*) - sizeof(DWORD)];
} MD5_CTX;
#ifdef __cplusplus
static_assert(sizeof(MD5_CTX) == 88, "the context keeps the classic size");
#endif

OZRCMNIS_API DWORD WINAPI MD5Init(MD5_CTX* context);
/* `data` may be null when `length` is 0. */
OZRCMNIS_API DWORD WINAPI MD5Update(MD5_CTX* context, const void* data, DWORD length);
/* Writes the 16-byte digest and releases the context. */
OZRCMNIS_API DWORD WINAPI MD5Final(BYTE digest[16], MD5_CTX* context);

/* SHA-256 (FIPS 180-4) of a memory block; `data` may be null when `length`
 * is 0. */
OZRCMNIS_API DWORD WINAPI sha256GenerateHash(const void* data, DWORD length, BYTE digest[32]);

/* The digest under which the suite stores a password: MD5 over the 8 bytes
 * "TarvoMDA" followed by `byteLength` bytes of `text` (the caller passes the
 * UTF-16 characters with their terminator). A zero length gives 87. */
OZRCMNIS_API DWORD WINAPI mdaGenerate(const wchar_t* text, DWORD byteLength, BYTE digest[16]);

/* The suite's simple coding, in place; coding twice with the same parameter
 * restores the data. Each call starts afresh, so data coded in blocks is
 * decoded with the same division into blocks. `reserved` must be 0. A zero
 * length does nothing. See the suite's README for the keystream. */
OZRCMNIS_API DWORD WINAPI cyphSimpleCode(BYTE* buffer, DWORD length, DWORD reserved, DWORD parameter);

#ifdef __cplusplus
}
#endif

#endif
