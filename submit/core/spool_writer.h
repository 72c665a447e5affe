// Writing spool records: what the reader takes apart, put back together
// byte for byte. Content is coded in blocks of kCodingBlock whatever the
// pieces it is handed in, so that a reader undoes it with the same division.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "submit/core/spool_reader.h"

namespace elk::submit {

// Where the bytes go: a file, or memory.
class SpoolSink {
public:
    virtual ~SpoolSink() = default;
    // All n bytes, or false.
    virtual bool write(const unsigned char* data, std::size_t n) = 0;
};

class StringSink final : public SpoolSink {
public:
    bool write(const unsigned char* data, std::size_t n) override {
        bytes.append(reinterpret_cast<const char*>(data), n);
        return true;
    }
    std::string bytes;
};

// Every call gives false when the sink fails or the call breaks the layout
// (a tag that is not four bytes, data whose length does not fit 32 bits,
// content of another length than announced); the file is then unusable.
class SpoolWriter {
public:
    SpoolWriter(SpoolSink& sink, BlockCoder coder);

    bool signature();
    bool record(std::string_view tag, const void* data, std::size_t length);
    bool wideText(std::string_view tag, std::u16string_view text);  // UTF-16LE with a NUL
    bool number(std::string_view tag, std::uint32_t value);
    bool text(std::string_view tag, std::string_view text);  // 8-bit, no NUL added
    bool hash(std::string_view tag, const std::array<unsigned char, 32>& digest);
    bool fileTime(std::string_view tag, std::uint64_t value);

    // A content record of `length` bytes: its header, then the bytes through
    // put() in pieces of any size, then endContent().
    bool beginContent(std::string_view tag, std::uint32_t length);
    bool put(const unsigned char* data, std::size_t n);
    bool endContent();
    // Whether the writer is between beginContent() and endContent().
    bool inContent() const { return inContent_; }

private:
    bool header(std::string_view tag, std::size_t length);
    bool flushBlock();

    SpoolSink& sink_;
    BlockCoder coder_;
    std::vector<unsigned char> block_;
    std::uint64_t contentLeft_ = 0;
    bool inContent_ = false;
};

// Writes a record of the reader's file again from what its view gives:
// numbers, texts, times and hashes from their values, content decoded with
// `decoder` and coded again by the writer; a property as text when it is one,
// else as content. false when the view finds the record broken (the reader's
// fault says why) or the writer fails.
bool rewriteRecord(SpoolReader& reader, const SpoolRecord& record, const BlockCoder& decoder, SpoolWriter& writer);

}  // namespace elk::submit
