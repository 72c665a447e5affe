// The two reversible coders of stored settings texts and data.
#include <windows.h>

#include "base/suite/ozrCmnIS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "storage/core/password_file.h"

extern "C" {

void WINAPI basCodeStringPassword(wchar_t* text) { elk::storage::codeStringPassword(elk::u16(text)); }

DWORD WINAPI basSimpleCipher(BYTE* data, DWORD length, DWORD mode) { return cyphSimpleCode(data, length, 0, mode); }

}
