/* The management agent's client library, loaded at run time. A caller starts
 * a session, formats codes while it is open and stops it. */
#ifndef PEMX4H_H
#define PEMX4H_H

#include <windows.h>

/* The formatter writes at most this many wide characters into `out`, the
 * terminator included; the caller's buffer must hold that many. */
#define PEMX_TEXT_MAX 512

/* The agent's own codes; the formatter also knows 0x80004004, 0x8007000E,
 * 0x80070057 and 0x80070005. */
#define PEMX_CODE_FIRST 0x80046100u
#define PEMX_CODE_LAST  0x80046400u

#ifdef __cplusplus
extern "C" {
#endif

/* Opens a session with the agent on `host` (a host name or address in 8-bit
 * text). `reserved` must be 0. 0 with the session's number (never 0) in
 * *session; 87 for a null or empty host, a null session pointer or a host
 * that is no valid name. */
DWORD WINAPI PemxStart(const char* host, DWORD reserved, DWORD* session);
/* Ends a session; 0, or 87 for a number that names no open session. */
DWORD WINAPI PemxStop(DWORD session);
/* Writes the text of `code` into `out` (PEMX_TEXT_MAX characters). Some texts
 * have more than one line; their lines end in "\r\n". `out` is set to "" for
 * a code without a text (result ERROR_MR_MID_NOT_FOUND, 317) and while no
 * session is open (ERROR_NOT_READY, 21). `reserved` must be 0. */
DWORD WINAPI PemxFormatError(DWORD code, DWORD reserved, wchar_t* out);

typedef DWORD(WINAPI* PemxStartFn)(const char*, DWORD, DWORD*);
typedef DWORD(WINAPI* PemxStopFn)(DWORD);
typedef DWORD(WINAPI* PemxFormatErrorFn)(DWORD, DWORD, wchar_t*);

#ifdef __cplusplus
}
#endif

#endif
