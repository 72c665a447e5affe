// Arbitrary bytes as a spool file: the reader never reads past them, every
// record it hands out lies inside the file right after the one before, and
// writing again what it read (through the typed views, content decoded and
// coded again) gives the file's bytes back, up to the first broken header.
// The listing's and the display's texts are made for every record on the way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "submit/core/spool_reader.h"
#include "submit/core/spool_text.h"
#include "submit/core/spool_writer.h"
#include "suite/ozrCmnIS/simplecode.h"

using namespace elk::submit;

namespace {

std::uint32_t simpleCode(unsigned char* block, std::size_t n) {
    if (n == 0 || n > kCodingBlock) std::abort();
    ozrcmnis::simpleCode(block, n, 0);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size heap copy, so that a read past the end is caught.
    std::unique_ptr<unsigned char[]> file(new unsigned char[size ? size : 1]);
    if (size) std::memcpy(file.get(), data, size);
    MemorySource source(file.get(), size);

    SpoolReader reader(source);
    StringSink sink;
    SpoolWriter writer(sink, simpleCode);
    if (!reader.start()) {
        if (!reader.failed() || reader.fault().offset != 0 || reader.fault().message.empty()) std::abort();
        return 0;
    }
    if (!writer.signature()) std::abort();

    std::uint64_t expected = sizeof kSpoolSignature;
    SpoolRecord record;
    while (reader.next(record)) {
        if (record.offset != expected || record.end() > size || record.tag.size() != kSpoolTagBytes) std::abort();
        expected = record.end();

        std::u16string value;
        bool content = false;
        const bool shown = recordValue(reader, record, value, content);
        if (!shown && reader.fault().offset > size) std::abort();

        if (!rewriteRecord(reader, record, simpleCode, writer)) {
            // Only a view refuses here; the record goes out as it stands.
            if (writer.inContent() || shown) std::abort();
            std::string bytes;
            if (!reader.bytes(record, bytes) || !writer.record(record.tag, bytes.data(), bytes.size())) std::abort();
        }
        if (sink.bytes.size() != record.end()) std::abort();
    }
    if (reader.failed()) {
        // A broken header ends the walk where the last whole record ended.
        if (reader.fault().offset != expected || reader.fault().message.empty()) std::abort();
    } else if (expected != size) {
        std::abort();
    }
    if (sink.bytes.size() != expected || std::memcmp(sink.bytes.data(), file.get(), sink.bytes.size()) != 0)
        std::abort();

    SpoolReader again(source);
    SpoolSummary summary;
    if (summarize(again, summary) && reader.failed()) std::abort();
    summaryColumns(summary);

    gzipFileName(file.get(), size);
    if (summary.name) {
        std::u16string safe = safeFileName(*summary.name);
        if (safe.size() > 255 || safe.find_first_of(u"\\/:") != std::u16string::npos) std::abort();
    }
    return 0;
}
