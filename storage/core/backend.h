// Which storage back-end a configured kind names, and what the INI setting
// becomes after a load.
#pragma once
#include <string_view>

namespace elk::storage {

enum class Backend { Xml, Odbc, Sqlite };

// The kind is "Common"/"Database": "XML", "ODBC", anything else the SQLite
// store; compared without regard to case.
Backend backendOf(std::u16string_view kind);
// File name of the back-end's library in the program folder.
const char16_t* backendFile(Backend backend);

inline constexpr char16_t kDefaultKind[] = u"SQLT";

// Whether a failed load of the configured kind is followed by a load of the
// SQLite store: for every kind but "SQLT" itself.
bool fallsBackToSqlite(std::u16string_view kind);

// The value to write to "Common"/"Database" after a load, or null to leave
// the setting alone: the SQLite store is written down only when it stood in
// for a configured back-end that failed.
const char16_t* iniValueAfterLoad(std::u16string_view kind, bool firstLoaded, bool fallbackLoaded);

}  // namespace elk::storage
