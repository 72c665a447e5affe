#include "submit/core/spool_reader.h"

#include <algorithm>
#include <cstring>

#include "submit/core/spool_text.h"

namespace elk::submit {

namespace {

struct FormOfTag {
    std::string_view tag;
    SpoolForm form;
};

constexpr FormOfTag kForms[] = {
    {tag::kName, SpoolForm::WideText},     {tag::kType, SpoolForm::WideText},
    {tag::kSize, SpoolForm::Number},       {tag::kDefinitions, SpoolForm::Number},
    {tag::kProgram, SpoolForm::Number},    {tag::kSystem, SpoolForm::Number},
    {tag::kDate, SpoolForm::Number},       {tag::kFlags, SpoolForm::Number},
    {tag::kKind, SpoolForm::Number},       {tag::kHashType, SpoolForm::Text},
    {tag::kInstallation, SpoolForm::Text}, {tag::kSubmission, SpoolForm::Text},
    {tag::kHash, SpoolForm::Hash},         {tag::kModified, SpoolForm::FileTime},
    {tag::kChanged, SpoolForm::FileTime},  {tag::kCreated, SpoolForm::FileTime},
    {tag::kAccessed, SpoolForm::FileTime}, {tag::kData, SpoolForm::Content},
};

std::string at(std::uint64_t offset) { return "offset " + std::to_string(offset) + ": "; }

std::string named(const SpoolRecord& record) { return "record \"" + tagText(record.tag) + "\""; }

std::uint64_t little64(const unsigned char* p) {
    return static_cast<std::uint64_t>(readLittle32(p + 4)) << 32 | readLittle32(p);
}

// The first NUL unit among the data's UTF-16 units, or npos.
std::size_t firstNulUnit(const std::string& data) {
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        if (data[i] == 0 && data[i + 1] == 0) return i;
    return std::string::npos;
}

bool wellFormedWide(const std::string& data) {
    return data.size() >= 2 && data.size() % 2 == 0 && firstNulUnit(data) == data.size() - 2;
}

}  // namespace

bool MemorySource::read(std::uint64_t offset, unsigned char* buffer, std::size_t n) {
    if (offset > size_ || n > size_ - offset) return false;
    if (n) std::memcpy(buffer, data_ + offset, n);
    return true;
}

SpoolForm formOf(std::string_view recordTag) {
    for (const FormOfTag& f : kForms)
        if (f.tag == recordTag) return f.form;
    return SpoolForm::Property;
}

SpoolReader::SpoolReader(SpoolSource& source) : source_(source), size_(source.size()) {}

bool SpoolReader::fail(std::uint64_t offset, std::string message) {
    fault_.offset = offset;
    fault_.message = at(offset) + message;
    return false;
}

bool SpoolReader::start() {
    started_ = true;
    at_ = sizeof kSpoolSignature;
    broken_ = true;
    if (size_ < sizeof kSpoolSignature)
        return fail(0, size_ == 0 ? "the file is empty, not a spool file"
                                  : "the file ends after " + std::to_string(size_) +
                                        " bytes, before the 4 bytes of a spool file's signature");
    unsigned char signature[sizeof kSpoolSignature];
    if (!source_.read(0, signature, sizeof signature)) return fail(0, "the signature cannot be read");
    if (std::memcmp(signature, kSpoolSignature, sizeof signature) != 0)
        return fail(0, "not a spool file: it begins with " + hexText(signature, sizeof signature, ' ') +
                           ", not " + hexText(kSpoolSignature, sizeof kSpoolSignature, ' '));
    broken_ = false;
    return true;
}

bool SpoolReader::next(SpoolRecord& record) {
    if (!started_ && !start()) return false;
    if (broken_ || at_ == size_) return false;
    broken_ = true;
    const std::uint64_t left = size_ - at_;
    if (left < kSpoolRecordHeader)
        return fail(at_, "the file ends within a record header: " + std::to_string(left) + " of its " +
                             std::to_string(kSpoolRecordHeader) + " bytes are there");
    unsigned char header[kSpoolRecordHeader];
    if (!source_.read(at_, header, sizeof header)) return fail(at_, "the record header cannot be read");
    SpoolRecord found;
    found.tag.assign(reinterpret_cast<const char*>(header), kSpoolTagBytes);
    found.offset = at_;
    found.length = readLittle32(header + kSpoolTagBytes);
    if (found.length > left - kSpoolRecordHeader)
        return fail(at_, named(found) + " is " + std::to_string(found.length) +
                             " bytes long, but the file ends after " + std::to_string(left - kSpoolRecordHeader) +
                             " of them (at " + std::to_string(size_) + ")");
    broken_ = false;
    at_ = found.end();
    record = std::move(found);
    return true;
}

bool SpoolReader::load(const SpoolRecord& record, std::string& data, const char* what) {
    data.clear();
    if (record.length > kMaxValueRecord)
        return fail(record.offset, named(record) + " is " + std::to_string(record.length) + " bytes long, too long for " +
                                       what + " (at most " + std::to_string(kMaxValueRecord) + ")");
    // The walk checked the length; a record made up by the caller is checked here.
    if (record.end() > size_) return fail(record.offset, named(record) + " runs past the end of the file");
    data.resize(record.length);
    if (record.length && !source_.read(record.dataOffset(), reinterpret_cast<unsigned char*>(data.data()), data.size()))
        return fail(record.dataOffset(), "the data of " + named(record) + " cannot be read");
    return true;
}

bool SpoolReader::fixedLength(const SpoolRecord& record, std::uint32_t length, const char* what) {
    if (record.length == length) return true;
    return fail(record.offset, named(record) + " is " + std::to_string(record.length) + " bytes long, not the " +
                                   std::to_string(length) + " bytes of " + what);
}

bool SpoolReader::wideText(const SpoolRecord& record, std::u16string& text) {
    text.clear();
    std::string data;
    if (!load(record, data, "a text")) return false;
    if (data.size() < 2 || data.size() % 2 != 0)
        return fail(record.offset, named(record) + " is " + std::to_string(data.size()) +
                                       " bytes long: not UTF-16 text with its terminating NUL");
    std::size_t nul = firstNulUnit(data);
    if (nul == std::string::npos)
        return fail(record.dataOffset() + data.size() - 2, "the text of " + named(record) + " lacks its terminating NUL");
    if (nul != data.size() - 2)
        return fail(record.dataOffset() + nul, "the text of " + named(record) + " has a NUL before its end");
    for (std::size_t i = 0; i + 2 < data.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                      static_cast<unsigned char>(data[i + 1]) << 8);
    return true;
}

bool SpoolReader::isWideText(const SpoolRecord& record) {
    if (record.length > kMaxValueRecord || record.length < 2 || record.length % 2 != 0 || record.end() > size_)
        return false;
    std::string data(record.length, '\0');
    return source_.read(record.dataOffset(), reinterpret_cast<unsigned char*>(data.data()), data.size()) &&
           wellFormedWide(data);
}

bool SpoolReader::number(const SpoolRecord& record, std::uint32_t& value) {
    value = 0;
    std::string data;
    if (!fixedLength(record, 4, "a number") || !load(record, data, "a number")) return false;
    value = readLittle32(reinterpret_cast<const unsigned char*>(data.data()));
    return true;
}

bool SpoolReader::text(const SpoolRecord& record, std::string& text) {
    if (!load(record, text, "a text")) return false;
    std::size_t nul = text.find('\0');
    if (nul == std::string::npos) return true;
    text.clear();
    return fail(record.dataOffset() + nul, "the text of " + named(record) + " holds a NUL");
}

bool SpoolReader::hash(const SpoolRecord& record, std::array<unsigned char, 32>& digest) {
    digest.fill(0);
    std::string data;
    if (!fixedLength(record, 32, "a SHA-256 hash") || !load(record, data, "a hash")) return false;
    std::memcpy(digest.data(), data.data(), digest.size());
    return true;
}

bool SpoolReader::fileTime(const SpoolRecord& record, std::uint64_t& value) {
    value = 0;
    std::string data;
    if (!fixedLength(record, 8, "a file time") || !load(record, data, "a file time")) return false;
    value = little64(reinterpret_cast<const unsigned char*>(data.data()));
    return true;
}

bool SpoolReader::bytes(const SpoolRecord& record, std::string& data) { return load(record, data, "a value"); }

bool SpoolReader::content(const SpoolRecord& record, const BlockCoder& decoder, const ContentSink& sink) {
    if (record.end() > size_) return fail(record.offset, named(record) + " runs past the end of the file");
    block_.resize(kCodingBlock);
    for (std::uint64_t done = 0; done < record.length;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kCodingBlock, record.length - done));
        const std::uint64_t from = record.dataOffset() + done;
        if (!source_.read(from, block_.data(), n))
            return fail(from, "the content of " + named(record) + " cannot be read");
        if (std::uint32_t rc = decoder(block_.data(), n))
            return fail(from, "the content of " + named(record) + " cannot be decoded (status " + std::to_string(rc) + ")");
        if (!sink(block_.data(), n)) return fail(from, "the decoded content of " + named(record) + " was not taken");
        done += n;
    }
    return true;
}

bool summarize(SpoolReader& reader, SpoolSummary& summary) {
    summary = {};
    SpoolRecord record;
    while (reader.next(record)) {
        std::uint32_t value = 0;
        std::optional<std::uint32_t>* number = nullptr;
        if (record.tag == tag::kName) {
            std::u16string name;
            if (!reader.wideText(record, name)) return false;
            summary.name = std::move(name);
        } else if (record.tag == tag::kData) {
            summary.dataLength = record.length;
        } else if (record.tag == tag::kKind) {
            number = &summary.kind;
        } else if (record.tag == tag::kFlags) {
            number = &summary.flags;
        } else if (record.tag == tag::kSize) {
            number = &summary.size;
        } else if (record.tag == tag::kDate) {
            number = &summary.date;
        }
        if (number) {
            if (!reader.number(record, value)) return false;
            *number = value;
        }
    }
    return !reader.failed();
}

}  // namespace elk::submit
