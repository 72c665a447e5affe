// The portable status codes are the system's and the public header's: a
// number that drifts on either side stops the build here.
#include <winsock2.h>
#include <windows.h>

#include "base/core/status.h"
#include "include/elkBase.h"

namespace elk {

static_assert(kStatusSuccess == ERROR_SUCCESS);
static_assert(kStatusFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kStatusAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kStatusInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kStatusNoMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(kStatusInvalidData == ERROR_INVALID_DATA);
static_assert(kStatusNotReady == ERROR_NOT_READY);
static_assert(kStatusWriteFault == ERROR_WRITE_FAULT);
static_assert(kStatusGeneralFailure == ERROR_GEN_FAILURE);
static_assert(kStatusSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(kStatusNotSupported == ERROR_NOT_SUPPORTED);
static_assert(kStatusFileExists == ERROR_FILE_EXISTS);
static_assert(kStatusInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(kStatusNotImplemented == ERROR_CALL_NOT_IMPLEMENTED);
static_assert(kStatusInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kStatusModuleNotFound == ERROR_MOD_NOT_FOUND);
static_assert(kStatusBadArguments == ERROR_BAD_ARGUMENTS);
static_assert(kStatusBadPathName == ERROR_BAD_PATHNAME);
static_assert(kStatusAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(kStatusNameTooLong == ERROR_FILENAME_EXCED_RANGE);
static_assert(kStatusMoreData == ERROR_MORE_DATA);
static_assert(kStatusNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(kStatusNoMessage == ERROR_MR_MID_NOT_FOUND);
static_assert(kStatusAborted == ERROR_OPERATION_ABORTED);
static_assert(kStatusDisconnected == ERROR_GRACEFUL_DISCONNECT);
static_assert(kStatusTimeout == ERROR_TIMEOUT);
static_assert(kStatusUnsupportedType == ERROR_UNSUPPORTED_TYPE);

static_assert(kStatusNoBufferSpace == WSAENOBUFS);
static_assert(kStatusFieldTooLong == WSAENAMETOOLONG);
static_assert(kStatusNetNotStarted == WSANOTINITIALISED);
static_assert(kStatusHostNotFound == WSAHOST_NOT_FOUND);
static_assert(kStatusNoAddress == WSANO_DATA);

static_assert(kStatusFolderMissing == ELK_E_FOLDER_MISSING);
static_assert(kStatusIniValueEmpty == ELK_E_INI_VALUE_EMPTY);
static_assert(kStatusTimeText == ELK_E_TIME_TEXT);
static_assert(kStatusNotifyFull == ELK_E_NOTIFY_FULL);
static_assert(kStatusGeneral == ELK_E_GENERAL);
static_assert(kStatusSmtp == ELK_E_SMTP);
static_assert(kStatusNoBufferSpace == ELK_E_TCP_TABLE_FULL);
static_assert(kStatusFieldTooLong == ELK_E_SMTP_TOO_LONG);
static_assert(kStatusDisconnected == ELK_E_SMTP_CLOSED);
static_assert(kStatusTimeout == ELK_E_SMTP_TIMEOUT);

static_assert(static_cast<int>(ErrorType::Object) == ELK_ERROR_TYPE_OBJECT);
static_assert(static_cast<int>(ErrorType::General) == ELK_ERROR_TYPE_GENERAL);
static_assert(static_cast<int>(ErrorType::Connection) == ELK_ERROR_TYPE_CONNECTION);
static_assert(static_cast<int>(ErrorType::None) == ELK_ERROR_TYPE_NONE);
static_assert(static_cast<int>(ErrorType::Restart) == ELK_ERROR_TYPE_RESTART);

}  // namespace elk
