// Spool records as a person reads them (elkctl's spool commands), and the
// names under which their content may be written out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "submit/core/spool_reader.h"

namespace elk::submit {

// Lower-case hex digits of the bytes, with `separator` between them unless 0.
std::string hexText(const unsigned char* bytes, std::size_t n, char separator = 0);
// A tag as printable text: printable ASCII as it is (a final blank too),
// a backslash and every other byte as \xHH.
std::string tagText(std::string_view tag);
// "2009-02-13 23:31:30 UTC".
std::string utcText(std::int64_t unixSeconds);
// A FILETIME (100-nanosecond intervals since 1601), to the second.
std::string fileTimeText(std::uint64_t fileTime);
// "0x00000401 (in the Windows folder, compress files)".
std::string flagsText(std::uint32_t flags);
// "1 (manual)".
std::string kindText(std::uint32_t kind);
std::u16string widen(std::string_view ascii);

// The text of a record's value, for one line: texts quoted, with control
// characters as \xHH; numbers, times, flags and hashes spelt out. Content
// (DATA, and a property that is not a UTF-16 text) is the caller's to show:
// `content` is set and the value left empty. false with the reader's fault
// when a fixed record does not have its form.
bool recordValue(SpoolReader& reader, const SpoolRecord& record, std::u16string& value, bool& content);

// The columns of a listing after the file's name: kind, flags, size (SIZE, or
// else the content's length), date and the sample's name; "-" for what the
// file lacks.
std::u16string summaryColumns(const SpoolSummary& summary);

// The last component of a name (after '\' or '/'), made safe as a file name
// in a folder of the caller's choice: characters that Windows refuses or that
// would lead elsewhere become '_', trailing dots and blanks go, and a device
// name (CON, NUL, COM1, ...) gets a '_' in front. Empty when nothing is left.
std::u16string safeFileName(std::u16string_view name);

// Whether decoded content begins like a gzip stream (RFC 1952, deflate).
bool isGzip(const unsigned char* bytes, std::size_t n);
// The original file name a gzip stream carries in its header (FNAME), when
// the header lies whole within the n bytes and has one.
std::optional<std::string> gzipFileName(const unsigned char* bytes, std::size_t n);

}  // namespace elk::submit
