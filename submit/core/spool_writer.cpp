#include "submit/core/spool_writer.h"

#include <algorithm>
#include <cstdint>

namespace elk::submit {

SpoolWriter::SpoolWriter(SpoolSink& sink, BlockCoder coder) : sink_(sink), coder_(std::move(coder)) {}

bool SpoolWriter::signature() { return !inContent_ && sink_.write(kSpoolSignature, sizeof kSpoolSignature); }

bool SpoolWriter::header(std::string_view recordTag, std::size_t length) {
    if (inContent_ || recordTag.size() != kSpoolTagBytes || length > UINT32_MAX) return false;
    unsigned char bytes[kSpoolRecordHeader];
    putRecordHeader(recordTag, static_cast<std::uint32_t>(length), bytes);
    return sink_.write(bytes, sizeof bytes);
}

bool SpoolWriter::record(std::string_view recordTag, const void* data, std::size_t length) {
    return header(recordTag, length) && (length == 0 || sink_.write(static_cast<const unsigned char*>(data), length));
}

bool SpoolWriter::wideText(std::string_view recordTag, std::u16string_view text) {
    std::string bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.append(2, '\0');
    return record(recordTag, bytes.data(), bytes.size());
}

bool SpoolWriter::number(std::string_view recordTag, std::uint32_t value) {
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return record(recordTag, bytes, sizeof bytes);
}

bool SpoolWriter::text(std::string_view recordTag, std::string_view text) {
    return record(recordTag, text.data(), text.size());
}

bool SpoolWriter::hash(std::string_view recordTag, const std::array<unsigned char, 32>& digest) {
    return record(recordTag, digest.data(), digest.size());
}

bool SpoolWriter::fileTime(std::string_view recordTag, std::uint64_t value) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return record(recordTag, bytes, sizeof bytes);
}

bool SpoolWriter::beginContent(std::string_view recordTag, std::uint32_t length) {
    if (!header(recordTag, length)) return false;
    inContent_ = true;
    contentLeft_ = length;
    block_.clear();
    block_.reserve(kCodingBlock);
    return true;
}

bool SpoolWriter::flushBlock() {
    if (block_.empty()) return true;
    if (coder_(block_.data(), block_.size()) != 0 || !sink_.write(block_.data(), block_.size())) return false;
    block_.clear();
    return true;
}

bool SpoolWriter::put(const unsigned char* data, std::size_t n) {
    if (!inContent_ || n > contentLeft_) return false;
    contentLeft_ -= n;
    while (n > 0) {
        const std::size_t take = std::min(n, kCodingBlock - block_.size());
        block_.insert(block_.end(), data, data + take);
        data += take;
        n -= take;
        if (block_.size() == kCodingBlock && !flushBlock()) return false;
    }
    return true;
}

bool SpoolWriter::endContent() {
    if (!inContent_ || contentLeft_ != 0) return false;
    inContent_ = false;
    return flushBlock();
}

bool rewriteRecord(SpoolReader& reader, const SpoolRecord& record, const BlockCoder& decoder, SpoolWriter& writer) {
    SpoolForm form = formOf(record.tag);
    if (form == SpoolForm::Property) form = reader.isWideText(record) ? SpoolForm::WideText : SpoolForm::Content;
    switch (form) {
    case SpoolForm::WideText: {
        std::u16string text;
        return reader.wideText(record, text) && writer.wideText(record.tag, text);
    }
    case SpoolForm::Number: {
        std::uint32_t value;
        return reader.number(record, value) && writer.number(record.tag, value);
    }
    case SpoolForm::Text: {
        std::string text;
        return reader.text(record, text) && writer.text(record.tag, text);
    }
    case SpoolForm::Hash: {
        std::array<unsigned char, 32> digest;
        return reader.hash(record, digest) && writer.hash(record.tag, digest);
    }
    case SpoolForm::FileTime: {
        std::uint64_t value;
        return reader.fileTime(record, value) && writer.fileTime(record.tag, value);
    }
    case SpoolForm::Content:
    case SpoolForm::Property:
        break;
    }
    if (!writer.beginContent(record.tag, record.length)) return false;
    const bool copied =
        reader.content(record, decoder, [&](const unsigned char* block, std::size_t n) { return writer.put(block, n); });
    return copied && writer.endContent();
}

}  // namespace elk::submit
