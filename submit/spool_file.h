// One spool file while it is written: created under a name the spool's
// reader does not pick up, given its ".suspic" name by one rename when it is
// complete, and removed when the submission fails before that.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/handles.h"

namespace elk::submit {

class SpoolFile {
public:
    // folder with its final backslash; name the submission's GUID text.
    SpoolFile(std::wstring folder, std::wstring_view name);
    ~SpoolFile();  // removes the file unless commit() succeeded
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    // Creates the file anew (replacing one of that name), shared with nobody,
    // and writes the signature. 0 or the system's code.
    DWORD create();
    // A whole record.
    DWORD record(std::string_view tag, const void* data, std::uint32_t length);
    DWORD number(std::string_view tag, std::uint32_t value);
    // The 8 bytes that open a record whose data follows through content().
    DWORD header(std::string_view tag, std::uint32_t length);
    // Data bytes; small pieces are gathered, large ones written at once.
    DWORD content(const void* data, std::size_t length);
    // Writes what is gathered, closes the file and renames it to its final
    // name. 0 or the system's code (and the file is then removed).
    DWORD commit();

    const std::wstring& finalPath() const { return finalPath_; }

private:
    DWORD flush();
    DWORD write(const void* data, std::size_t length);

    std::wstring partialPath_, finalPath_;
    UniqueFile file_;
    std::string pending_;
    bool committed_ = false;
};

}  // namespace elk::submit
