// A temporary installation of the suite for one test: program, data and log
// folders, language modules copied from the build, an INI file, and the
// environment that points the suite's base library at it.
#pragma once
#include <windows.h>

#include <string>

#include "support/files.h"

namespace elktest {

// Folder of the running test program (where the build put every DLL).
std::wstring binFolder();

class InstallTree {
public:
    InstallTree();
    ~InstallTree();
    InstallTree(const InstallTree&) = delete;
    InstallTree& operator=(const InstallTree&) = delete;

    const std::wstring& root() const { return root_; }
    const std::wstring& program() const { return program_; }
    const std::wstring& data() const { return data_; }
    const std::wstring& log() const { return log_; }
    std::wstring ini() const { return data_ + L"\\Tarvo5.ini"; }

    // Copies the build's language module `from` (a folder below bin\lang, or
    // below bin\testlang for test-only modules) to program\<id>\Base.dll.
    void addLanguage(unsigned id, const std::wstring& from = L"lang\\1033");
    // Copies a DLL of the build folder into the program folder.
    void addProgramFile(const std::wstring& name);
    void setIni(const wchar_t* section, const wchar_t* key, const wchar_t* value) const;

    // Points TARVO_PROGRAM_PATH, TARVO_DATA_PATH and TARVO_LOG_PATH at this tree
    // (read by the next first start-up).
    void point() const;
    void point(const std::wstring& program, const std::wstring& data) const;

private:
    std::wstring root_, program_, data_, log_;
};

}  // namespace elktest
