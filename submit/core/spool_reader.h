// Reading a spool file without trusting it: the signature, then one record
// after another, each length checked against what is left of the file before
// anything is read. The bytes come from a SpoolSource, so a file is read piece
// by piece and never held whole; content is decoded one coding block at a time
// through the decoder the caller passes (the suite's simple coding).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "submit/core/spool_format.h"

namespace elk::submit {

// Where the bytes of a spool file come from: an open file, or memory.
class SpoolSource {
public:
    virtual ~SpoolSource() = default;
    virtual std::uint64_t size() = 0;
    // Exactly n bytes from offset into buffer; the reader never asks past
    // size(). false when they cannot be had.
    virtual bool read(std::uint64_t offset, unsigned char* buffer, std::size_t n) = 0;
};

class MemorySource final : public SpoolSource {
public:
    MemorySource(const void* data, std::size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    explicit MemorySource(std::string_view bytes) : MemorySource(bytes.data(), bytes.size()) {}
    std::uint64_t size() override { return size_; }
    bool read(std::uint64_t offset, unsigned char* buffer, std::size_t n) override;

private:
    const unsigned char* data_;
    std::size_t size_;
};

// Codes (or decodes: the coding is its own inverse) one block in place, at
// most kCodingBlock bytes. 0, or a status code that ends the work.
using BlockCoder = std::function<std::uint32_t(unsigned char* block, std::size_t length)>;

// Takes one decoded block of content; false stops the reading.
using ContentSink = std::function<bool(const unsigned char* block, std::size_t length)>;

struct SpoolRecord {
    std::string tag;          // the four bytes as they stand
    std::uint64_t offset = 0; // of the record's header in the file
    std::uint32_t length = 0; // of its data, which follows the header
    std::uint64_t dataOffset() const { return offset + kSpoolRecordHeader; }
    std::uint64_t end() const { return dataOffset() + length; }
};

// What is wrong with a file, and where: offset is that of the header, data
// or byte at fault, and the message names it ("offset 1234: ...").
struct SpoolFault {
    std::uint64_t offset = 0;
    std::string message;
};

// What the data of a record holds, by its tag. Tags the submission does not
// fix are the caller's properties: UTF-16 text, raw bytes or a coded file.
enum class SpoolForm {
    WideText,  // NAME, TYPE: UTF-16LE with its NUL and none before it
    Number,    // SIZE, VPS , PROG, O/S , DATE, FLAG, STYP: 4 bytes little-endian
    Text,      // HTYP, GUID, UNID: 8-bit text without NUL
    Hash,      // HASH: 32 bytes
    FileTime,  // STMP, STCH, STCT, STLA: 8-byte FILETIME, little-endian
    Content,   // DATA: coded content
    Property,
};
SpoolForm formOf(std::string_view tag);

// The longest record that a view reads into memory; content goes through
// content() whatever its length.
inline constexpr std::uint32_t kMaxValueRecord = 1u << 20;

class SpoolReader {
public:
    explicit SpoolReader(SpoolSource& source);

    // Checks the signature. false with fault() set when the file does not
    // begin with it.
    bool start();
    // The record after the previous one (the first after start()): true with
    // `record` set, its data within the file; false at the end of the file,
    // with failed() telling a fault from the clean end. After a fault every
    // further call gives false.
    bool next(SpoolRecord& record);
    // Whether start() or next() found a fault.
    bool failed() const { return broken_; }
    // The last fault found by any call, the views' included (which do not stop
    // the walk).
    const SpoolFault& fault() const { return fault_; }
    std::uint64_t size() const { return size_; }

    // Views of a record's data. Each gives false with fault() set when the
    // data does not have the form or cannot be read.
    bool wideText(const SpoolRecord& record, std::u16string& text);
    bool number(const SpoolRecord& record, std::uint32_t& value);
    bool text(const SpoolRecord& record, std::string& text);
    bool hash(const SpoolRecord& record, std::array<unsigned char, 32>& digest);
    bool fileTime(const SpoolRecord& record, std::uint64_t& value);
    // The data as it stands, up to kMaxValueRecord bytes.
    bool bytes(const SpoolRecord& record, std::string& data);
    // Whether the data is a UTF-16 text as a value property stores it (what
    // wideText() accepts); sets no fault.
    bool isWideText(const SpoolRecord& record);
    // The data decoded, block by block in the division of the coding, handed
    // to `sink` one block at a time. false with fault() set when a block
    // cannot be read or decoded, or when the sink stops.
    bool content(const SpoolRecord& record, const BlockCoder& decoder, const ContentSink& sink);

private:
    bool fail(std::uint64_t offset, std::string message);
    bool load(const SpoolRecord& record, std::string& data, const char* what);
    bool fixedLength(const SpoolRecord& record, std::uint32_t length, const char* what);

    SpoolSource& source_;
    std::uint64_t size_;
    std::uint64_t at_ = 0;
    bool started_ = false, broken_ = false;
    SpoolFault fault_;
    std::vector<unsigned char> block_;
};

// What a listing of the spool shows of one file. Records left out of the
// file stay empty; a repeated record counts with its last value.
struct SpoolSummary {
    std::optional<std::u16string> name;
    std::optional<std::uint32_t> kind, flags, size, date, dataLength;
};

// Walks a whole file with a fresh reader. false with the reader's fault when
// the file is broken or one of the summarised records has the wrong form.
bool summarize(SpoolReader& reader, SpoolSummary& summary);

}  // namespace elk::submit
