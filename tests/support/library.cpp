#include "support/library.h"

namespace elktest {

StartedLibrary::StartedLibrary(const InstallTree& tree, DWORD flags) : flags_(flags) {
    tree.point();
    result_ = basInitLibraryExt(flags);
    running_ = result_ == 0;
}

DWORD StartedLibrary::stop() {
    if (!running_) return 0;
    running_ = false;
    return basFreeLibraryExt(flags_ & ELK_INIT_LIGHT);
}

void LibraryTest::start(DWORD flags) { launch(1033, L"lang\\1033", flags, false); }

void LibraryTest::startIn(unsigned language, const wchar_t* module, DWORD flags) {
    launch(language, module, flags, true);
}

void LibraryTest::launch(unsigned language, const wchar_t* module, DWORD flags, bool chosen) {
    ASSERT_FALSE(library_) << "started twice";
    tree.addLanguage(language, module);
    if (chosen) tree.setIni(L"Languages", L"Engine", std::to_wstring(language).c_str());
    library_.emplace(tree, flags);
    ASSERT_EQ(library_->result(), 0u) << "the library did not start on the test installation";
}

DWORD LibraryTest::stop() {
    if (!library_) return 0;
    DWORD result = library_->stop();
    library_.reset();
    return result;
}

}  // namespace elktest
