// Status codes the library returns, for the portable code. Most are Windows
// (or Windows Sockets) codes that callers already know, under the system's
// numbers; the Windows layer checks every one against the system headers and
// the public ELK_E_* names, so the two can never drift apart.
#pragma once
#include <cstdint>

namespace elk {

inline constexpr uint32_t kStatusSuccess = 0;

// ---- Windows codes ---------------------------------------------------------
inline constexpr uint32_t kStatusFileNotFound = 2;          // ERROR_FILE_NOT_FOUND
inline constexpr uint32_t kStatusAccessDenied = 5;          // ERROR_ACCESS_DENIED
inline constexpr uint32_t kStatusInvalidHandle = 6;         // ERROR_INVALID_HANDLE
inline constexpr uint32_t kStatusNoMemory = 8;              // ERROR_NOT_ENOUGH_MEMORY
inline constexpr uint32_t kStatusInvalidData = 13;          // ERROR_INVALID_DATA
inline constexpr uint32_t kStatusNotReady = 21;             // ERROR_NOT_READY
inline constexpr uint32_t kStatusWriteFault = 29;           // ERROR_WRITE_FAULT
inline constexpr uint32_t kStatusGeneralFailure = 31;       // ERROR_GEN_FAILURE
inline constexpr uint32_t kStatusSharingViolation = 32;     // ERROR_SHARING_VIOLATION
inline constexpr uint32_t kStatusNotSupported = 50;         // ERROR_NOT_SUPPORTED
inline constexpr uint32_t kStatusFileExists = 80;           // ERROR_FILE_EXISTS
inline constexpr uint32_t kStatusInvalidParameter = 87;     // ERROR_INVALID_PARAMETER
inline constexpr uint32_t kStatusNotImplemented = 120;      // ERROR_CALL_NOT_IMPLEMENTED
inline constexpr uint32_t kStatusInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
inline constexpr uint32_t kStatusModuleNotFound = 126;      // ERROR_MOD_NOT_FOUND
inline constexpr uint32_t kStatusBadArguments = 160;        // ERROR_BAD_ARGUMENTS
inline constexpr uint32_t kStatusBadPathName = 161;         // ERROR_BAD_PATHNAME
inline constexpr uint32_t kStatusAlreadyExists = 183;       // ERROR_ALREADY_EXISTS
inline constexpr uint32_t kStatusNameTooLong = 206;         // ERROR_FILENAME_EXCED_RANGE
inline constexpr uint32_t kStatusMoreData = 234;            // ERROR_MORE_DATA
inline constexpr uint32_t kStatusNoMoreItems = 259;         // ERROR_NO_MORE_ITEMS
inline constexpr uint32_t kStatusNoMessage = 317;           // ERROR_MR_MID_NOT_FOUND
inline constexpr uint32_t kStatusAborted = 995;             // ERROR_OPERATION_ABORTED
inline constexpr uint32_t kStatusDisconnected = 1226;       // ERROR_GRACEFUL_DISCONNECT
inline constexpr uint32_t kStatusTimeout = 1460;            // ERROR_TIMEOUT
inline constexpr uint32_t kStatusUnsupportedType = 1630;    // ERROR_UNSUPPORTED_TYPE

// ---- Windows Sockets codes -------------------------------------------------
inline constexpr uint32_t kStatusNoBufferSpace = 10055;     // WSAENOBUFS: no free watchdog slot
inline constexpr uint32_t kStatusFieldTooLong = 10063;      // WSAENAMETOOLONG: an SMTP field does not fit its line
inline constexpr uint32_t kStatusNetNotStarted = 10093;     // WSANOTINITIALISED
inline constexpr uint32_t kStatusHostNotFound = 11001;      // WSAHOST_NOT_FOUND
inline constexpr uint32_t kStatusNoAddress = 11004;         // WSANO_DATA

// ---- The suite's own families ----------------------------------------------
inline constexpr uint32_t kStatusFolderMissing = 0x7FFF0003;     // a required folder is missing or a file
inline constexpr uint32_t kStatusSchedulerEvent = 0x7FFF0005;    // the scheduler has no wake-up event
inline constexpr uint32_t kStatusSchedulerStopping = 0x7FFF0006; // the scheduler takes no new entries
inline constexpr uint32_t kStatusTimeText = 0x7FFF0008;          // a time text fits no pattern
inline constexpr uint32_t kStatusNotifyFull = 0x7FFF000A;        // no room for another notification event
inline constexpr uint32_t kStatusIniValueEmpty = 0x7FFF1001;     // a required INI value is empty
inline constexpr uint32_t kStatusSchedulerThread = 0x7FFF1002;   // the scheduler thread did not start
inline constexpr uint32_t kStatusGeneral = 42000;                // general failure; unexpected SMTP reply
inline constexpr uint32_t kStatusSmtp = 42003;                   // no recipient was accepted

// What the suite's callers make of a status code (basGetErrorType).
enum class ErrorType : uint32_t {
    Object = 0,      // this object could not be had (missing, denied, in use, damaged): go on with the next
    General = 1,     // any other failure
    Connection = 2,  // the server or the mail did not get through
    None = 3,        // success or a cancel: nothing to report
    Restart = 4,     // a restart finishes the operation
};

}  // namespace elk
