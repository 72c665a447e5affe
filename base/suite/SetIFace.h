/* The settings interface of the update tools, loaded at run time: one copy in
 * the program folder's "Mirror" sub-folder for the mirror tool, one in its
 * "Setup" sub-folder for the updater. Callers hold the copy's named mutex
 * around their calls. */
#ifndef SETIFACE_H
#define SETIFACE_H

#include <windows.h>

/* Items of setifaceSetInfo and what `value` carries for each. */
#define SETIFACE_ITEM_SERVER  1 /* const wchar_t*: the server address, "http://..." */
#define SETIFACE_ITEM_SOURCES 2 /* const char*: "mirror,main", "main" or "mirror" */
#define SETIFACE_ITEM_VALUE   3 /* a 32-bit value, in the pointer itself */
#define SETIFACE_ITEM_PORT    5 /* const DWORD*: the port number */

/* The named mutexes that guard the two copies. */
#define SETIFACE_MIRROR_MUTEX L"Mirror.mtx"
#define SETIFACE_SETUP_MUTEX  L"Setiface"

#ifdef __cplusplus
extern "C" {
#endif

/* Sets one setting of this copy; `reserved` must be 0. 0 or an error code. */
DWORD WINAPI setifaceSetInfo(DWORD reserved, DWORD item, const void* value);
/* Runs the mirror tool with `commandLine` ("" or " /savelog \"PATH\"");
 * `mode` must be 1, and the tool's status is written to *status. 0 or an
 * error code. */
DWORD WINAPI setifaceMirrorMirror(const wchar_t* commandLine, DWORD mode, DWORD* status);

typedef DWORD(WINAPI* SetifaceSetInfoFn)(DWORD, DWORD, const void*);
typedef DWORD(WINAPI* SetifaceMirrorMirrorFn)(const wchar_t*, DWORD, DWORD*);

#ifdef __cplusplus
}
#endif

#endif
