/* The suite's operating-system layer: text conversion, files and folders,
 * platform facts. Status results are 0 or a Windows error code. File handles
 * are plain Win32 file handles: other libraries (the digest of an open file,
 * for one) take them as they are. */
#ifndef OZRCMNOS_H
#define OZRCMNOS_H

#include <windows.h>

/* The .def file is the one list of exports (see ozrCmnBS.h). */
#ifdef OZRCMNOS_BUILD
#define OZRCMNOS_API
#else
#define OZRCMNOS_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Text ---------------------------------------------------------------
 * Copies are allocated by the layer and released with dep_strFreeString.
 * `length` is in characters, -1 for a NUL-terminated text. A null text gives
 * null (with no error); a failed conversion gives null with the last error
 * set. */

/* Flags for WideCharToMultiByte in the ANSI code page: WC_NO_BEST_FIT_CHARS,
 * so that a character the code page lacks becomes '?' and never a look-alike
 * (a look-alike could turn one file name into another). */
OZRCMNOS_API DWORD WINAPI dep_strUnicodeToNormalFlags(DWORD reserved);
OZRCMNOS_API char* WINAPI dep_strCurrToNewUtf8(const wchar_t* text, int length);
/* 8-bit copy in the ANSI code page with the flags above. */
OZRCMNOS_API char* WINAPI dep_strUnicodeToNewNormal(const wchar_t* text, int length);
/* Releasing null does nothing. */
OZRCMNOS_API void WINAPI dep_strFreeString(char* text);

/* ---- Files ----------------------------------------------------------------
 * Open modes: the access, sharing and creation bits below. 0x35
 * (DEP_OPEN_EXISTING_READ) opens an existing file for reading while others
 * may read, write and delete it. */
#define DEP_OPEN_READ         0x01u
#define DEP_OPEN_WRITE        0x02u
#define DEP_OPEN_SHARE_READ   0x04u
#define DEP_OPEN_CREATE       0x08u /* create when missing; otherwise it must exist */
#define DEP_OPEN_SHARE_WRITE  0x10u
#define DEP_OPEN_SHARE_DELETE 0x20u
#define DEP_OPEN_EXISTING_READ 0x35u

/* The prefix that dep_fsOpenFileX takes for raw access, see there. */
#define DEP_RAW_PREFIX L"*RAW:"

/* Opens `path` as the system reads it. `reserved` must be 0. On failure the
 * handle is INVALID_HANDLE_VALUE. */
OZRCMNOS_API DWORD WINAPI dep_fsOpenFile(const wchar_t* path, DWORD mode, HANDLE* handle, DWORD reserved);
/* Like dep_fsOpenFile, for paths of any length: the path is made absolute and
 * opened through the system's long-path form ("\\?\"). After the prefix
 * "*RAW:" the path is instead taken literally: it must be absolute (a drive,
 * a share, or already "\\?\"), and no part of it is rewritten, so trailing
 * dots and spaces, '/' and reserved device names stay part of the name. This
 * reaches files that ordinary paths cannot name. A raw path that is not
 * absolute gives ERROR_BAD_PATHNAME (161). */
OZRCMNOS_API DWORD WINAPI dep_fsOpenFileX(const wchar_t* path, DWORD mode, HANDLE* handle);
/* Reads up to `size` bytes; 0 with *read == 0 at the end of the file. */
OZRCMNOS_API DWORD WINAPI dep_fsReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read);
/* Moves the file pointer by the signed 64-bit distance high:low from
 * FILE_BEGIN (0), FILE_CURRENT (1) or FILE_END (2). */
OZRCMNOS_API DWORD WINAPI dep_fsSetFilePointer(HANDLE handle, LONG low, LONG high, DWORD method);
/* The file's size in bytes, or DEP_INVALID_SIZE with the last error set. */
#define DEP_INVALID_SIZE (~(ULONGLONG)0)
OZRCMNOS_API ULONGLONG WINAPI dep_fsGetFileSizeHandle(HANDLE handle);

/* Times are FILETIME values as the file system keeps them. */
typedef struct DEP_FILE_INFO {
    FILETIME creationTime;
    FILETIME lastAccessTime;
    FILETIME lastWriteTime; /* last change of the content */
    FILETIME changeTime;    /* last change of content or attributes */
    DWORD attributes;
} DEP_FILE_INFO;

OZRCMNOS_API DWORD WINAPI dep_fsGetFileInfoHandle(HANDLE handle, DEP_FILE_INFO* info);
/* A second handle on the same open file, with the same access; it shares the
 * file pointer with the first. */
OZRCMNOS_API DWORD WINAPI dep_fsDuplicateFile(HANDLE handle, HANDLE* copy);
OZRCMNOS_API DWORD WINAPI dep_fsCloseFile(HANDLE handle);

/* ---- Folders and deletion ------------------------------------------------
 * DEP_FORCE: a read-only file or folder loses that attribute before it is
 * removed (and gets it back when the removal fails). */
#define DEP_FORCE 0x01u

/* `*attributes` is left unchanged on failure. Long paths are accepted. */
OZRCMNOS_API DWORD WINAPI dep_fsGetFileAttributesX(const wchar_t* path, DWORD* attributes);
/* Creates one folder level (the parent must exist); ERROR_ALREADY_EXISTS
 * (183) when it is there. `reserved` must be 0. Long paths are accepted. */
OZRCMNOS_API DWORD WINAPI dep_fsCreateFolderX(const wchar_t* path, DWORD reserved);
OZRCMNOS_API DWORD WINAPI dep_fsDeleteFile(const wchar_t* path, DWORD flags);
/* Removes an empty folder. */
OZRCMNOS_API DWORD WINAPI dep_fsRemoveFolder(const wchar_t* path, DWORD flags);
/* Removes the files and sub-folders of `path` down to `depth` levels of
 * sub-folders ((DWORD)-1: all; 0: only the files directly inside), and then,
 * when `removeSelf` is non-zero, the folder itself. Links (junctions and
 * symbolic links) are removed as links; what they point to is never touched.
 * The work goes on past a failure; the result is the first failure's code.
 * The root of a drive or share is refused with ERROR_ACCESS_DENIED. */
OZRCMNOS_API DWORD WINAPI dep_fsRemoveFolderRecursive(const wchar_t* path, DWORD flags, DWORD removeSelf, DWORD depth);

/* ---- Drive roots -----------------------------------------------------------
 * dep_fsExtractDriveRoot writes the root of the drive or share that holds
 * `path` into `root` (DEP_ROOT_MAX characters, always with a final
 * backslash: "C:\", "\\server\share\", "\\?\C:\") and fills the first
 * `infoCount` fields of `info` (at most DEP_DRIVE_INFO_COUNT are written):
 *   [0] the drive kind (GetDriveTypeW; a share is DRIVE_REMOTE, 4),
 *   [1] DEP_ROOT_* flags,
 *   [2] where the drive name ("C:", two characters) starts in `root`,
 *   [3] where the rest of the path (after the root's backslash) starts in
 *       `path`.
 * A path that names no drive or share gives ERROR_BAD_PATHNAME (161); a root
 * longer than the buffer gives ERROR_FILENAME_EXCED_RANGE (206). */
#define DEP_ROOT_MAX MAX_PATH
#define DEP_DRIVE_INFO_COUNT 4u
#define DEP_ROOT_SHARE 0x01u /* a share: there is no local drive name */
#define DEP_ROOT_LONG  0x02u /* the path has the long-path prefix "\\?\" */
OZRCMNOS_API DWORD WINAPI dep_fsExtractDriveRoot(const wchar_t* path, wchar_t* root, DWORD* info, DWORD infoCount);

/* ---- Platform --------------------------------------------------------------- */
/* TRUE on a 64-bit Windows, also for a 32-bit process running on one. */
OZRCMNOS_API BOOL WINAPI dep_osIsWin64(void);

#ifdef __cplusplus
}
#endif

#endif
