// The library started on a temporary installation, for the tests that need
// it running: a scoped start for one test body, and a fixture.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "include/elkBase.h"
#include "support/install_tree.h"

namespace elktest {

// One start of the library on `tree` (laid out beforehand) and its matching
// stop, at the end of the scope at the latest. The stop repeats the start's
// light flag, as the header asks.
class StartedLibrary {
public:
    StartedLibrary(const InstallTree& tree, DWORD flags);
    ~StartedLibrary() { stop(); }
    StartedLibrary(const StartedLibrary&) = delete;
    StartedLibrary& operator=(const StartedLibrary&) = delete;

    // What basInitLibraryExt returned.
    DWORD result() const { return result_; }
    // Stops a started library now; what basFreeLibraryExt returned, 0 when
    // there was nothing to stop.
    DWORD stop();

private:
    DWORD flags_;
    DWORD result_;
    bool running_;
};

// A test with an installation of its own. The test (or a derived fixture's
// SetUp) lays out `tree` and calls start(); TearDown stops the library.
class LibraryTest : public ::testing::Test {
protected:
    // Starts with the English module and the library's own choice of language.
    void start(DWORD flags = ELK_INIT_LIGHT);
    // Starts with the build's module `module` (below bin) installed as
    // `language`, which the INI file chooses.
    void startIn(unsigned language, const wchar_t* module = L"lang\\1033", DWORD flags = ELK_INIT_LIGHT);
    // What the stop returned; 0 when the library was not started.
    DWORD stop();
    void TearDown() override { stop(); }

    InstallTree tree;

private:
    void launch(unsigned language, const wchar_t* module, DWORD flags, bool chosen);
    std::optional<StartedLibrary> library_;
};

}  // namespace elktest
