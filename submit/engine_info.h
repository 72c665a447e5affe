// The virus-definition version the engine loader reports, for the spool's
// "VPS " record.
#pragma once
#include <windows.h>

namespace elk::submit {

// avldrGetEngineInformation(0, zero-filled 40-byte record, 1) of the engine
// loader in the program folder: the record's first 32-bit field, 0 when the
// loader or its entry is missing or the call fails.
DWORD definitionsVersion();

}  // namespace elk::submit
