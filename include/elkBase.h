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
#define ELK_E_NOTIFY_FULL     0x7FFF000Au /* 63 notification events are registered already */

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

/* ---- Crash reports ------------------------------------------------------ */
/* A start-up without ELK_INIT_NO_CRASH_REPORT on NT 5.1 or later writes a
 * minidump into the log folder at the first exception that no handler takes.
 * basGenerateExceptionReport writes one now for an exception the caller caught
 * (null: a dump without an exception). One dump file per start-up, replaced by
 * each later dump. 0; 120 when the dump library or its entry is missing or no
 * start-up loaded it; otherwise the error of the file or of the dump. */
ELKAPI DWORD WINAPI basGenerateExceptionReport(EXCEPTION_POINTERS* exception);

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
/* What a caller makes of a status code: basGetErrorType's result. */
typedef enum ELK_ERROR_TYPE {
    ELK_ERROR_TYPE_OBJECT = 0,     /* this object could not be had (missing, denied, in use, damaged) */
    ELK_ERROR_TYPE_GENERAL = 1,    /* any other failure */
    ELK_ERROR_TYPE_CONNECTION = 2, /* the server or the mail did not get through */
    ELK_ERROR_TYPE_NONE = 3,       /* success or a cancel: nothing to report */
    ELK_ERROR_TYPE_RESTART = 4     /* a restart finishes the operation */
} ELK_ERROR_TYPE;
/* One of ELK_ERROR_TYPE (a DWORD, as it always was). */
ELKAPI DWORD WINAPI basGetErrorType(DWORD code);

/* ---- TCP transport and server addresses -------------------------------- */
/* A thin layer over Windows Sockets 1.1 for the caller's own sockets (SOCKET
 * values). Every blocking call (connect, accept, send, the receive of tcpRecv)
 * is watched: a call still running after more than 60 seconds has its socket
 * shut down in both directions, and its pending I/O cancelled, by a watchdog
 * thread that looks every 30 seconds, so it returns within about 90 seconds
 * with whatever the socket call then returns (995 where the cancel ended it).
 * The layer runs from the library's first start-up to its last shut-down (not
 * with ELK_INIT_LIGHT).
 * Results: 0, or the Windows Sockets error code of the failed call, passed on
 * unchanged; ELK_E_TCP_TABLE_FULL when 100 watched calls are already in
 * progress in the process (the call is then not made); WSANOTINITIALISED
 * (10093) when the layer is not running.
 * Test hook: the environment variable ELK_NET_WATCHDOG = "LIMIT_SECONDS,PERIOD_MS"
 * (for example "2,250"), read when the layer starts, can only shorten the
 * bound: a limit of 1 to 60 seconds and a period of 100 to 30000 ms, both
 * plain decimal digits, replace the 60 s limit and the 30 s period (and so
 * the bound of the SMTP client's replies and name look-ups). Any other
 * value (out of range, signed, with blanks or other text) is ignored whole and
 * the real times apply. */
#define ELK_E_TCP_TABLE_FULL 10055u /* WSAENOBUFS: no free watchdog slot */
struct sockaddr;
ELKAPI DWORD WINAPI tcpConnect(UINT_PTR socket, const struct sockaddr* address, int addressLength);
/* Waits for one connection on a listening socket. The connection's socket is
 * stored in *accepted (INVALID_SOCKET when none was accepted) and belongs to
 * the caller, who closes it. A NULL accepted gives 87 and accepts nothing. */
ELKAPI DWORD WINAPI tcpAccept(UINT_PTR socket, struct sockaddr* address, int* addressLength, UINT_PTR* accepted);
/* One send call: a send that takes fewer bytes than asked still gives 0, and
 * the rest is not sent. */
ELKAPI DWORD WINAPI tcpSend(UINT_PTR socket, const void* data, int length, int flags);
/* *length is the capacity in and the bytes received out (0 when the peer has
 * closed, 0 after a failed receive). With a timeout (seconds, 0 for none) the
 * call first waits for data: 1460 when none came, *length unchanged. A NULL
 * length gives 87. */
ELKAPI DWORD WINAPI tcpRecv(UINT_PTR socket, void* buffer, int* length, int flags, DWORD timeout);
/* Shuts the socket down in both directions and closes it: the close's result. */
ELKAPI DWORD WINAPI tcpClose(UINT_PTR socket);
/* An address in network byte order (first number in the first byte) from four
 * dotted decimal numbers (leading zeros are decimal; after a fourth number's
 * '.' nothing is read), without a name lookup; any other text is looked up as
 * a host name: the lookup's Windows Sockets code when it fails, 1460 when it
 * has not answered within the watchdog's limit (it runs on a thread of its
 * own; the reverse look-up of basAddress2String is not bounded). 87 for NULL. */
ELKAPI DWORD WINAPI basString2Address(DWORD* address, const char* text);
/* The host name of the address, or its dotted form when it has none, in at
 * most capacity characters; the buffer's last character is always the
 * terminator. Capacity 0 writes nothing. */
ELKAPI void WINAPI basAddress2String(wchar_t* text, DWORD capacity, const DWORD* address);
/* The address of the server named by INI "Communication"/"ServerAddress"
 * (resp. "LastServerAddress"); ELK_E_INI_VALUE_EMPTY without a value. */
ELKAPI DWORD WINAPI basObtainServerAddress(DWORD* address);
ELKAPI DWORD WINAPI basObtainLastServerAddress(DWORD* address);

/* ---- SMTP mail client --------------------------------------------------- */
/* One mail over plain SMTP in one blocking call: resolve, connect, greet,
 * authenticate when userName is not empty (AUTH PLAIN when offered, else AUTH
 * LOGIN; refused credentials or no mechanism: HELO and no authentication),
 * MAIL FROM, one RCPT TO per address, the MIME message, QUIT. Every step runs
 * under the TCP layer's watchdog. Lists are entries each ended by a NUL, the
 * list ended by an empty entry. The client only reads the record.
 * In the text, the HTML and the caller's header lines every lone CR or LF is
 * sent as CR LF and a line that begins with '.' gets one more, so nothing but
 * the client's own end can end the data; header values made from the fields
 * (an 8-bit subject, contentType, file names) cannot leave their line.
 * Every header line the client writes is folded before a blank to at most
 * 78 characters where a blank allows it (the To line after its commas) and
 * never goes over 998: a run of more than 998 without a blank (only an 8-bit
 * subject or a contentType can have one) is cut and goes on after an added
 * blank. The caller's own header lines go out as they are. A text or HTML
 * part with a line longer than 998 bytes on the wire goes out
 * quoted-printable, declared so, and arrives unchanged; every other part as
 * it stands (8bit).
 * Waits on the outside world: each reply has one deadline for the whole
 * reply, the watchdog's (60-90 s, ELK_E_SMTP_TIMEOUT), however slowly its
 * bytes come; the server's name is looked up on a thread of its own within
 * the watchdog's limit (60 s: ELK_E_SMTP_TIMEOUT), and a look-up that answers
 * later ends on that thread unseen. Reading an attachment (a file on a
 * network share can stall) is not bounded: the system offers no time limit
 * for a synchronous file read.
 * Attachments are streamed: memory use does not grow with their size. */
typedef struct SmtpMessage {
    const wchar_t* to;          /* list, required; an entry may hold several addresses separated by ';' */
    const wchar_t* from;        /* required */
    const wchar_t* subject;     /* UTF-8 encoded words, folded; CR, LF -> blank */
    const wchar_t* reserved1;   /* ignored */
    const wchar_t* reserved2;   /* ignored */
    const wchar_t* text;        /* plain-text part (UTF-8); required unless htmlMode */
    const wchar_t* server;      /* dotted IPv4 address or host name, required */
    const wchar_t* headers;     /* further header lines, each with its CR LF, or NULL */
    const wchar_t* attachments; /* list of full paths, or NULL */
    const wchar_t* userName;    /* NULL or empty: no authentication */
    const wchar_t* password;    /* required with a userName */
    const wchar_t* contentType; /* top-level type; NULL: "multipart/mixed" */
    const wchar_t* html;        /* HTML part (UTF-8), or NULL */
    DWORD htmlMode;             /* non-zero: no text part; attachments are inline images */
    WORD port;                  /* TCP port, host byte order */
} SmtpMessage;

/* Status of smtpSendMail: 0 when the server took the mail and answered QUIT
 * with 2xx. Checked before any connection: 87 (a NULL message or required
 * field; a CR or LF in userName or password; a '<', '>', blank or control
 * character, CR and LF among them, in from or an address),
 * ELK_E_SMTP_TOO_LONG (from above 240 bytes, an address above 242, userName
 * and password together above 187). Then: 11001 server not found (a server
 * text that begins with a digit must be a dotted address), ELK_E_SMTP_TIMEOUT
 * when the name's look-up did not answer in time; the Windows Sockets
 * code of a failed socket, connect, send or receive; ELK_E_SMTP_CLOSED when
 * the server closed the connection before its final reply line;
 * ELK_E_SMTP_TIMEOUT when the watchdog broke a wait for a reply; 122 when a
 * reply does not fit its buffer (255 bytes, 1023 for EHLO); ELK_E_GENERAL
 * (42000) for an unexpected reply code; ELK_E_SMTP (42003) when no recipient
 * was accepted; 8 when memory runs out. */
#define ELK_E_SMTP_TOO_LONG 10063u  /* WSAENAMETOOLONG: a field does not fit its command line */
#define ELK_E_SMTP_CLOSED   1226u   /* ERROR_GRACEFUL_DISCONNECT */
#define ELK_E_SMTP_TIMEOUT  1460u   /* ERROR_TIMEOUT */
ELKAPI DWORD WINAPI smtpSendMail(const SmtpMessage* message);

/* ---- Network alerts ---- */
/* One recipient of basNetAlert: the text follows the link in the same block.
 * Texts are "SMTP:address", "MAPI:address", "MAPIPROFILE:profile[&coded
 * password]", "WINPOPUP:computer or user", "PRNT:printer" (keywords may be
 * abbreviated, any case), or a bare computer or user name for a pop-up
 * ("DOMAIN": this computer's domain, "CURRENT": this computer); %NAME% is
 * expanded from the environment. */
typedef struct NetAlertRecipient {
    struct NetAlertRecipient* next; /* NULL ends the list */
    wchar_t text[1];                /* NUL-terminated, as long as the block holds */
} NetAlertRecipient;

/* Delivers message over each recipient's channel and returns when all were
 * tried: 0 when every attempted channel succeeded, else the latest failure;
 * a MAPI mail, when one is sent, decides the result alone. attachments (full
 * paths, each ended by a NUL, the list by an empty entry; may be NULL) go with
 * the SMTP mail only. 87 when sender or message is NULL or empty. The SMTP
 * mail fails with ELK_E_INI_VALUE_EMPTY, without a look-up, when "SMTPServer"
 * of the section "Communication" is missing or empty.
 * SMTP recipients: an "SMTP:" address may hold several addresses separated
 * by ';', each a recipient of its own; the mail goes once to each address
 * (any case). An address that smtpSendMail would refuse (after %NAME%
 * expansion: a '<', '>', blank or control character, CR and LF among them,
 * or more than 242 bytes as 8-bit text) is left out, and so is one beyond
 * the room of the recipient list (520 characters, each address with its
 * terminator, and one more); the mail goes to the others, and the result is
 * the mail's own (0 when the server took it), as when the server refuses a
 * recipient: a failure of the SMTP mail always means that nobody got it, so
 * a retry cannot send it twice. When every address is left out, the SMTP
 * mail fails with ELK_E_SMTP without a connection (an "SMTP:" text with no
 * address at all asks for no mail).
 * Waits on the outside world: the SMTP mail's are bounded as smtpSendMail
 * says (each reply and the server's name look-up within the watchdog's
 * limit; attachment reads are not). These are not bounded, because the
 * system gives them no time limit and they cannot be abandoned safely: the
 * pop-up (NetMessageBufferSend, and the open of a remote mailslot, wait as
 * long as the network does), the printout (the spooler's calls may wait for
 * a printer's driver or port), and the MAPI mail (MAPILogon may show the
 * mail client's log-on dialog, and a MAPI session belongs to the thread that
 * opened it, so it cannot be moved to a worker that could be left behind).
 * A caller that cannot wait long calls basNetAlert on a thread of its own. */
ELKAPI DWORD WINAPI basNetAlert(const NetAlertRecipient* recipients, const wchar_t* sender, const wchar_t* message,
                                const wchar_t* attachments);
/* One mail through the system's MAPI client. recipients and attachments are
 * lists of entries each ended by a NUL, the list by an empty entry (an empty
 * list is allowed); the password is used as it stands. 0, the system's error
 * code when MAPI32.dll or one of its entries is missing, or the MAPI result. */
ELKAPI DWORD WINAPI basSendMAPIMail(const wchar_t* recipients, const wchar_t* subject, const wchar_t* message,
                                    const wchar_t* attachments, const wchar_t* profile, const wchar_t* password);

/* ---- Registry values ---------------------------------------------------- */
/* Named values under the suite's key "Software\ORVEL Software\Tarvo\5.0" of
 * `root` (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER). On HKEY_LOCAL_MACHINE an
 * installation with an edition string uses "Software\ORVEL Software\Tarvo\
 * <edition>\5.0" instead. Results are the registry's codes: 0, 2 when the key
 * or value is missing, 234 when the value does not fit the room, or another
 * registry code; 206 when the edition string makes the key path longer than
 * 259 characters, 87 for a null buffer with a non-zero room. Reads take the
 * value's bytes whatever its type. */
/* Reads at most `size` bytes (data may be NULL with size 0: only whether the
 * value exists). The number of bytes read is not reported. */
ELKAPI DWORD WINAPI basGetBinaryValue(HKEY root, const wchar_t* name, BYTE* data, DWORD size);
ELKAPI DWORD WINAPI basStoreBinaryValue(HKEY root, const wchar_t* name, const BYTE* data, DWORD size);
/* `size` is the room in characters. `out` always ends up terminated: it is
 * emptied first and stays empty on failure. A value whose data fill the room
 * without a terminator of their own does not fit (234, empty), so a string is
 * never cut silently; size 0 writes nothing and gives 234 for any existing
 * value. */
ELKAPI DWORD WINAPI basGetStringValue(HKEY root, const wchar_t* name, wchar_t* out, DWORD size);
/* Stores REG_SZ with the terminator. */
ELKAPI DWORD WINAPI basStoreStringValue(HKEY root, const wchar_t* name, const wchar_t* value);
/* Reads at most 4 bytes, little-endian; a shorter value is zero-extended, and
 * on failure *out is left unchanged. */
ELKAPI DWORD WINAPI basGetDWORDValue(HKEY root, const wchar_t* name, DWORD* out);
/* Stores the 4 bytes as REG_BINARY (not REG_DWORD), as the suite reads them. */
ELKAPI DWORD WINAPI basStoreDWORDValue(HKEY root, const wchar_t* name, DWORD value);
ELKAPI DWORD WINAPI basDeleteValue(HKEY root, const wchar_t* name);

/* ---- Storage back-ends and statements ---------------------------------- */
/* The back-end named by INI "Common"/"Database" ("XML": elkSXML.dll, "ODBC":
 * elkSODBC.dll, anything else: elkSSqlt.dll; any case) is loaded from the
 * program folder and started through its export "_dbsInitLibrary@0"; when it
 * fails and the setting was not "SQLT", the SQLite store stands in and the
 * setting becomes "SQLT". NULL with the configured back-end's reason as the
 * last error when none starts. */
ELKAPI HMODULE WINAPI basLoadStorage(void);
/* Calls "_dbsFreeLibrary@0" and unloads: 0, that entry's result, the look-up's
 * code when it is missing (the library is unloaded all the same), or the
 * unload's code; 6 for a null module. */
ELKAPI DWORD WINAPI basFreeStorage(HMODULE module);

/* A statement is a CMyPtrArray of ELK_PROP_RECORD pointers, read by the
 * back-ends. Each record is one block of the runtime heap: the two values,
 * the name with its terminator and two spare bytes ((length * 2) + 12 bytes on
 * 32-bit Windows). */
#ifdef __cplusplus
class CMyPtrArray;
#else
typedef struct CMyPtrArray CMyPtrArray;
#endif
typedef struct ELK_PROP_RECORD {
    DWORD first;
    DWORD_PTR second;
    WCHAR name[1]; /* really as long as the name */
} ELK_PROP_RECORD;

/* NULL with last error 8 when memory is short. */
ELKAPI CMyPtrArray* WINAPI basCreateStatement(void);
/* Appends a binding: 0, 87 for a null statement, a null or empty name or a
 * zero value, 8 when memory is short. */
ELKAPI DWORD WINAPI basBindProp(CMyPtrArray* statement, const wchar_t* name, DWORD first, DWORD_PTR second);
/* 0 for a null statement. */
ELKAPI DWORD WINAPI basGetPropCount(CMyPtrArray* statement);
/* The name of binding `index`, its values through the pointers (either may be
 * NULL); NULL with last error 87 for a null statement or an index not below
 * the count. */
ELKAPI const wchar_t* WINAPI basGetProp(CMyPtrArray* statement, DWORD index, DWORD* first, DWORD_PTR* second);
/* Releases every binding and empties the statement, which stays usable; the
 * statement object itself belongs to the caller (delete it). 87 for NULL. */
ELKAPI DWORD WINAPI basFreeStatement(CMyPtrArray* statement);

/* ---- Settings password ------------------------------------------------- */
/* "ozrResp.dat" in the data folder holds the protection flags (u32 at 0) and
 * the digest of the password (16 bytes at 4); the password is never stored.
 * Opens and closes are counted; only the first open reads the file, which
 * then stays open (shared for reading) until the last close. A file that
 * cannot be written is opened read-only, and writes then fail with the
 * system's code. Set, delete and the flag write need the file open (6
 * otherwise); a short write gives 29. */
#define ELK_RESP_DEFAULT_FLAGS 0x17Cu /* flags of a new, empty file */

ELKAPI DWORD WINAPI basResPwdOpen(void);
/* Always 0; the last close forgets flags and digest. */
ELKAPI DWORD WINAPI basResPwdClose(void);
/* TRUE when the password's digest is the stored one; FALSE for NULL or when
 * no password is stored. */
ELKAPI BOOL WINAPI basResPwdCheck(const wchar_t* password);
/* Stores the digest, together with the flags in memory (a new file holds
 * none yet). */
ELKAPI DWORD WINAPI basResPwdSet(const wchar_t* password);
/* Cuts the digest from the file; the password no longer matches at once. */
ELKAPI DWORD WINAPI basResPwdDeletePassword(void);
ELKAPI DWORD WINAPI basResPwdFlagsSet(DWORD flags);
ELKAPI DWORD WINAPI basResPwdFlagsGet(void);
/* TRUE when no password is stored (kept current by set and delete). */
ELKAPI BOOL WINAPI basResPwdIsEmpty(void);
/* Exchanges bits 0-1 and 2-3 of each character, in place; applying it twice
 * restores the text. */
ELKAPI void WINAPI basCodeStringPassword(wchar_t* text);
/* The suite's simple coding of a buffer in place (ozrCmnIS's cyphSimpleCode);
 * its result. */
ELKAPI DWORD WINAPI basSimpleCipher(BYTE* data, DWORD length, DWORD mode);

/* ---- Versions and system versions -------------------------------------- */
/* A file version is a pair: high = major << 16 | minor, low = build << 16 |
 * revision (0, 0: no version). A system-version record is OSVERSIONINFOEXW or
 * its short form OSVERSIONINFOW, told apart by dwOSVersionInfoSize. */
/* Flags callers may add to dwPlatformId for basCreateOSString. */
#define ELK_PLATFORM_SERVER 0x080u /* a server system (short record only; the long one has its product type) */
#define ELK_PLATFORM_WIN64  0x100u /* 64-bit Windows */

/* "1.2.3.4", each part 0..65535 in decimal; all four are required. FALSE for
 * a malformed text, the outputs then hold the parts read so far. */
ELKAPI BOOLEAN WINAPI basString2Version(const wchar_t* text, DWORD* high, DWORD* low);
/* "%u.%u.%u.%u", or the language module's text for "unknown" when both are 0.
 * Returns the length, or -1 when the text was cut to fit size (the buffer is
 * terminated whenever size > 0). */
ELKAPI int WINAPI basVersion2String(wchar_t* out, DWORD size, DWORD high, DWORD low);
/* Virus-database version "%x-%x"; what cannot be read is 0. Always TRUE. */
ELKAPI BOOLEAN WINAPI basVPSString2Version(const wchar_t* text, DWORD* first, DWORD* second);
/* Hexadecimal text (blanks, sign and "0x" allowed) to a number; too large a
 * number gives 0xFFFFFFFF, no digits 0. */
ELKAPI DWORD WINAPI basHex2DWORD(const wchar_t* text);
/* "size,major,minor,build,platform,spMajor,spMinor,suite,product,service pack";
 * the long fields are read only from a record whose size says it has them
 * (0 otherwise). Returns the length, or -1 when cut to fit size (terminated
 * whenever size > 0). */
ELKAPI int WINAPI basOSVersion2String(const OSVERSIONINFOW* record, wchar_t* out, DWORD size);
/* Reads that text into a long record: NULL or "" clears it, numbers that
 * cannot be read leave their fields as they were, the service pack is what
 * follows the last comma. */
ELKAPI void WINAPI basString2OSVersion(const wchar_t* text, OSVERSIONINFOEXW* record);
/* Readable name of the Windows release of `record` (NULL: the running system)
 * in the current language. 0, the system's error when the running version
 * cannot be read, or 87 for a null or empty buffer. */
ELKAPI DWORD WINAPI basCreateOSString(const OSVERSIONINFOW* record, wchar_t* out, DWORD size);

/* ---- Base64 and stored-text encoding ----------------------------------- */
/* Standard alphabet, '=' padding, no line breaks. Counts are in bytes,
 * text capacities in characters. */
/* Encoded size of n bytes with its terminator ((n + 2) / 3 * 4 + 1);
 * 0xFFFFFFFF when that does not fit 32 bits. */
ELKAPI DWORD WINAPI base64_getlen(DWORD n);
/* Writes base64_getlen(n) bytes (text and terminator) into out. */
ELKAPI void WINAPI base64_encode(const BYTE* in, DWORD n, char* out);
/* *count: capacity of out in, bytes decoded out. Characters outside the
 * alphabet are skipped, '=' ends the data. 0; 87 malformed (a group left
 * open; the bytes before it are delivered) or a null argument; 122 out too
 * small (*count = bytes needed, nothing written); 8 no memory. */
ELKAPI DWORD WINAPI base64_decode(const wchar_t* text, BYTE* out, DWORD* count);
/* Stored-text encoding: "b?" and the Base64 of the UTF-16LE text; strDecode
 * passes texts without the marker ("b?" or "B?") through unchanged.
 * *count: capacity of out in characters in, length without terminator out.
 * 0; 122 when the result and its terminator do not fit (the output is
 * emptied and *count is the capacity needed, terminator included); 87 a
 * null count, or malformed Base64 behind the marker (output emptied); 8 no
 * memory. A null or empty text gives "" and 0. */
ELKAPI DWORD WINAPI strEncode(wchar_t* out, const wchar_t* text, DWORD* count);
ELKAPI DWORD WINAPI strDecode(wchar_t* out, const wchar_t* text, DWORD* count);
/* ANSI code page <-> UTF-16 of a whole zero-terminated text; the result is the
 * system conversion's (characters or bytes with the terminator, 0 on failure;
 * size 0 asks for the size needed). The last element of a buffer of size > 0
 * is always zeroed; a conversion that fails for another reason than the size
 * leaves an empty text. */
ELKAPI int WINAPI basA2U(const char* text, wchar_t* out, DWORD size);
ELKAPI int WINAPI basU2A(const wchar_t* text, char* out, DWORD size);

/* ---- Quick sort --------------------------------------------------------- */
/* Stable quick sort of elements [first, end) of a growable array with a
 * caller's comparison. The comparison gets element values (a pointer or DWORD
 * array's elements; of other arrays each element's first bytes, up to a
 * pointer's width, while whole elements move) and returns a positive number
 * when a belongs after b, negative when before, 0 when equal; the pivot is
 * always passed as a. Equal elements keep their order. A range of fewer than
 * 2 elements is left alone without a call. Returns 0, or 87 when the range
 * does not lie within the array or the array or comparison is NULL (nothing
 * is then touched). */
typedef int(WINAPI* ELK_SORT_COMPARE)(ULONG_PTR a, ULONG_PTR b);
typedef int(WINAPI* ELK_SORT_COMPARE_PARAM)(ULONG_PTR a, ULONG_PTR b, ULONG_PTR param);
#ifdef __cplusplus
class CMyArray;
ELKAPI DWORD WINAPI basQuickSort(CMyArray* array, INT first, INT end, ELK_SORT_COMPARE compare);
/* As basQuickSort; param reaches every comparison unchanged. */
ELKAPI DWORD WINAPI basQuickSortParam(CMyArray* array, INT first, INT end, ELK_SORT_COMPARE_PARAM compare,
                                      ULONG_PTR param);
#endif


/* ---- Text replacement, digest and buffers ------------------------------ */
/* Replaces find by replacement in text (capacity characters, terminator
 * included), searching again from the start after every replacement, so a
 * replacement that contains find grows the text until the buffer is full; it
 * stops at the first occurrence whose replacement would not fit. Nothing
 * changes for an empty find, a replacement equal to find, a NULL argument or
 * a text without a terminator within capacity. */
ELKAPI void WINAPI basChangeSubStr(wchar_t* text, DWORD capacity, const wchar_t* find, const wchar_t* replacement);
/* MD5 of length bytes at data into digest[16], which is cleared first.
 * Returns 0, 87 for a NULL digest (or NULL data with a length), or the
 * integrity library's failure (the digest then stays cleared). */
ELKAPI DWORD WINAPI basGenerateHash128(const void* data, DWORD length, BYTE* digest);
/* Makes *block (process heap) hold at least needed bytes, *size being its
 * size. needed 0 frees it (NULL, 0); a block large enough is kept (it never
 * shrinks); a smaller one is freed and replaced without keeping its contents.
 * Returns 0, 8 when the heap refuses (*block is then NULL while *size already
 * holds needed, so the next call allocates again), 87 for a NULL pointer. */
ELKAPI DWORD WINAPI basAdjustBuffer(void** block, DWORD* size, DWORD needed);
#ifdef __cplusplus
class CMyPtrArray;
/* Frees every non-NULL element (process-heap blocks) and then the array's
 * storage; the array stays usable, empty. */
ELKAPI void WINAPI basFreeMemArray(CMyPtrArray* array);
#endif


/* ---- Submission property records --------------------------------------- */
/* One property of a submission. Arrays of records cross module boundaries
 * with natural alignment (16 bytes a record on 32-bit Windows). */
typedef struct SubmitProperty {
    wchar_t tag[5];       /* four characters and a NUL; copied unit for unit */
    const wchar_t* value; /* NUL-terminated text, or NULL: no value (unlike "") */
} SubmitProperty;

/* Flattens count records into one new binary buffer of *size bytes:
 * count (int32), then per record the 5 tag units, the value's length L in
 * units with its NUL (uint32, 0 for NULL) and the L units; little-endian,
 * unpadded. Release *buffer with delete[]. Returns 0; 87 for a NULL pointer
 * or a negative count; 8 when the buffer cannot be allocated (or would exceed
 * 4 GiB). *buffer is NULL and *size 0 unless the result is 0. */
ELKAPI DWORD WINAPI basSubmitPropertyArrayToString(const SubmitProperty* records, INT count, BYTE** buffer,
                                                   DWORD* size);
/* Rebuilds the records of a flat buffer of size bytes into a new array (an
 * empty one for count 0); release it with delete[]. The values point into
 * buffer, which must outlive the array unchanged. Returns 0; 87 for a NULL
 * pointer; 13 (ERROR_INVALID_DATA) when the buffer is not a flat list: size
 * below 4, a negative count, a record or value running past size, or a value
 * not ended by its only NUL; 8 when the array cannot be allocated (*count
 * then already holds the stored count). On 87 and 13 nothing is allocated,
 * *records is NULL and *count 0. Bytes after the last record are ignored. */
ELKAPI DWORD WINAPI basStringToSubmitPropertyArray(const BYTE* buffer, DWORD size, SubmitProperty** records,
                                                   INT* count);

/* ---- File submission ---------------------------------------------------- */
/* The sample of a submission: one source is read, in this order of
 * preference: an open handle (never closed by the library), bytes in memory,
 * or the file at path. */
typedef struct SubmitFileInfo {
    const wchar_t* path;        /* full path of the file, or NULL */
    const wchar_t* displayName; /* name recorded for it; NULL or empty: path */
    HANDLE handle;              /* an open file of the OS layer to read instead, or NULL */
    const BYTE* data;           /* the sample in memory, or NULL */
    ULONGLONG size;             /* its size in bytes; 0: the open file's size */
} SubmitFileInfo;

/* Submission kinds. */
#define ELK_SUBMIT_AUTO       0u
#define ELK_SUBMIT_MANUAL     1u
#define ELK_SUBMIT_FALSE_ALARM 2u
#define ELK_SUBMIT_STATISTICS 3u
#define ELK_SUBMIT_HEURISTIC  4u
#define ELK_SUBMIT_CRASH_DUMP 5u
/* Submission flags: the location bits are added by the library (a bit the
 * caller sets counts as found); the others are kept in the spool file. */
#define ELK_SUBMIT_IN_WINDOWS       0x001u
#define ELK_SUBMIT_IN_PROGRAM_FILES 0x002u
#define ELK_SUBMIT_IN_PROFILE       0x004u
#define ELK_SUBMIT_PROPERTIES_ONLY  0x100u /* no content; never stored */
#define ELK_SUBMIT_RAW_ACCESS       0x200u /* open path through the OS layer's raw access */
#define ELK_SUBMIT_COMPRESS_FILES   0x400u /* file properties stored gzip-compressed */
/* Packs the sample, its hash, facts about the file, the installation and the
 * system, and the properties into one new spool file in "spool\suspic" below
 * the data folder, then sets the event "ozrUpdateNow.evt" when it exists.
 * properties holds textCount value properties (text, or lengths[i] raw bytes
 * when lengths is not NULL and lengths[i] is not 0) followed by fileCount
 * file properties (value = the path of a file whose content is embedded).
 * Returns 0 when the spool file was written, and also when nothing was
 * written because the sampling filter excludes this installation, the
 * statistics spool is full or the sample is larger than 32,000,000 bytes;
 * 160 for a NULL info, no source without ELK_SUBMIT_PROPERTIES_ONLY, or no
 * name; otherwise the code of the first failing step, and then no spool file
 * is left behind. */
ELKAPI DWORD WINAPI basSubmitFile(const SubmitFileInfo* info, const wchar_t* type, DWORD kind, DWORD flags,
                                  DWORD textCount, const SubmitProperty* properties, const DWORD* lengths,
                                  DWORD fileCount);
/* Makes sure a folder exists, creating every missing level: path is the
 * folder when the low byte of isFolder is non-zero, else a file whose folder
 * (the part before its last '\') is meant. 0, or the code of the last
 * creation that failed; 8 when memory runs out. */
ELKAPI DWORD WINAPI basValidatePath(const wchar_t* path, DWORD isFolder);

/* ---- Notification events ---------------------------------------------- */
/* Named events shared by the suite's processes. Names go into the global
 * namespace ("Global\NAME") on Windows 2000 and later; the full name must fit
 * in 259 characters (206, ERROR_FILENAME_EXCED_RANGE, when it does not; 87
 * for a NULL name or callback). Callbacks run one at a time on the process's
 * watcher thread, from the first notInit to the last notFree, outside the
 * library's lock, so they may register and unregister. A pulse reaches only
 * the watchers waiting at that moment; pulses are never queued. Two
 * registrations of one name in one process hold one event: a pulse calls the
 * newer one only. */
typedef void(WINAPI* ELK_NOTIFY_CALLBACK)(DWORD_PTR argument);
/* Counted: only the first starts the watcher, and only the matching last
 * notFree stops it (waiting "ThreadTerminationTimeout" as basStopThread),
 * unregisters whatever is still registered and returns the last error met;
 * a notFree without a notInit does nothing. 0 or a Windows code. */
ELKAPI DWORD WINAPI notInit(void);
ELKAPI DWORD WINAPI notFree(void);
/* Creates (or opens) the event of `name` with an access list that lets every
 * process open it. The registration's handle, or NULL with the last error
 * set: ELK_E_NOTIFY_FULL when 63 events are registered already (one wait of
 * the watcher takes no more), else the system's code. */
ELKAPI HANDLE WINAPI notAddEvent(const wchar_t* name, ELK_NOTIFY_CALLBACK callback, DWORD_PTR argument);
/* 0, or ELK_E_GENERAL (42000) when `registration` is not (or no longer) one
 * of this process's registrations; such a handle is compared, never read. */
ELKAPI DWORD WINAPI notRemEvent(HANDLE registration);
/* Pulses the event of `name`: 0, or the code of the failed open (2 when no
 * process has registered the name) or pulse. */
ELKAPI DWORD WINAPI notEvent(const wchar_t* name);

/* ---- Timer scheduler ---------------------------------------------------- */
/* One scheduler thread per process, from the first basInitScheduler to the
 * matching last basFreeScheduler, calls each due event's callback with its
 * argument, one after another, holding the scheduler's lock: a callback may
 * add and remove events (its own too); other threads' calls wait for it.
 * Times are seconds since 1970-01-01 UTC. Modes: 0 periodic (runs at once,
 * then every interval +/- a random offset of at most spread seconds; the
 * result is ignored); 1 at time (runs at the given time); any other value
 * self-timed (runs at once). After a run of mode 1 or self-timed, the result
 * is the next run; 0 ends the event, which stays allocated for its owner's
 * basRemSchedulerEvent. */
typedef DWORD(WINAPI* ELK_SCHEDULER_CALLBACK)(DWORD_PTR argument);
/* The record behind an event handle (read-only for callers). */
typedef struct ELK_SCHEDULER_EVENT {
    struct ELK_SCHEDULER_EVENT* next;
    struct ELK_SCHEDULER_EVENT* previous;
    ELK_SCHEDULER_CALLBACK callback;
    LONGLONG nextRun; /* 0: no longer scheduled */
    DWORD mode;
    DWORD interval;
    DWORD spread;
    WCHAR name[128]; /* cut to 127 characters */
    DWORD_PTR argument;
    HANDLE wakeTimer; /* armed to wake the computer, or NULL */
} ELK_SCHEDULER_EVENT;
/* Counted: only the first starts the thread (0, the system's code, 0x7FFF0005
 * without a wake-up event, 0x7FFF1002 without a thread; 0x7FFF0006 while a
 * stop is under way), only the last stops it (waiting
 * "ThreadTerminationTimeout" as basStopThread: 1460 when a hung callback had
 * its thread ended) and frees the events still scheduled. */
ELKAPI DWORD WINAPI basInitScheduler(void);
ELKAPI DWORD WINAPI basFreeScheduler(void);
/* time: mode 1 the absolute time, else the interval. wake: arm a waitable
 * timer that wakes the computer 90 s before an at-time event (at once for the
 * other modes). Events added while no scheduler runs wait for the next start.
 * The handle, or NULL with the last error 8 or 0x7FFF0006 (stopping). */
ELKAPI HANDLE WINAPI basAddSchedulerEvent(const wchar_t* name, DWORD_PTR argument, DWORD time,
                                          ELK_SCHEDULER_CALLBACK callback, DWORD mode, DWORD spread, BOOL wake);
/* Unschedules and frees the event: 0, or 6 (ERROR_INVALID_HANDLE) when it is
 * not one of this process's events; such a handle is compared, never read. */
ELKAPI DWORD WINAPI basRemSchedulerEvent(HANDLE event);

/* ---- Secure desktop ----------------------------------------------------- */
/* Runs function(argument) on a worker thread moved to a desktop of its own,
 * "Ozr_ConsentDesktop", which is shown covered by a full-screen window
 * (class "Ozr_ConsentOverlay") with a dimmed picture of the screen; the
 * function's own windows appear above it. Meanwhile an entry of the user's
 * desktop "default" denies everyone DESKTOP_SWITCHDESKTOP (a desktop without
 * an access list gets one that grants everyone all other rights beside it).
 * Afterwards the display, the thread and that desktop's access list are
 * restored; the list on every path once it was changed. The caller waits for
 * the worker. Only one call runs at a time per process. Result: the
 * function's result; 32 (ERROR_SHARING_VIOLATION) while another call is in
 * progress, also from inside the function (it is not called); 87 for a null
 * function. When the set-up fails: with fallBack the function runs on a
 * thread of the user's desktop and its result is returned; without it, 120
 * when the user's desktop cannot be opened, the code of the failed read or
 * write of its access list, 0 when a later step failed (the desktop, the
 * thread's move, the overlay window, the switch). When no worker can be
 * started: the function's result on the calling thread with fallBack, else
 * the system's error code. */
typedef DWORD(WINAPI* ELK_SECURE_DESKTOP_FUNCTION)(DWORD argument);
ELKAPI DWORD WINAPI CallOnSecureDesktop(ELK_SECURE_DESKTOP_FUNCTION function, DWORD argument, BOOL fallBack);

/* ---- Boot-time scan ----------------------------------------------------- */
/* Each call loads the engine loader (ozrEngLdr.dll) from the program folder,
 * opens a handle of its own, loads the engine's boot-time scan module (33)
 * through it, makes one request and closes the handle again; nothing is kept
 * between calls. basScheduleBts passes the caller's options on unchanged.
 * Both return 0, or: 8 when the loader gives no handle; the loader's code
 * when the module does not load or the request fails; the system's code
 * (GetLastError of the load, 126 for a missing file) when ozrEngLdr.dll
 * cannot be loaded at all, 127 when it lacks one of the entries. */
ELKAPI DWORD WINAPI basScheduleBts(DWORD options);
ELKAPI DWORD WINAPI basUnscheduleBts(void);
/* TRUE when a boot-time scan is scheduled; every failure, the loader's
 * absence included, reads as FALSE. */
ELKAPI BOOLEAN WINAPI basIsScheduledBts(void);

/* ---- Event log ---------------------------------------------------------- */
/* The suite's modules offer their events here; this library logs none of
 * them. basIsEventToLog is always FALSE, the others always answer 50
 * (ERROR_NOT_SUPPORTED); no argument is examined and either text may be
 * NULL. basLogEvent2 is basLogEvent under a second name. */
ELKAPI BOOLEAN WINAPI basIsEventToLog(DWORD a, DWORD b, DWORD c);
ELKAPI DWORD WINAPI basLogEvent(DWORD a, const wchar_t* b, const wchar_t* c, DWORD d, DWORD e, DWORD f);
ELKAPI DWORD WINAPI basLogEvent2(DWORD a, const wchar_t* b, const wchar_t* c, DWORD d, DWORD e, DWORD f);
/* b and c in the system's ANSI code page. */
ELKAPI DWORD WINAPI basLogEventA(DWORD a, const char* b, const char* c, DWORD d, DWORD e, DWORD f);
ELKAPI DWORD WINAPI basStoreLogEventDirect(DWORD a, DWORD b, DWORD c, DWORD d);
/* Keeps the category (initially 4) for the process. */
ELKAPI void WINAPI basSetLogCategory(WORD category);

/* ---- Sounds ------------------------------------------------------------- */
/* Plays the sound of `event` in the background (a later sound cuts off an
 * earlier one): 100 virus, 101 suspicious, 102 potentially unwanted program
 * (threat_detected.wav), 110-112 scan completed, 120 database updated, 130
 * firewall question, 140 welcome; other events have none. The file lies in
 * the data folder's "Sounds", a spoken version in its sub-folder named by the
 * language id ("Sounds\1031\welcome.wav") is preferred. INI "Common" switches,
 * read at each call, default 1: "SoundsEnabled" (0: nothing plays, winmm.dll
 * is not loaded), "SoundsVirus", "SoundsSuspic", "SoundsPUP", "SoundsScan",
 * "SoundsUpdate", "SoundsFirewall" (140 has none), "SoundsVoiceover". Plays
 * only between a full start-up (without ELK_INIT_LIGHT) and the last
 * shut-down, which stops what still plays. Always 0. */
ELKAPI DWORD WINAPI basPlaySound(DWORD event);


/* ---- Code pages and fonts ---- */
/* All follow the language chosen at start-up (basGetLanguage). */
/* Font character set of the language's ANSI code page; a US English (1033)
 * interface takes the user's own locale instead. DEFAULT_CHARSET when the
 * locale has no ANSI code page (Unicode-only scripts) or it names no
 * character set. */
ELKAPI DWORD WINAPI basGetCharacterSet(void);
/* 1 when the family named by font->lfFaceName (at most 31 characters are
 * read; the other fields are ignored) exists in charset on the screen, 0 when
 * not (also for a NULL font, with last error 87), -1 when the screen's device
 * context cannot be obtained. */
ELKAPI int WINAPI basFontSupportsCharset(const LOGFONTW* font, BYTE charset);
/* TRUE for Arabic (1025), Hebrew (1037), Urdu (1056) and Farsi (1065). */
ELKAPI BOOL WINAPI basIsCurrCodePageRTL(void);
/* The OEM code page a console should use for the language; for a language
 * without one of its own the console's current output code page (0 when the
 * process has no console). */
ELKAPI UINT WINAPI basGetConsoleCP(void);
/* FALSE when the console's output code page is a multi-byte one; TRUE for a
 * single-byte one, and when there is no console or its code page cannot be
 * queried. */
ELKAPI BOOL WINAPI basDoesCurrCodePageSupportExtendedConsoleChars(void);

/* ---- Installed components and product info ---- */
/* Read at every call from the setup's files below the program folder:
 * "setup\setup.ini" and "Setup\Components.ini". A file that is missing, or
 * whose path does not fit 260 characters, counts as empty. */
/* Installed edition, 0, 1 or 2: from "Common"/"Edition" (1, 2, 3 give 0, 1,
 * 2); any other value, or none, leaves it to basProductInfoFilesOnly. */
ELKAPI DWORD WINAPI basProductInfo(void);
/* Edition judged from the component groups "Groups"/"Group1", "Group2", ...
 * (read until the first missing one): 2 when one of them is "zis_fw" or
 * "zis_spm_sh", else 1 when one is "zis_scr_sh" or "zis_pro" (case ignored),
 * else 0. */
ELKAPI DWORD WINAPI basProductInfoFilesOnly(void);
/* The number "Installed" of section `name` of Components.ini (non-zero: the
 * component is installed); 0 when it is absent, and for a NULL name (last
 * error 87). */
ELKAPI UINT WINAPI basIsComponentInstalled(const wchar_t* name);

/* ---- Time and number text ---- */
/* Points in time are seconds since 1970-01-01 UTC; 0 means no time. */
#define ELK_E_TIME_TEXT 0x7FFF0008u /* a time text fits neither the short-date nor the time pattern */
/* The time as users see it, in the library's language and runtime locale:
 * "Today, " or "Yesterday, " and the time of day, the weekday and time for
 * times within a week either side of now, month and day (weekday) within
 * this year, else the long date and time; `full` non-zero always gives the
 * long form. Time 0 gives the language module's text for no time. Cut to
 * size, terminated whenever size > 0. */
ELKAPI void WINAPI basTime2String(wchar_t* out, DWORD size, __time64_t time, DWORD full);
/* Reads a local date and time typed in the short-date and time patterns of
 * the library's language ("12/25/2009 3:04:05 PM", "25.12.2009 15:04:05";
 * fields the text does not reach are 0, two-digit years follow the locale's
 * century window). 0 with *time set (-1 when the date has no point in time,
 * such as an empty text or a year before 1970), ELK_E_TIME_TEXT with *time
 * unchanged, or 87 for a NULL time. */
ELKAPI DWORD WINAPI basString2Time(const wchar_t* text, __time64_t* time);
/* A byte count as "%1.1f %s" with the unit (B, KB, MB, GB, TB from the
 * language module) that keeps the number at most 1024; the decimal mark is
 * the runtime locale's. Returns the length, or -1 when it was cut to fit
 * size (terminated whenever size > 0). */
ELKAPI int WINAPI basFormatNumber(__int64 value, wchar_t* out, DWORD size);

/* ---- Display names and labels ---- */
/* Flags of basVPS2Label. */
#define ELK_LABEL_TWO_DIGIT_YEAR 0x02u
#define ELK_LABEL_DATE_ONLY      0x04u
#define ELK_LABEL_VERSION_ONLY   0x08u
#define ELK_LABEL_NO_YEAR        0x10u
/* Task status codes of basStatus2String; every other value is waiting. */
#define ELK_TASK_DONE       0x20000000u
#define ELK_TASK_CANCELED   0x30000000u
#define ELK_TASK_FAILED     0x50000000u
#define ELK_TASK_PROCESSING 0x70000000u
/* Label of the virus database "%06x-%x, date", the date in the user's date
 * order and separator; the language module's "unknown" text when both
 * version values are 0. Cut to size, terminated whenever size > 0. */
ELKAPI void WINAPI basVPS2Label(DWORD first, DWORD second, __time64_t time, wchar_t* out, DWORD size, DWORD flags);
/* The words before a detection's name from `module`'s texts 6224..6230 by the
 * flags, each followed by a blank; a word that does not fit whole is left
 * out. FALSE when `module` lacks a word the flags ask for. */
ELKAPI BOOLEAN WINAPI basCreateVirusDescription(HMODULE module, wchar_t* out, DWORD size, BYTE flags, DWORD reserved);
/* "Done", "Canceled", "Processing", "Waiting" or "Failed(0x%08X)" with failure. */
ELKAPI void WINAPI basStatus2String(DWORD status, DWORD failure, wchar_t* out, DWORD size);
/* Replaces a built-in task name ("*...") in place by its localised text
 * ("*WHS..." by "WHS"); other names, and names whose text the language module
 * lacks, stay. */
ELKAPI void WINAPI basFriendlyTaskName(wchar_t* name, DWORD size);
/* Display form of a scanned object: "*MBR<n>", "*BOOT<drive>" and
 * "*PROCESS:<hex id>[\name\<hex>[\<hex>]]" by the language module's texts,
 * paths shortened by the suite's base library. Returns the length written. */
ELKAPI DWORD WINAPI basCreateFriendFileName(DWORD reserved, const wchar_t* name, wchar_t* out, DWORD size);
/* Shortens path in place ("C:\...\file.txt") until it fits maxWidth in dc's
 * current font; the result is never longer than the path. FALSE when the
 * path fits (or cannot be measured) and is left alone; TRUE otherwise, also
 * when it has no folder to drop and stays too wide. */
ELKAPI BOOLEAN WINAPI basDoFitFileName(HDC dc, wchar_t* path, int maxWidth);
/* Description of a file type ("txt" or ".txt") from HKEY_CLASSES_ROOT.
 * 0, or the registry's error (2 when the type or its class is not
 * registered, 234 when the description does not fit size, 1630 when a value
 * is not text). */
ELKAPI DWORD WINAPI basGetTypeDescription(const wchar_t* extension, wchar_t* out, DWORD size);

/* ---- Web addresses ---- */
/* Site root when the INI file sets no "URL"/"UrlRoot". */
#define ELK_DEFAULT_URL_ROOT L"https://www.orvel-software.example"
/* Address of the maker's page `name` ("HomePage", "Skins", "SubmissionPolicy",
 * "UpdateLink", "VirusReportURL", "VirusDetailsURL", "FAQLinkRpc",
 * "FAQLinkSkin", "FAQLinkStorage"; other names are paths below the root) in
 * the library's language. Root and paths may be set in the INI file's "URL"
 * section. The virus links keep "%s" place-holders for the caller. Cut to
 * size, terminated whenever size > 0. */
ELKAPI void WINAPI basCreateURL(const wchar_t* name, wchar_t* out, DWORD size);
ELKAPI void WINAPI basGetHomePage(wchar_t* out, DWORD size);

/* ---- File versions ---- */
/* A file version is the pair of its fixed version information: high =
 * major * 65536 + minor, low = build * 65536 + revision. */
/* 0, the system's error when the file has no version information (or cannot
 * be read), 8 when memory runs out, ELK_E_GENERAL when the information has no
 * fixed part; the outputs are left unchanged on failure. */
ELKAPI DWORD WINAPI basGetFileVersion(const wchar_t* path, DWORD* high, DWORD* low);
/* 1 when the file's version is above high.low, 0 when equal, -1 when below or
 * unreadable; the last error is basGetFileVersion's result (0 when read). */
ELKAPI int WINAPI basCheckFileVersion(const wchar_t* path, DWORD high, DWORD low);

/* ---- System and session queries ---- */
/* basIsOS, basGetComputerName, basGetDomainName and basGetNetDomain: see
 * "Lifecycle and global state". */
/* Fills the extended record (size field set to its 284 bytes), or the plain
 * one (276) when the system refuses it: 0, the system's error, or 87 for a
 * null record. */
ELKAPI DWORD WINAPI basGetOSVersion(OSVERSIONINFOEXW* info);
/* The account of the process (on 9x the registry's "Current User", else
 * ".Default"), looked up on the first call after each start-up; the call also
 * sets basGetNetDomain: the account's domain, empty for "NT AUTHORITY" (on 9x
 * the network client's "Workgroup", else ".Default"). Empty when the look-up
 * fails; the next call tries again. Safe from several threads at once. */
ELKAPI const wchar_t* WINAPI basGetNetUser(void);
/* Waits until the workstation knows its domain or workgroup (NetApi32's
 * NetWkstaGetInfo, level 100; up to 300 tries, 1 s apart, so up to five
 * minutes) and makes it basGetDomainName's (19 characters at most); an empty
 * answer at the last try is taken too, a failed one changes nothing. Returns
 * at once without NetApi32.
 * Test hook: the environment variable ELK_DOMAIN_DETECT = "TRIES,WAIT_MS"
 * asks at most TRIES (1-300) times, WAIT_MS (0-1000) apart; any other value
 * is ignored. */
ELKAPI void WINAPI basDomainDetect(void);
/* Available physical memory in bytes; *total (unless NULL) the physical
 * memory, *addressSpace (unless NULL) the span of application addresses
 * (0xFFFFFFFF when it exceeds 32 bits, as in 64-bit processes). */
ELKAPI ULONGLONG WINAPI basGetPhysMemoryStatus(ULONGLONG* total, DWORD* addressSpace);
/* TRUE when the screen has more than 8 bits per pixel. */
ELKAPI BOOL WINAPI basIsEnoughColors(void);
/* basGetFileVersion of the system folder's "shdocvw.dll", with the revision
 * (the low 16 bits of *low, unless low is NULL) set to 0 in every case. */
ELKAPI DWORD WINAPI basGetIeVersion(DWORD* high, DWORD* low);
/* TRUE when a window covers its whole monitor (a window with caption and
 * sizing border by its client area) and holds the foreground (it is the
 * foreground window, one of its parents, or a window of the same thread);
 * the desktop and the shell's "Progman" window never count. */
ELKAPI BOOL WINAPI basFullscreenAppRunning(void);

/* ---- System: other anti-virus products, access for everyone ---- */
/* TRUE when a known anti-virus product of another maker is present: a device
 * of its real-time driver opens, or one of its services has its driver file
 * (the service's "ImagePath", or system folder\drivers\<service>.sys when it
 * has none; a path that does not fit 260 characters does not count). Then the
 * product's name is copied into `product` (38 characters) unless it is NULL.
 * FALSE when none is found, and always on NT 6 and later; `product` is then
 * left unchanged. */
ELKAPI BOOL WINAPI basIsOtherAVInstalled(wchar_t* product);
/* Gives Everyone full generic access to an existing file or folder: its
 * access list loses Everyone's old entries and gains one inherited by
 * subfolders, and for a folder one more inherited by its files only. On
 * NT 5.x the list is reordered: explicit entries, then inherited ones, each
 * group from last to first (Everyone's entries so come first). FALSE when
 * path is NULL, the object has no access list or a null one (open to all
 * already; the last error is left as it was), or a step fails (the last
 * error is the system's); nothing is written then. */
ELKAPI BOOL WINAPI basEnableWriteAccessToEveryone(const wchar_t* path);

/* ---- Maintenance: Windows Sockets catalog repair ---------------------- */
/* Repairs the 32-bit, then the 64-bit catalogs (protocols and name spaces)
 * named by "Current_Protocol_Catalog" and "Current_NameSpace_Catalog" below
 * HKLM\System\CurrentControlSet\Services\Winsock2\Parameters: entries
 * whose provider library is missing are removed, the others renamed to 1, 2,
 * 3... (twelve digits) in the order of their names and the count written when
 * entries went. An entry whose path cannot be read or tested is kept and
 * counted; a rename copies the whole key before the old one goes, and never
 * onto an existing entry. A catalog name that cannot be read is reported on
 * standard output. Mode 1 then runs "netsh winsock reset", waits for it and
 * returns 0 once it has run, or the error of its start; any other mode returns
 * the 64-bit pass's status: that of its last step (on a system without 64-bit
 * entries, the failed opening of the protocol catalog's "Catalog_Entries64").
 * Not for two threads of a process at once. */
ELKAPI DWORD WINAPI basFixNetworkStack(INT mode);

/* ---- Maintenance: home-server connector firewall rules ----------------- */
/* Lets the service program "TarvoSvc.exe" of the program folder accept TCP
 * connections on port 16107 from the local subnet and open connections to it:
 * on NT 6 and later two rules of the advanced firewall, "tarvo! WHS Connector
 * (TCP-In)" and "(TCP-Out)"; on XP and Server 2003 an authorized application
 * of the current profile. The INI file's section "WHS" keeps the progress:
 * "NetFwRulesCreated" 1 after a successful creation, 0 after a failed one;
 * "NetFwRulesVerified" 1 once a later attempt found them in place, after
 * which nothing is done. An attempt that does not find them in place starts
 * a retry thread: up to 9 more attempts, the first after a wait of 10 s, each
 * after the same wait; a process runs at most one such thread at a time.
 * TRUE at once on other systems; TRUE when the rules are in place or a retry
 * thread runs; FALSE when no thread could be started, and when the library
 * is not started. Test hook: the environment variable ELK_WHS_RETRY_WAIT_MS
 * (decimal milliseconds, 0 to 10000), read as each thread starts, replaces
 * the wait; any other value is ignored. */
ELKAPI BOOL WINAPI basCreateWhsConnectorFwRules(void);

/* ---- Maintenance: update mirror task ---------------------------------- */
/* Each call loads the settings interface "Mirror\SetIFace.dll" (the mirror
 * tool's) or "Setup\SetIFace.dll" (the updater's) below the program folder,
 * makes its calls holding the copy's named mutex ("Mirror.mtx", "Setiface";
 * waiting without limit while another holds it) and unloads it. Results: 0,
 * the system's code when the copy or its entry cannot be loaded, or the first
 * failing code of the settings interface (the settings after it are not
 * made); 87 for a NULL text that is needed, 122 for an address of more than
 * 519 characters. */
/* Flags of tskSetMirrorParamsForMirror; bits 4-7 are ignored. */
#define ELK_MIRROR_SET_SOURCES 0x01u /* "mirror,main" behind an upstream mirror, else "main" */
#define ELK_MIRROR_SET_ADDRESS 0x02u /* with SET_PORT, behind an upstream mirror: "http://HOST:PORT" */
#define ELK_MIRROR_SET_PORT    0x04u /* the port */
#define ELK_MIRROR_SET_VALUE   0x08u /* value, passed on unchanged */
/* The mirror tool's settings that flags choose, in the order above. With no
 * setting to make: 0, or 183 when the mutex existed already. */
ELKAPI DWORD WINAPI tskSetMirrorParamsForMirror(DWORD upstream, const wchar_t* host, DWORD port, DWORD value,
                                                BYTE flags);
/* The updater's sources ("mirror,main" when it may fall back to the main
 * servers, else "mirror"), then its mirror address: as it stands when it
 * starts with "http://" (any case), "http://" and the address when it holds a
 * '/', else "http://ADDRESS:PORT". */
ELKAPI DWORD WINAPI tskSetMirrorParamsForUpdater(DWORD fallback, const wchar_t* address, DWORD port);
/* One run of the mirror tool, its log written to logPath unless that is NULL
 * or "" (87 for a path with a '"'); the tool's status goes to *status when
 * status is not NULL. The result is the tool's. */
ELKAPI DWORD WINAPI tskLaunchMirror(DWORD* status, const wchar_t* logPath);

/* ---- Files, folders and processes ---- */
/* The file that serves a COM class (text "{...}" or without the braces):
 * the unnamed text value of its "InprocServer32", "LocalServer" or
 * "LocalServer32" key below HKEY_CLASSES_ROOT\CLSID; a text with a short (~)
 * name loses the switches from its first "/" and is written out long. TRUE with the path in out; FALSE with out empty (when size > 0)
 * when the class or a server is not registered, and when the path does not
 * fit size characters with its terminator: a path is never cut. */
ELKAPI BOOL WINAPI basGetOleServerFileNameFromClassId(const wchar_t* classId, wchar_t* out, DWORD size);
/* The version of the class's server file (up to 259 characters), as
 * basGetFileVersion gives it; both outputs are zeroed first, 2 when no
 * server file is found (also in the last error). */
ELKAPI DWORD WINAPI basGetOleServerVersion(const wchar_t* classId, DWORD* high, DWORD* low);
/* As basCheckFileVersion for the class's server file: -1 with last error 2
 * when none is found. */
ELKAPI int WINAPI basCheckOleServerVersion(const wchar_t* classId, DWORD high, DWORD low);
/* Calls the COM library's DllRegisterServer or DllUnregisterServer with OLE
 * started: its HRESULT, or the error of a missing file (2), a library that
 * does not load, or a missing entry point (127); 0x80004005 when OLE cannot
 * start on the thread; 87 for a NULL path. */
ELKAPI DWORD WINAPI basRegisterComDll(const wchar_t* path);
ELKAPI DWORD WINAPI basUnregisterComDll(const wchar_t* path);
/* Creates an empty file "ozr<hex>.tmp" in the system's temporary folder and
 * writes its path into out (MAX_PATH characters); the second argument is
 * unused. The file's unique number, or 0 with the last error (out empty). */
ELKAPI UINT WINAPI basGetTempFile(wchar_t* out, DWORD reserved);
/* The same, then opened for reading and writing (shared for reading); the
 * caller closes the handle. INVALID_HANDLE_VALUE on failure, and no file. */
ELKAPI HANDLE WINAPI basCreateTempFile(wchar_t* out, DWORD reserved);
/* Removes the unpacking leftovers from the temporary folder: files and
 * folders named "unp", digits, and nothing or ".tmp" (case ignored) whose
 * creation and last-write times are both more than `hours` hours ago; folders
 * with their content when `recursive`, else only when empty. 1 when done
 * (also when there is nothing), -1 when an entry could not be removed (the
 * others still are), 0 when the temporary folder is unknown. */
ELKAPI int WINAPI basEmptyTarvoTempFolder(DWORD hours, BOOLEAN recursive);
/* The folder for moved files: the suite's machine-wide registry value
 * "MovedFolder", else "moved" in the data folder. Free the text with
 * basFreeMoveFolder; NULL (last error 8) when out of memory. */
ELKAPI wchar_t* WINAPI basGetMoveFolder(void);
ELKAPI void WINAPI basFreeMoveFolder(wchar_t* folder);
/* Flags of basExpandUserAreas. */
#define ELK_AREAS_RELEASE      0x01u /* free *result (from an earlier call) and set it NULL */
#define ELK_AREAS_ONLY_CHANGED 0x02u /* no text when no entry was rewritten */
/* The list of paths with each path on a mapped network drive written with
 * the drive's network name ("Z:\x" to "\\server\share\x"). Entries are
 * a path between double quotes with an optional ";" after the closing one,
 * or, unquoted, the rest of the list; all else is copied unchanged. *result gets a new text
 * (free it with a second call in release mode), or stays NULL. 0, 8 when out
 * of memory, 160 for a NULL list or result. */
ELKAPI DWORD WINAPI basExpandUserAreas(const wchar_t* list, wchar_t** result, DWORD flags);
/* Starts a command line (at most 257 characters, else 87): its program part,
 * up to the first ".exe" or ".scr" that ends a word, is quoted unless the
 * command starts with a quote, and without such an extension the whole
 * command is. With `wait` it returns when the program has ended. 0 (the
 * program's exit code is not reported) or the error of the start. */
ELKAPI DWORD WINAPI basExecuteAndWait(const wchar_t* command, BOOLEAN wait);
/* The shell's auto-completion (SHACF_* flags) for an edit control: 0,
 * ELK_E_GENERAL when the shell refuses, or the error of loading shlwapi.dll
 * or finding its entry. The shell library stays bound until the last
 * shut-down. */
ELKAPI DWORD WINAPI basAutoComplete(HWND window, DWORD flags);

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
