#include "submit/spool_file.h"

#include "submit/core/spool_format.h"

namespace elk::submit {

namespace {

// Gathered bytes go out once this many have come together.
constexpr std::size_t kGather = 4096;

}  // namespace

SpoolFile::SpoolFile(std::wstring folder, std::wstring_view name)
    : partialPath_(folder + std::wstring(name) + std::wstring(kPartialExtension)),
      finalPath_(folder + std::wstring(name) + std::wstring(kSpoolExtension)) {}

SpoolFile::~SpoolFile() {
    if (committed_) return;
    DWORD error = GetLastError();
    bool existed = static_cast<bool>(file_);
    file_.reset();
    if (existed) DeleteFileW(partialPath_.c_str());
    SetLastError(error);
}

DWORD SpoolFile::create() {
    file_.reset(CreateFileW(partialPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!file_) return GetLastError();
    return content(kSpoolSignature, sizeof kSpoolSignature);
}

DWORD SpoolFile::write(const void* data, std::size_t length) {
    const auto* at = static_cast<const unsigned char*>(data);
    while (length > 0) {
        DWORD piece = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file_.get(), at, piece, &written, nullptr)) return GetLastError();
        // A file write takes everything or fails; anything else would leave
        // the record's length wrong.
        if (written != piece) return ERROR_WRITE_FAULT;
        at += piece;
        length -= piece;
    }
    return 0;
}

DWORD SpoolFile::flush() {
    if (pending_.empty()) return 0;
    DWORD rc = write(pending_.data(), pending_.size());
    pending_.clear();
    return rc;
}

DWORD SpoolFile::content(const void* data, std::size_t length) {
    if (pending_.size() + length <= kGather) {
        pending_.append(static_cast<const char*>(data), length);
        return 0;
    }
    if (DWORD rc = flush()) return rc;
    return write(data, length);
}

DWORD SpoolFile::header(std::string_view tag, std::uint32_t length) {
    unsigned char bytes[kSpoolRecordHeader];
    putRecordHeader(tag, length, bytes);
    return content(bytes, sizeof bytes);
}

DWORD SpoolFile::record(std::string_view tag, const void* data, std::uint32_t length) {
    if (DWORD rc = header(tag, length)) return rc;
    return content(data, length);
}

DWORD SpoolFile::number(std::string_view tag, std::uint32_t value) {
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return record(tag, bytes, 4);
}

DWORD SpoolFile::commit() {
    if (DWORD rc = flush()) return rc;
    HANDLE h = file_.release();
    if (!CloseHandle(h)) {
        DWORD rc = GetLastError();
        DeleteFileW(partialPath_.c_str());
        return rc;
    }
    // One rename: the reader sees the whole file or none of it.
    if (!MoveFileExW(partialPath_.c_str(), finalPath_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD rc = GetLastError();
        DeleteFileW(partialPath_.c_str());
        return rc;
    }
    committed_ = true;
    return 0;
}

}  // namespace elk::submit
