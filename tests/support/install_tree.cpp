#include "support/install_tree.h"

#include <gtest/gtest.h>

namespace elktest {

std::wstring binFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\'));
}

InstallTree::InstallTree() {
    root_ = tempName(L"elk");
    program_ = root_ + L"\\Program";
    data_ = root_ + L"\\Data";
    log_ = data_ + L"\\Logs";
    for (const std::wstring* folder : {&root_, &program_, &data_, &log_})
        EXPECT_TRUE(CreateDirectoryW(folder->c_str(), nullptr)) << "cannot create the installation tree";
}

InstallTree::~InstallTree() { removeTree(root_); }

void InstallTree::addLanguage(unsigned id, const std::wstring& from) {
    std::wstring folder = program_ + L"\\" + std::to_wstring(id);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring source = binFolder() + L"\\" + from + L"\\Base.dll";
    ASSERT_TRUE(CopyFileW(source.c_str(), (folder + L"\\Base.dll").c_str(), FALSE)) << "no language module in build";
}

void InstallTree::addProgramFile(const std::wstring& name) {
    std::wstring source = binFolder() + L"\\" + name;
    ASSERT_TRUE(CopyFileW(source.c_str(), (program_ + L"\\" + name).c_str(), FALSE));
}

void InstallTree::setIni(const wchar_t* section, const wchar_t* key, const wchar_t* value) const {
    ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, ini().c_str()));
}

void InstallTree::point() const { point(program_, data_); }

void InstallTree::point(const std::wstring& program, const std::wstring& data) const {
    SetEnvironmentVariableW(L"TARVO_PROGRAM_PATH", program.c_str());
    SetEnvironmentVariableW(L"TARVO_DATA_PATH", data.c_str());
    SetEnvironmentVariableW(L"TARVO_LOG_PATH", log_.c_str());
}

}  // namespace elktest
