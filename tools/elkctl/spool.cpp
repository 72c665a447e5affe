// elkctl spool list and elkctl spool show: the submission spool's files taken
// apart record by record, their content decoded with the suite's simple
// coding and, on request, written out as files.
#include <windows.h>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrCmnIS.h"
#include "include/elkBase.h"
#include "submit/core/spool_reader.h"
#include "submit/core/spool_text.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

using namespace elk::submit;
using Digest = std::array<unsigned char, 32>;

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::wstring wide(const std::string& ascii) { return wide(widen(ascii)); }
std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// Owns a file handle (INVALID_HANDLE_VALUE when none).
class File {
public:
    explicit File(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~File() { close(); }
    File(File&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            close();
            h_ = other.h_;
            other.h_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    void close() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

class FileSource final : public SpoolSource {
public:
    FileSource(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    std::uint64_t size() override { return size_; }
    bool read(std::uint64_t offset, unsigned char* buffer, std::size_t n) override {
        while (n > 0) {
            OVERLAPPED at = {};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD piece = n > 0x100000 ? 0x100000 : static_cast<DWORD>(n);
            DWORD got = 0;
            if (!ReadFile(file_, buffer, piece, &got, &at) || got == 0) return false;
            offset += got;
            buffer += got;
            n -= got;
        }
        return true;
    }

private:
    HANDLE file_;
    std::uint64_t size_;
};

std::uint32_t decodeBlock(unsigned char* block, std::size_t n) {
    return cyphSimpleCode(block, static_cast<DWORD>(n), 0, 0);
}

bool writeAll(HANDLE file, const unsigned char* data, std::size_t n) {
    DWORD written = 0;
    return WriteFile(file, data, static_cast<DWORD>(n), &written, nullptr) && written == n;
}

// A spool file opened for reading, shared with a submission that may still
// hold it.
DWORD openSpool(const std::wstring& path, File& file, std::uint64_t& size) {
    File opened(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!opened) return GetLastError();
    LARGE_INTEGER length;
    if (!GetFileSizeEx(opened.get(), &length)) return GetLastError();
    size = static_cast<std::uint64_t>(length.QuadPart);
    file = std::move(opened);
    return 0;
}

std::wstring column(std::wstring text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), L' ');
    return text;
}

std::wstring spoolFolder() {
    const wchar_t* data = fsGetTarvoDataPath();
    std::wstring folder = data ? data : L"";
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + L"spool\\suspic";
}

int list(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*.suspic").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD rc = GetLastError();
        if (rc == ERROR_FILE_NOT_FOUND) return 0;
        return reportFailure(L"cannot list " + folder, rc);
    }
    std::vector<std::wstring> names;
    do
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    while (FindNextFileW(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());

    int result = 0;
    std::wstring text;
    for (const std::wstring& name : names) {
        File file;
        std::uint64_t size = 0;
        if (DWORD rc = openSpool(folder + L"\\" + name, file, size)) {
            text += name + L"  cannot be opened: " + codeText(rc) + L"\n";
            result = 1;
            continue;
        }
        FileSource source(file.get(), size);
        SpoolReader reader(source);
        SpoolSummary summary;
        if (summarize(reader, summary)) {
            text += name + L"  " + wide(summaryColumns(summary)) + L"\n";
        } else {
            text += name + L"  damaged: " + wide(reader.fault().message) + L"\n";
            result = 1;
        }
    }
    print(text);
    return result;
}

// Content written out into the extraction folder under a name of its own: a
// name that is taken gets " (2)", " (3)", ... before its extension.
File createNew(const std::wstring& folder, const std::wstring& name, std::wstring& path) {
    const std::size_t dot = name.rfind(L'.');
    const std::wstring stem = dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
    const std::wstring extension = stem.size() == name.size() ? L"" : name.substr(stem.size());
    for (int n = 1; n < 1000; ++n) {
        path = folder + L"\\" + (n == 1 ? name : stem + L" (" + std::to_wstring(n) + L")" + extension);
        File file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return File();
}

std::wstring ansiToWide(const std::string& text) {
    if (text.empty()) return L"";
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// Unpacks a gzip stream block by block into a file.
class Gunzip {
public:
    Gunzip() { ok_ = inflateInit2(&z_, 16 + MAX_WBITS) == Z_OK; }
    ~Gunzip() {
        if (ok_) inflateEnd(&z_);
    }
    Gunzip(const Gunzip&) = delete;
    Gunzip& operator=(const Gunzip&) = delete;

    // false with problem() set when the stream is damaged or the file refuses a write.
    bool put(const unsigned char* data, std::size_t n, HANDLE out, std::uint64_t& written) {
        if (!ok_) return fail(L"zlib cannot start");
        if (ended_) return n == 0 || fail(L"bytes follow the end of the gzip stream");
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(n);
        for (;;) {
            z_.next_out = buffer_;
            z_.avail_out = sizeof buffer_;
            const int rc = inflate(&z_, Z_NO_FLUSH);
            const std::size_t produced = sizeof buffer_ - z_.avail_out;
            if (produced && !writeAll(out, buffer_, produced)) return fail(L"the unpacked file cannot be written");
            written += produced;
            if (rc == Z_STREAM_END) {
                ended_ = true;
                return z_.avail_in == 0 || fail(L"bytes follow the end of the gzip stream");
            }
            if (rc != Z_OK && rc != Z_BUF_ERROR)
                return fail(L"the gzip stream is damaged" + (z_.msg ? L" (" + ansiToWide(z_.msg) + L")" : L""));
            // A full buffer may leave output behind; otherwise all input is taken.
            if (z_.avail_in == 0 && z_.avail_out != 0) return true;
            if (rc == Z_BUF_ERROR && z_.avail_out != 0) return fail(L"the gzip stream is damaged");
        }
    }
    // Whether the whole stream came.
    bool finish() { return ended_ || fail(L"the gzip stream ends early"); }
    const std::wstring& problem() const { return problem_; }

private:
    bool fail(std::wstring problem) {
        if (problem_.empty()) problem_ = std::move(problem);
        return false;
    }
    z_stream z_ = {};
    bool ok_ = false, ended_ = false;
    std::wstring problem_;
    unsigned char buffer_[0x10000];
};

// A name from a record's tag: letters and digits kept, anything else '_'.
std::wstring tagFileName(const std::string& recordTag) {
    std::wstring name;
    for (char c : recordTag) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        name += plain ? static_cast<wchar_t>(c) : L'_';
    }
    return name;
}

class Show {
public:
    Show(std::wstring path, SpoolReader& reader, std::optional<std::wstring> extract)
        : path_(std::move(path)), reader_(reader), extract_(std::move(extract)) {}

    int run() {
        SpoolRecord record;
        while (reader_.next(record)) {
            std::u16string value;
            bool content = false;
            if (!recordValue(reader_, record, value, content)) {
                line(record, L"?");
                fault(reader_.fault().message);
                continue;
            }
            if (record.tag == tag::kName) reader_.wideText(record, name_);
            if (record.tag == tag::kHash) {
                recorded_.emplace();
                reader_.hash(record, *recorded_);
                if (digest_) verdict();
            }
            if (!content)
                line(record, wide(value));
            else
                showContent(record);
        }
        if (reader_.failed()) fault(reader_.fault().message);
        if (recorded_ && !digest_) print(L"  hash not checked: the file holds no content to check it against\n");
        return result_;
    }

private:
    void line(const SpoolRecord& record, const std::wstring& value) {
        print(column(std::to_wstring(record.offset), 10) + L"  " + wide(tagText(record.tag)) + L"  " +
              column(std::to_wstring(record.length), 10) + L"  " + value + L"\n");
    }
    void fault(const std::string& message) { fault(wide(message)); }
    void fault(const std::wstring& message) {
        printError(L"elkctl: " + path_ + L": " + message + L"\n");
        result_ = 1;
    }
    void fault(const SpoolRecord& record, const std::wstring& problem) {
        fault(L"offset " + std::to_wstring(record.offset) + L": record \"" + wide(tagText(record.tag)) + L"\": " +
              problem);
    }
    void verdict() {
        if (*digest_ == *recorded_) {
            print(L"  hash matches\n");
        } else {
            print(L"  hash DIFFERS: the content's SHA-256 is " + wide(hexText(digest_->data(), digest_->size())) + L"\n");
            result_ = 1;
        }
    }

    // The value of a content record is what it holds: its first block
    // decoded tells a gzip stream and its name.
    void showContent(const SpoolRecord& record) {
        const bool isData = record.tag == tag::kData;
        std::string first;
        SpoolRecord head = record;
        head.length = std::min<std::uint32_t>(record.length, kCodingBlock);
        if (!reader_.content(head, decodeBlock, [&](const unsigned char* b, std::size_t n) {
                first.assign(reinterpret_cast<const char*>(b), n);
                return true;
            })) {
            line(record, L"?");
            fault(reader_.fault().message);
            return;
        }
        const auto* firstBytes = reinterpret_cast<const unsigned char*>(first.data());
        const bool gzip = !isData && isGzip(firstBytes, first.size());
        std::optional<std::string> packedName = gzip ? gzipFileName(firstBytes, first.size()) : std::nullopt;
        std::wstring value = std::to_wstring(record.length) + L" bytes of content";
        if (gzip) {
            // The name is the file's to say; a control character in it must not break the line.
            std::wstring shownName = packedName ? ansiToWide(*packedName) : L"";
            std::replace_if(shownName.begin(), shownName.end(), [](wchar_t c) { return c < 0x20; }, L'?');
            value += packedName ? L", a gzip stream of \"" + shownName + L"\"" : L", a gzip stream";
        }
        line(record, value);

        const bool hashIt = isData && (recorded_ || extract_);
        if (!extract_ && !hashIt) return;
        std::wstring name;
        if (isData) name = wide(safeFileName(name_));
        if (packedName) name = wide(safeFileName(u16(ansiToWide(*packedName))));
        if (name.empty()) name = tagFileName(record.tag) + L".bin";
        writeOut(record, name, gzip, hashIt);
    }

    void writeOut(const SpoolRecord& record, const std::wstring& name, bool gzip, bool hashIt) {
        std::wstring outPath;
        File out;
        CGenericFile temp;
        HANDLE target;
        if (extract_) {
            out = createNew(*extract_, name, outPath);
            if (!out) return fault(record, L"cannot create " + outPath + L": " + codeText(GetLastError()));
            target = out.get();
        } else {
            if (DWORD rc = temp.InitTempFile(0, nullptr, nullptr, 0))
                return fault(record, L"no temporary file for the hash: " + codeText(rc));
            target = temp.GetHandle();
        }
        std::uint64_t written = 0;
        std::unique_ptr<Gunzip> unpack(gzip ? new Gunzip : nullptr);
        std::wstring problem;  // what went wrong beside the reader's faults
        bool ok = reader_.content(record, decodeBlock, [&](const unsigned char* b, std::size_t n) {
            if (unpack) return unpack->put(b, n, target, written);
            written += n;
            if (writeAll(target, b, n)) return true;
            problem = L"the extracted file cannot be written: " + codeText(GetLastError());
            return false;
        });
        if (unpack && (ok ? !unpack->finish() : !unpack->problem().empty())) {
            ok = false;
            problem = unpack->problem();
        }
        if (ok && hashIt) {
            digest_.emplace();
            if (DWORD rc = sha256GenerateFromHandle(target, digest_->data())) {
                digest_.reset();
                ok = false;
                problem = L"the content's hash cannot be taken: " + codeText(rc);
            }
        }
        if (!ok) {
            if (extract_) {
                out.close();
                DeleteFileW(outPath.c_str());
            }
            // The reader's fault names its own offset.
            return problem.empty() ? fault(reader_.fault().message) : fault(record, problem);
        }
        if (extract_)
            print(L"  " + std::wstring(gzip ? L"unpacked" : L"extracted") + L" to " + outPath + L" (" +
                  std::to_wstring(written) + L" bytes)\n");
        if (digest_ && recorded_) verdict();
    }

    std::wstring path_;
    SpoolReader& reader_;
    std::optional<std::wstring> extract_;
    std::u16string name_;
    std::optional<Digest> recorded_, digest_;
    int result_ = 0;
};

int show(const std::wstring& path, std::optional<std::wstring> extract) {
    if (extract) {
        wchar_t full[MAX_PATH];
        DWORD n = GetFullPathNameW(extract->c_str(), MAX_PATH, full, nullptr);
        if (extract->empty() || n == 0 || n >= MAX_PATH) return misused(L"cannot use the folder " + *extract);
        extract = full;
        while (extract->size() > 3 && extract->back() == L'\\') extract->pop_back();
        basValidatePath(extract->c_str(), 1);
        DWORD attributes = GetFileAttributesW(extract->c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return reportFailure(L"cannot make the folder " + *extract, GetLastError());
    }
    File file;
    std::uint64_t size = 0;
    if (DWORD rc = openSpool(path, file, size)) return reportFailure(L"cannot open " + path, rc);
    FileSource source(file.get(), size);
    SpoolReader reader(source);
    if (!reader.start()) {
        printError(L"elkctl: " + path + L": " + wide(reader.fault().message) + L"\n");
        return 1;
    }
    return Show(path, reader, std::move(extract)).run();
}

}  // namespace

int spool(int argc, wchar_t** argv) {
    if (argc < 1) return kMisused;
    const std::wstring what = argv[0];
    if (what == L"list") {
        if (argc > 2) return kMisused;
        if (argc == 2) return list(argv[1]);
        // The folder comes from the installation, which the base library knows
        // even when the start-up stops short.
        Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
        return list(spoolFolder());
    }
    if (what != L"show" || argc < 2) return kMisused;
    std::optional<std::wstring> extract;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg != L"--extract") return misused(L"unknown option " + arg);
        if (i + 1 >= argc) return misused(L"--extract needs a folder");
        extract = argv[++i];
    }
    // Texts of failures in the configured language.
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    return show(argv[1], std::move(extract));
}

}  // namespace elkctl
