// The layout of a spool file: what the submission writes and what a reader
// of the spool takes apart.
//
//   offset 0   the signature A1 A5 70 00
//   then records, one after another, up to the end of the file:
//     4 bytes   tag: four 8-bit characters, no terminator ("VPS " ends in a blank)
//     4 bytes   length of the data, unsigned 32-bit little-endian
//     length    data
//
// "DATA" and the file properties hold content coded in blocks of
// kCodingBlock bytes, each block coded on its own (the last one shorter).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace elk::submit {

inline constexpr unsigned char kSpoolSignature[4] = {0xA1, 0xA5, 0x70, 0x00};
inline constexpr std::size_t kSpoolTagBytes = 4;
inline constexpr std::size_t kSpoolRecordHeader = 8;
inline constexpr std::size_t kCodingBlock = 65536;
// A sample above this size is not submitted (unless only its properties are).
inline constexpr std::uint64_t kMaxSampleSize = 32000000;
// Statistics are not submitted while the spool holds more files than this.
inline constexpr unsigned kMaxStatisticsFiles = 200;

// The extension of a finished spool file, and the one it is written under
// until it is complete, so that the spool's reader never picks up half a file.
inline constexpr std::wstring_view kSpoolExtension = L".suspic";
inline constexpr std::wstring_view kPartialExtension = L".partial";

// The fixed tags, in the order the submission writes them.
namespace tag {
inline constexpr std::string_view kName = "NAME";
inline constexpr std::string_view kSize = "SIZE";
inline constexpr std::string_view kHashType = "HTYP";
inline constexpr std::string_view kHash = "HASH";
inline constexpr std::string_view kType = "TYPE";
inline constexpr std::string_view kInstallation = "GUID";
inline constexpr std::string_view kDefinitions = "VPS ";
inline constexpr std::string_view kProgram = "PROG";
inline constexpr std::string_view kSystem = "O/S ";
inline constexpr std::string_view kSubmission = "UNID";
inline constexpr std::string_view kModified = "STMP";
inline constexpr std::string_view kChanged = "STCH";
inline constexpr std::string_view kCreated = "STCT";
inline constexpr std::string_view kAccessed = "STLA";
inline constexpr std::string_view kDate = "DATE";
inline constexpr std::string_view kFlags = "FLAG";
inline constexpr std::string_view kKind = "STYP";
inline constexpr std::string_view kData = "DATA";
}  // namespace tag

inline constexpr std::string_view kHashTypeText = "SHA256";

// Flags of a submission.
inline constexpr std::uint32_t kInWindowsFolder = 0x001;
inline constexpr std::uint32_t kInProgramFiles = 0x002;
inline constexpr std::uint32_t kInProfile = 0x004;
inline constexpr std::uint32_t kPropertiesOnly = 0x100;  // never stored
inline constexpr std::uint32_t kRawAccess = 0x200;
inline constexpr std::uint32_t kCompressFiles = 0x400;

// The 8 bytes that open a record.
inline void putRecordHeader(std::string_view recordTag, std::uint32_t length, unsigned char out[kSpoolRecordHeader]) {
    for (std::size_t i = 0; i < kSpoolTagBytes; ++i)
        out[i] = i < recordTag.size() ? static_cast<unsigned char>(recordTag[i]) : 0;
    for (std::size_t i = 0; i < 4; ++i) out[4 + i] = static_cast<unsigned char>(length >> (8 * i));
}

inline std::uint32_t readLittle32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

}  // namespace elk::submit
