/* elkBase: the suite's base-services library.
 *
 * Every caller starts the library with basInitLibraryExt (or basInitLibrary)
 * before any other call and stops it with basFreeLibraryExt (or
 * basFreeLibrary); the calls are counted. Status codes are 32-bit, 0 is
 * success; Windows error codes pass unchanged, the suite's own families are
 * 0x7FFF0000 + k and 42000 to 42999 (basGetErrorString gives their text).
 * Text is UTF-16; buffer sizes are in characters, terminator included.
 * Pointers returned by getters point into the library's state: do not free. */
#ifndef ELKBASE_H
#define ELKBASE_H

#include <windows.h>

#ifdef ELKBASE_BUILD
#define ELKAPI __declspec(dllexport)
#else
#define ELKAPI __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Status codes set by the library itself ---------------------------- */
#define ELK_E_FOLDER_MISSING  0x7FFF0003u /* a required folder is missing or is a file */
#define ELK_E_INI_VALUE_EMPTY 0x7FFF1001u /* a required INI value is empty */
#define ELK_E_GENERAL         42000u
#define ELK_E_SMTP            42003u

/* ---- Lifecycle and global state ---------------------------------------- */
/* Start-up flags. */
#define ELK_INIT_NO_CRT_LOCALE   0x01u /* keep the runtime library's locale; reduced base-library start */
#define ELK_INIT_NO_CRASH_REPORT 0x02u /* install no crash-report handler */
#define ELK_INIT_NO_LOCALES      0x04u /* keep thread and runtime locales; reduced base-library start */
#define ELK_INIT_LIGHT           0x08u /* no computer/domain names, network layer or sounds; stop with it too */

/* Operating-system classes for basIsOS (exactly one is set at start-up). */
#define ELK_OS_NT4     0x001u
#define ELK_OS_NT50    0x002u
#define ELK_OS_NT51    0x004u
#define ELK_OS_95      0x008u
#define ELK_OS_95OSR2  0x010u
#define ELK_OS_98      0x020u
#define ELK_OS_ME      0x040u
#define ELK_OS_NT52    0x080u
#define ELK_OS_NT6     0x100u

ELKAPI DWORD WINAPI basInitLibraryExt(DWORD flags);
ELKAPI DWORD WINAPI basInitLibrary(BOOL crashReports);
ELKAPI DWORD WINAPI basFreeLibraryExt(DWORD flags);
ELKAPI DWORD WINAPI basFreeLibrary(void);
ELKAPI const wchar_t* WINAPI basGetIniPath(void);
ELKAPI WORD WINAPI basGetLanguage(void);
ELKAPI const wchar_t* WINAPI basGetComputerName(void);
ELKAPI const wchar_t* WINAPI basGetDomainName(void);
ELKAPI const wchar_t* WINAPI basGetNetDomain(void);
ELKAPI DWORD WINAPI basCheck(void);
ELKAPI FARPROC WINAPI basGetProcAddress(HMODULE module, const char* name);
ELKAPI BOOL WINAPI basIsOS(DWORD mask);

/* ---- Paths and INI settings (the INI file is "Tarvo5.ini" in the data folder) */
/* Joins folder and name with one backslash into out (size characters); returns
 * where name starts in out, or size when the folder alone fills the buffer. */
ELKAPI DWORD WINAPI basCreatePath(const wchar_t* folder, const wchar_t* name, wchar_t* out, DWORD size);
ELKAPI DWORD WINAPI basGetProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                        wchar_t* out, DWORD size);
ELKAPI UINT WINAPI basGetProfileInt(const wchar_t* section, const wchar_t* key, INT defaultValue);
ELKAPI BOOL WINAPI basWriteProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* value);
/* Writes the characters of text (UTF-16, no terminator) at the file's position. */
ELKAPI DWORD WINAPI basWriteString(HANDLE file, const wchar_t* text);

/* ---- Thread stop ------------------------------------------------------- */
/* Waits "Common"/"ThreadTerminationTimeout" ms (default 60000) for the thread,
 * terminates it with 1460 when it has not ended, closes the handle in every
 * case and returns the thread's exit code (the system's error code when the
 * handle is not a thread). */
ELKAPI DWORD WINAPI basStopThread(HANDLE thread);

/* ---- Language ---------------------------------------------------------- */
ELKAPI DWORD WINAPI basReinitLanguage(DWORD flags);
ELKAPI const wchar_t* WINAPI basGetLanguagePath(void);
ELKAPI DWORD WINAPI basCreateLanguagePath(WORD language, wchar_t* out, DWORD size);
ELKAPI HMODULE WINAPI basLoadLanguage(const wchar_t* file);
ELKAPI DWORD WINAPI basFreeLanguage(HMODULE module);
ELKAPI HMODULE WINAPI basGetBaseLang(void);
ELKAPI void WINAPI basInitThreadLocaleExt(DWORD flags);
ELKAPI void WINAPI basInitThreadLocale(void);

/* ---- Texts ------------------------------------------------------------- */
ELKAPI int WINAPI basGetString(UINT id, wchar_t* out, DWORD size);
/* strings: module whose string table is used (NULL: the base language module);
 * language: language id for system messages (0: the system's choice). */
ELKAPI void WINAPI basGetErrorStringEx(DWORD code, wchar_t* out, DWORD size, HMODULE strings, DWORD language);
ELKAPI void WINAPI basGetErrorString(DWORD code, wchar_t* out, DWORD size);
ELKAPI DWORD WINAPI basHRESULT2DWORD(DWORD result);
ELKAPI DWORD WINAPI basGetErrorType(DWORD code);

/* ---- Registry values ---------------------------------------------------- */

/* ---- Storage back-ends and statements ---------------------------------- */

/* ---- Settings password ------------------------------------------------- */

/* ---- Versions and system versions -------------------------------------- */

/* ---- Base64 and stored-text encoding ----------------------------------- */

/* ---- Quick sort --------------------------------------------------------- */

/* ---- Text replacement, digest and buffers ------------------------------ */

/* ---- Submission property records --------------------------------------- */

#ifdef __cplusplus
} /* extern "C" */

/* ---- Growable arrays ----------------------------------------------------
 * One contiguous block on the process heap, so that an array filled in one
 * module can be emptied in another. Status 0, or 8 when the heap refuses a
 * block (the array is then unchanged). Indexes are not checked.
 * Copy construction and assignment copy the elements into a block of the
 * copy's own (a failed allocation leaves the copy empty); Copy() reports the
 * failure. */
class ELKAPI CMyArray {
public:
    explicit CMyArray(UINT elementSize);
    CMyArray(const CMyArray& other);
    CMyArray& operator=(const CMyArray& other);
    virtual ~CMyArray();

    UINT GetGrow() const;
    void SetGrow(UINT grow); /* 0 is taken as 1 */
    UINT GetSize() const;
    BYTE* GetAt(UINT index) const;
    void* GetArray() const;
    UINT SetSize(UINT newCount);
    BYTE* InsertAt(UINT index, UINT* status);
    void RemoveAt(UINT index);
    void RemoveAll();
    UINT Copy(CMyArray* target) const;

protected:
    BYTE* AddReal(UINT* status);

private:
    UINT m_elementSize;
    BYTE* m_data;
    UINT m_grow;
    UINT m_count;
    UINT m_capacity;
};

class ELKAPI CMyPtrArray : public CMyArray {
public:
    CMyPtrArray();
    CMyPtrArray(const CMyPtrArray& other);
    CMyPtrArray& operator=(const CMyPtrArray& other);
    void* GetAt(UINT index) const;
    void SetAt(UINT index, void* value);
    UINT Add(void* value);
    UINT InsertAt(UINT index, void* value);
    UINT SetAtGrow(UINT index, void* value);
};

class ELKAPI CMyDWORDArray : public CMyArray {
public:
    CMyDWORDArray();
    CMyDWORDArray(const CMyDWORDArray& other);
    CMyDWORDArray& operator=(const CMyDWORDArray& other);
    DWORD GetAt(UINT index) const;
    void SetAt(UINT index, DWORD value);
    UINT Add(DWORD value);
    UINT InsertAt(UINT index, DWORD value);
    UINT SetAtGrow(UINT index, DWORD value);
};
#endif /* __cplusplus */

#endif /* ELKBASE_H */
