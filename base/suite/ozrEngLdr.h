/* The suite's engine loader, loaded at run time from the program folder. A
 * caller opens a handle, loads the engine module it needs through it, makes
 * its requests and closes the handle again, which also releases the modules.
 * Every entry uses the C calling convention: the caller removes the
 * arguments. */
#ifndef OZRENGLDR_H
#define OZRENGLDR_H

#include <windows.h>

typedef void* AVLDR_HANDLE;

/* The engine module that arranges the boot-time scan. */
#define AVLDR_MODULE_BTS 33u

/* Requests of BtsSchedule. */
#define BTS_REQUEST_SCHEDULE 0u
#define BTS_REQUEST_CANCEL   1u
#define BTS_REQUEST_ASK      2u

/* avldrGetEngineInformation's record: 40 bytes, the caller zero-fills it. */
#define AVLDR_INFO_ENGINE 1u
typedef struct AVLDR_ENGINE_INFO {
    DWORD definitionsVersion; /* version of the virus-definition database; 0 when unknown */
    DWORD reserved[9];        /* left as the caller filled them */
} AVLDR_ENGINE_INFO;

#ifdef __cplusplus
static_assert(sizeof(AVLDR_ENGINE_INFO) == 40, "the record is 40 bytes on every build");
extern "C" {
#endif

/* A new handle, or 0 (last error set) when none can be had. `reserved` must be 0. */
AVLDR_HANDLE __cdecl avldrCreateHandle(DWORD reserved);
/* Loads engine module `module` for the handle: 0, 126 for a module that does
 * not exist, 6 for a handle that is not open, 87 for a non-zero `reserved`. */
DWORD __cdecl avldrLoadModule(AVLDR_HANDLE handle, DWORD module, DWORD reserved);
/* One boot-time scan request through a handle that has module 33 loaded:
 * schedule with `options` (kept as given), cancel, or ask. 0 on success, and
 * for the ask 0 means "scheduled" and 1168 "none scheduled"; 21 when the
 * handle has not loaded module 33, 6 for a handle that is not open, 87 for
 * an unknown request or a non-zero `reserved`, or the code of the failed
 * file access. */
DWORD __cdecl BtsSchedule(AVLDR_HANDLE handle, DWORD request, DWORD options, DWORD reserved);
/* Releases the handle and the modules loaded through it; 0, or 6 for a handle
 * that is not open. */
DWORD __cdecl avldrCloseModule(AVLDR_HANDLE handle, DWORD reserved1, DWORD reserved2);
/* Fills `record` (an AVLDR_ENGINE_INFO) for what = AVLDR_INFO_ENGINE; needs
 * no handle (null is fine). 0, 87 for a null record or another `what`, 6 for
 * a handle that is given but not open. */
DWORD __cdecl avldrGetEngineInformation(AVLDR_HANDLE handle, void* record, DWORD what);

typedef AVLDR_HANDLE(__cdecl* AvldrCreateHandleFn)(DWORD);
typedef DWORD(__cdecl* AvldrLoadModuleFn)(AVLDR_HANDLE, DWORD, DWORD);
typedef DWORD(__cdecl* BtsScheduleFn)(AVLDR_HANDLE, DWORD, DWORD, DWORD);
typedef DWORD(__cdecl* AvldrCloseModuleFn)(AVLDR_HANDLE, DWORD, DWORD);
typedef DWORD(__cdecl* AvldrGetEngineInformationFn)(AVLDR_HANDLE, void*, DWORD);

#ifdef __cplusplus
}
#endif

#endif
