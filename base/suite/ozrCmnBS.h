// The suite's base library: folders of the installation, its own start-up,
// a wide-string class, temporary files and gzip output.
#pragma once
#include <windows.h>

// The .def file is the one list of exports, so the library's own build marks
// nothing for export; callers import through the import library.
#ifdef OZRCMNBS_BUILD
#define OZRCMNBS_API
#else
#define OZRCMNBS_API __declspec(dllimport)
#endif

extern "C" {
// Absolute folders of the installation; never null, a trailing backslash is allowed.
OZRCMNBS_API const wchar_t* WINAPI fsGetTarvoProgramPath(void);
OZRCMNBS_API const wchar_t* WINAPI fsGetTarvoDataPath(void);
OZRCMNBS_API const wchar_t* WINAPI fsGetTarvoLogPath(void);
// Edition string of this installation; empty when there is none.
OZRCMNBS_API const wchar_t* WINAPI fsGetTarvoOemString(void);
// mode 1 asks for the reduced start (no registry look-ups); 0 on success.
OZRCMNBS_API DWORD WINAPI cmnbInit(DWORD mode);
OZRCMNBS_API DWORD WINAPI cmnbFree(DWORD reserved);

// Writes the display form of `name` (at most 64 characters, the folders in
// the middle of a longer path replaced by "...") into `out` and returns `out`
// (null when `out` is null). The display form is never longer than `name`, so
// `out` may be the buffer that holds `name`; it needs room for
// min(length of name, 64) + 1 characters.
OZRCMNBS_API wchar_t* WINAPI strGetDisplayFileName(const wchar_t* name, wchar_t* out);

// SHA-256 of the whole file behind an open handle (read access), read from its
// start; the file pointer is left where it was. 0 or a Windows error code.
OZRCMNBS_API DWORD WINAPI sha256GenerateFromHandle(HANDLE file, BYTE digest[32]);
}

// A wide string with an 8-bit view in the ANSI code page. All storage is
// handled by members inside the library, so objects may live in the caller's
// frames while each module keeps its own C++ runtime.
class OZRCMNBS_API CStr {
public:
    CStr();
    CStr(const wchar_t* text);
    CStr(const CStr& other);
    ~CStr();
    CStr& operator=(const CStr& other);
    CStr& operator=(const wchar_t* text);
    CStr& operator+=(const wchar_t* text);

    // The text; never null.
    const wchar_t* GetString() const;
    DWORD GetLength() const;
    // The ANSI copy lives until the next change of the string or its end.
    operator const char*() const;

    // Appends `part` (and then `second`, when not null) as path components
    // with exactly one backslash between. 0, 87 for a null part, 8 when out
    // of memory; the string is unchanged on failure.
    DWORD AddFilePart(const wchar_t* part, const wchar_t* second);
    // Sets the string to the system's temporary folder (ending in a
    // backslash). The argument is reserved and ignored. 0 or the error code.
    DWORD GetTempPathW(const wchar_t* reserved);
    // Creates an empty file with a unique name in the folder held (the
    // temporary folder when the string is empty) and sets the string to its
    // full path. With `handle` the file is also opened for reading and writing
    // (shared for reading; the caller closes it), else it is left closed.
    DWORD GetTempFile(HANDLE* handle);

private:
    // Takes `a` followed by `b` as the new text; false (text unchanged) when
    // out of memory or too long.
    bool assign(const wchar_t* a, DWORD na, const wchar_t* b, DWORD nb);
    wchar_t* text_;
    DWORD length_;
    mutable char* ansi_;
};

// A file owned by the object. The temporary kind is opened for reading and
// writing, shared for reading, writing and deletion, and disappears when its
// last handle is closed, so a crash leaves nothing behind.
class OZRCMNBS_API CGenericFile {
public:
    CGenericFile();
    CGenericFile(const CGenericFile&) = delete;
    CGenericFile& operator=(const CGenericFile&) = delete;
    virtual ~CGenericFile();

    // Creates a temporary file in `folder` (the system's temporary folder when
    // null) with a name that starts with `prefix` ("ozr" when null). `flags`
    // and `reserved` must be 0. 0 or a Windows error code.
    DWORD InitTempFile(DWORD flags, const wchar_t* folder, const wchar_t* prefix, DWORD reserved);
    // `close` closes the object's handle; `remove` deletes the file now (other
    // handles on it, such as a duplicate, still read it until they close).
    // 0 or the error code of the deletion.
    DWORD DeleteFileW(bool close, bool remove);
    // Writes all bytes at the file pointer. 0 or a Windows error code.
    DWORD Write(const void* data, DWORD size);

    // The open handle, or INVALID_HANDLE_VALUE; the object still owns it.
    HANDLE GetHandle() const;
    // Full path of the file; empty before InitTempFile.
    const wchar_t* GetPath() const;

private:
    HANDLE handle_;
    wchar_t path_[MAX_PATH];
};

// gzip output (RFC 1952) into a CGenericFile at its file pointer.
struct GGZSTREAM;
extern "C" {
// Opens a stream whose header records `name` (8-bit, may be null for none).
// The last two arguments are reserved (0). Null on failure, the last error set.
OZRCMNBS_API GGZSTREAM* WINAPI ggzopen(CGenericFile* file, const char* name, DWORD reserved1, DWORD reserved2);
// Compresses `length` bytes. The number of bytes taken, or a negative value
// on failure (after which only ggzclose is of use).
OZRCMNBS_API int WINAPI ggzwrite(GGZSTREAM* stream, const void* buffer, DWORD length, DWORD reserved);
// Finishes the stream (trailer included) and frees it; the file stays open
// with the pointer behind the last byte. 0, or a negative value when the
// stream was null, had failed, or its last bytes could not be written.
OZRCMNBS_API int WINAPI ggzclose(GGZSTREAM* stream);
}
