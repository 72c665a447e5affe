// basSubmitFile: the sampling filter, the source, and the spool file with its
// records, written through one buffer of one coding block.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>

#include "base/core/status.h"
#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrCmnIS.h"
#include "base/suite/ozrCmnOS.h"
#include "include/elkBase.h"
#include "submit/core/spool_format.h"
#include "submit/engine_info.h"
#include "submit/sample_facts.h"
#include "submit/spool_file.h"

namespace elk::submit {

namespace {

constexpr DWORD kOpenForReading = 0x35;

// The spool folder with its final backslash.
std::wstring spoolFolder() {
    std::wstring folder = fsGetTarvoDataPath() ? fsGetTarvoDataPath() : L"";
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + L"spool\\suspic\\";
}

// More than kMaxStatisticsFiles files in the folder; a folder that cannot be
// listed is not full.
bool statisticsFull(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW((folder + L"*.*").c_str(), &entry));
    if (!find) return false;
    unsigned files = 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ++files > kMaxStatisticsFiles) return true;
    } while (FindNextFileW(find.get(), &entry));
    return false;
}

// A fresh GUID in its registry form (38 characters with braces).
DWORD freshGuid(std::wstring& text) {
    HRESULT com = CoInitialize(nullptr);
    GUID guid;
    HRESULT made = CoCreateGuid(&guid);
    if (SUCCEEDED(com)) CoUninitialize();
    if (FAILED(made)) return static_cast<DWORD>(made);
    wchar_t buffer[39];
    if (StringFromGUID2(guid, buffer, 39) != 39) return ERROR_INVALID_DATA;
    text.assign(buffer, 38);
    return 0;
}

std::uint32_t unixTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    return static_cast<std::uint32_t>((t.QuadPart - 116444736000000000ULL) / 10000000ULL);
}

// Where content comes from: bytes in memory or an open file of the OS layer.
class Source {
public:
    static Source memory(const BYTE* data, std::uint64_t size) { return Source(data, size, INVALID_HANDLE_VALUE); }
    static Source file(HANDLE h) { return Source(nullptr, 0, h); }

    // Fills up to n bytes, fewer only at the end. 0 or the read's code.
    DWORD fill(unsigned char* at, std::size_t n, std::size_t* got) {
        *got = 0;
        if (data_) {
            std::size_t take = left_ < n ? static_cast<std::size_t>(left_) : n;
            std::memcpy(at, data_, take);
            data_ += take;
            left_ -= take;
            *got = take;
            return 0;
        }
        while (*got < n) {
            DWORD read = 0;
            if (DWORD rc = dep_fsReadFile(file_, at + *got, static_cast<DWORD>(n - *got), &read)) return rc;
            if (read == 0) break;
            *got += read;
        }
        return 0;
    }

private:
    Source(const BYTE* data, std::uint64_t size, HANDLE h) : data_(data), left_(size), file_(h) {}
    const BYTE* data_;
    std::uint64_t left_;
    HANDLE file_;
};

// Exactly `length` bytes of the source into the spool, each block of
// kCodingBlock coded on its own. A source that yields fewer bytes fails with
// ERROR_HANDLE_EOF, one that yields more with ERROR_INVALID_DATA: either
// would leave a record whose length does not match its data.
DWORD copyCoded(Source& source, std::uint64_t length, unsigned char* block, SpoolFile& spool) {
    std::uint64_t left = length;
    for (;;) {
        std::size_t got = 0;
        if (DWORD rc = source.fill(block, kCodingBlock, &got)) return rc;
        if (got > left) return ERROR_INVALID_DATA;
        if (got == 0) break;
        if (DWORD rc = cyphSimpleCode(block, static_cast<DWORD>(got), 0, 0)) return rc;
        if (DWORD rc = spool.content(block, got)) return rc;
        left -= got;
        if (got < kCodingBlock) break;
    }
    return left == 0 ? 0 : ERROR_HANDLE_EOF;
}

// The file's gzip form in an anonymous temporary file, the name recorded in
// the stream; false when any step fails, and the file is then stored as it is.
bool compress(HANDLE file, const wchar_t* path, unsigned char* block, CGenericFile& temp, UniqueSuiteFile& out) {
    if (temp.InitTempFile(0, nullptr, nullptr, 0) != 0) return false;
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    CStr name(slash ? slash + 1 : path);
    GGZSTREAM* stream = ggzopen(&temp, name, 0, 0);
    if (!stream) return false;
    bool ok = true;
    for (;;) {
        DWORD read = 0;
        if (dep_fsReadFile(file, block, static_cast<DWORD>(kCodingBlock), &read) != 0) {
            ok = false;
            break;
        }
        if (read == 0) break;
        if (ggzwrite(stream, block, read, 0) != static_cast<int>(read)) {
            ok = false;
            break;
        }
    }
    if (ggzclose(stream) != 0) ok = false;
    if (!ok || dep_fsDuplicateFile(temp.GetHandle(), out.put()) != 0) return false;
    return dep_fsSetFilePointer(out.get(), 0, 0, FILE_BEGIN) == 0;
}

// One file property: left out when the file cannot be opened; any failure
// after its record began fails the submission.
DWORD fileProperty(const SubmitProperty& p, const std::string& tag, bool compressed, unsigned char* block,
                   SpoolFile& spool) {
    UniqueSuiteFile file;
    if (dep_fsOpenFile(p.value, kOpenForReading, file.put(), 0) != 0) return 0;
    HANDLE stored = file.get();
    CGenericFile temp;
    UniqueSuiteFile packed;
    if (compressed) {
        if (compress(file.get(), p.value, block, temp, packed))
            stored = packed.get();
        else if (DWORD rc = dep_fsSetFilePointer(file.get(), 0, 0, FILE_BEGIN))
            return rc;
    }
    ULONGLONG size = dep_fsGetFileSizeHandle(stored);
    if (size == DEP_INVALID_SIZE) return GetLastError();
    // A record's length has 32 bits.
    if (size > 0xFFFFFFFFULL) return ERROR_FILE_TOO_LARGE;
    if (DWORD rc = spool.header(tag, static_cast<std::uint32_t>(size))) return rc;
    Source source = Source::file(stored);
    DWORD rc = copyCoded(source, size, block, spool);
    packed.reset();
    temp.DeleteFileW(true, true);
    return rc;
}

// The record tag of a property: the first four bytes of its tag's 8-bit form.
std::string propertyTag(const SubmitProperty& p) {
    wchar_t tag[5] = {p.tag[0], p.tag[1], p.tag[2], p.tag[3], L'\0'};
    std::string bytes = ansi(tag);
    bytes.resize(kSpoolTagBytes, '\0');
    return bytes;
}

struct Request {
    const SubmitFileInfo& info;
    const wchar_t* type;
    DWORD kind;
    DWORD flags;
    DWORD textCount;
    const SubmitProperty* properties;
    const DWORD* lengths;
    DWORD fileCount;
};

DWORD submit(const Request& r) {
    const SubmitFileInfo& info = r.info;
    const wchar_t* name = info.displayName && info.displayName[0] ? info.displayName : info.path;
    if (!name) return kStatusBadArguments;
    if (!takesPart(r.kind)) return 0;

    std::wstring folder = spoolFolder();
    basValidatePath(folder.c_str(), 1);
    if (r.kind == ELK_SUBMIT_STATISTICS && statisticsFull(folder)) return 0;

    const bool propertiesOnly = (r.flags & kPropertiesOnly) != 0;
    HANDLE source = info.handle;
    UniqueSuiteFile opened;
    if (!source && !info.data) {
        DWORD rc = kStatusBadArguments;
        if (info.path) {
            std::wstring path = (r.flags & kRawAccess) ? std::wstring(DEP_RAW_PREFIX) + info.path : info.path;
            rc = dep_fsOpenFileX(path.c_str(), kOpenForReading, opened.put());
            if (rc == 0) source = opened.get();
        }
        if (rc && !propertiesOnly) return rc;
    }
    if (source == INVALID_HANDLE_VALUE) source = nullptr;

    std::uint64_t size = info.size;
    if (size == 0 && source) {
        size = dep_fsGetFileSizeHandle(source);
        if (size == DEP_INVALID_SIZE) return GetLastError();
    }
    if (!propertiesOnly && size > kMaxSampleSize) return 0;
    // A sample in memory is hashed in one piece.
    if (info.data && size > 0xFFFFFFFFULL) return kStatusBadArguments;

    std::wstring id;
    if (DWORD rc = freshGuid(id)) return rc;
    std::unique_ptr<unsigned char[]> block(new unsigned char[kCodingBlock]);
    SpoolFile spool(folder, id);
    if (DWORD rc = spool.create()) return rc;

    std::uint32_t nameBytes = static_cast<std::uint32_t>((std::wcslen(name) + 1) * sizeof(wchar_t));
    if (DWORD rc = spool.record(tag::kName, name, nameBytes)) return rc;
    if (size != 0) {
        if (DWORD rc = spool.number(tag::kSize, static_cast<std::uint32_t>(size))) return rc;
        // Without a source there is nothing to hash.
        if (info.data || source) {
            BYTE digest[32];
            DWORD rc = info.data ? sha256GenerateHash(info.data, static_cast<DWORD>(size), digest)
                                 : sha256GenerateFromHandle(source, digest);
            if (rc) return rc;
            if ((rc = spool.record(tag::kHashType, kHashTypeText.data(), kHashTypeText.size()))) return rc;
            if ((rc = spool.record(tag::kHash, digest, sizeof digest))) return rc;
        }
    }
    if (r.type) {
        auto bytes = static_cast<std::uint32_t>((std::wcslen(r.type) + 1) * sizeof(wchar_t));
        if (DWORD rc = spool.record(tag::kType, r.type, bytes)) return rc;
    }
    std::string installation = installationId();
    if (!installation.empty())
        if (DWORD rc = spool.record(tag::kInstallation, installation.data(), installation.size())) return rc;
    if (std::uint32_t vps = definitionsVersion())
        if (DWORD rc = spool.number(tag::kDefinitions, vps)) return rc;
    if (std::uint32_t program = programVersion())
        if (DWORD rc = spool.number(tag::kProgram, program)) return rc;
    if (std::uint32_t build = systemBuild())
        if (DWORD rc = spool.number(tag::kSystem, build)) return rc;
    std::string unid = ansi(id.c_str());
    if (DWORD rc = spool.record(tag::kSubmission, unid.data(), unid.size())) return rc;
    DEP_FILE_INFO times;
    if (source && dep_fsGetFileInfoHandle(source, &times) == 0) {
        if (DWORD rc = spool.record(tag::kModified, &times.lastWriteTime, 8)) return rc;
        if (DWORD rc = spool.record(tag::kChanged, &times.changeTime, 8)) return rc;
        if (DWORD rc = spool.record(tag::kCreated, &times.creationTime, 8)) return rc;
        if (DWORD rc = spool.record(tag::kAccessed, &times.lastAccessTime, 8)) return rc;
    }
    if (DWORD rc = spool.number(tag::kDate, unixTime())) return rc;
    std::uint32_t flags = withLocation(name, r.flags) & ~kPropertiesOnly;
    if (DWORD rc = spool.number(tag::kFlags, flags)) return rc;
    if (DWORD rc = spool.number(tag::kKind, r.kind)) return rc;

    if (r.properties) {
        for (DWORD i = 0; i < r.textCount; ++i) {
            const SubmitProperty& p = r.properties[i];
            if (!p.value) continue;
            std::uint32_t bytes = r.lengths && r.lengths[i]
                                      ? r.lengths[i]
                                      : static_cast<std::uint32_t>((std::wcslen(p.value) + 1) * sizeof(wchar_t));
            if (DWORD rc = spool.record(propertyTag(p), p.value, bytes)) return rc;
        }
        for (DWORD i = r.textCount; i - r.textCount < r.fileCount; ++i) {
            const SubmitProperty& p = r.properties[i];
            if (!p.value) continue;
            if (DWORD rc = fileProperty(p, propertyTag(p), (r.flags & kCompressFiles) != 0, block.get(), spool))
                return rc;
        }
    }

    if (!propertiesOnly && (source || info.data)) {
        if (DWORD rc = spool.header(tag::kData, static_cast<std::uint32_t>(size))) return rc;
        Source content = info.data ? Source::memory(info.data, size) : Source::file(source);
        if (!info.data)
            if (DWORD rc = dep_fsSetFilePointer(source, 0, 0, FILE_BEGIN)) return rc;
        if (DWORD rc = copyCoded(content, size, block.get(), spool)) return rc;
    }

    opened.reset();
    if (DWORD rc = spool.commit()) return rc;
    UniqueHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"ozrUpdateNow.evt"));
    if (event) SetEvent(event.get());
    return 0;
}

}  // namespace

}  // namespace elk::submit

DWORD WINAPI basSubmitFile(const SubmitFileInfo* info, const wchar_t* type, DWORD kind, DWORD flags, DWORD textCount,
                           const SubmitProperty* properties, const DWORD* lengths, DWORD fileCount) {
    if (!info) return elk::kStatusBadArguments;
    if (!info->handle && !info->data && !info->path && !(flags & elk::submit::kPropertiesOnly))
        return elk::kStatusBadArguments;
    try {
        return elk::submit::submit({*info, type, kind, flags, textCount, properties, lengths, fileCount});
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
