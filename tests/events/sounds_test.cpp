// Event sounds against the test double of winmm.dll in bin\doubles\sound
// (the test process makes it its DLL directory; WINEDLLOVERRIDES makes Wine
// take it over its own), which records loading, unloading and each
// PlaySoundW call in the file named by ELK_WINMM_RECORD.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "include/elkBase.h"
#include "net/record.h"
#include "support/files.h"
#include "support/library.h"
#include "support/process.h"

namespace {

using elktest::utf8;

const std::wstring kDoubles = elktest::binFolder() + L"\\doubles\\sound";

// PlaySoundW(path, no module, SND_FILENAME | SND_ASYNC) and the purge.
std::string played(const std::wstring& path) {
    return "play " + elkdouble::escaped(path.c_str()) + " module=0 flags=0x20001\n";
}
const std::string kPurge = "play (null) module=0 flags=0x40\n";

const wchar_t* const kEventSwitches[] = {L"SoundsVirus",  L"SoundsSuspic",  L"SoundsPUP",     L"SoundsScan",
                                          L"SoundsUpdate", L"SoundsFirewall"};

class Sounds : public elktest::LibraryTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetDllDirectoryW(kDoubles.c_str())) << "no folder " << utf8(kDoubles);
        SetEnvironmentVariableW(L"ELK_WINMM_RECORD", record_.c_str());
    }
    void TearDown() override {
        LibraryTest::TearDown();
        SetEnvironmentVariableW(L"ELK_WINMM_RECORD", nullptr);
        DeleteFileW(record_.c_str());
        SetDllDirectoryW(nullptr);
    }

    // What the double recorded since the last call.
    std::string recorded() {
        std::string all = elktest::readFile(record_);
        std::string fresh = all.substr(seen_);
        seen_ = all.size();
        return fresh;
    }
    // What basPlaySound(event) made the double record.
    std::string play(DWORD event) {
        EXPECT_EQ(basPlaySound(event), 0u);
        return recorded();
    }
    std::wstring sounds() const { return tree.data() + L"\\Sounds"; }
    void setSwitch(const wchar_t* key, const wchar_t* value) { tree.setIni(L"Common", key, value); }

private:
    std::wstring record_ = elktest::tempName(L"elk-winmm") + L".txt";
    size_t seen_ = 0;
};

struct Row {
    DWORD event;
    const wchar_t* file;    // null: silent
    const wchar_t* owner;   // the event's switch; null: none
};

// 1-9 the table, 10-17 its neighbours and the far ends.
const Row kTable[] = {
    {100, L"threat_detected.wav", L"SoundsVirus"},  {101, L"threat_detected.wav", L"SoundsSuspic"},
    {102, L"threat_detected.wav", L"SoundsPUP"},    {110, L"scan_completed.wav", L"SoundsScan"},
    {111, L"scan_completed.wav", L"SoundsScan"},    {112, L"scan_completed.wav", L"SoundsScan"},
    {120, L"virus_db_updated.wav", L"SoundsUpdate"}, {130, L"fw_question.wav", L"SoundsFirewall"},
    {140, L"welcome.wav", nullptr},
    {99, nullptr, nullptr},  {103, nullptr, nullptr}, {109, nullptr, nullptr}, {113, nullptr, nullptr},
    {141, nullptr, nullptr}, {150, nullptr, nullptr}, {204, nullptr, nullptr}, {0xFFFFFFFF, nullptr, nullptr},
};

TEST_F(Sounds, EveryEventPlaysItsFileInTheBackground) {
    start(0);
    // The first call binds PlaySoundW even for event 0, which plays nothing.
    EXPECT_EQ(play(0), "load\n");
    int n = 0;
    for (const Row& row : kTable) {
        SCOPED_TRACE(++n);
        // No spoken version lies in Sounds\1033: the plain file is handed over,
        // although it does not exist either.
        EXPECT_EQ(play(row.event), row.file ? played(sounds() + L"\\" + row.file) : "");
    }
    EXPECT_EQ(play(0), "");
}

TEST_F(Sounds, EachSwitchSilencesOnlyItsEvents) {
    start(0);
    ASSERT_EQ(play(0), "load\n");
    for (const wchar_t* key : kEventSwitches) {
        SCOPED_TRACE(utf8(key));
        setSwitch(key, L"0");
        for (const Row& row : kTable) {
            if (!row.file) continue;
            EXPECT_EQ(play(row.event).empty(), row.owner && std::wstring(row.owner) == key) << row.event;
        }
        setSwitch(key, L"1");
    }
    // 140 has no switch of its own.
    for (const wchar_t* key : kEventSwitches) setSwitch(key, L"0");
    for (const Row& row : kTable) {
        if (!row.file) continue;
        EXPECT_EQ(play(row.event).empty(), row.event != 140) << row.event;
    }
}

TEST_F(Sounds, SpokenVersionInTheLanguageFirst) {
    startIn(1031, L"lang\\1031", 0);
    ASSERT_EQ(play(0), "load\n");
    const std::wstring spoken = sounds() + L"\\1031\\welcome.wav", plain = sounds() + L"\\welcome.wav";
    ASSERT_TRUE(elktest::writeFile(spoken, "RIFF"));
    EXPECT_EQ(play(140), played(spoken));
    EXPECT_EQ(play(100), played(sounds() + L"\\threat_detected.wav"));  // spoken 140 only
    setSwitch(L"SoundsVoiceover", L"0");
    EXPECT_EQ(play(140), played(plain));
    setSwitch(L"SoundsVoiceover", L"1");
    ASSERT_TRUE(DeleteFileW(spoken.c_str()));
    EXPECT_EQ(play(140), played(plain));
}

TEST_F(Sounds, MasterSwitchKeepsTheLibraryUnloaded) {
    setSwitch(L"SoundsEnabled", L"0");
    start(0);
    for (const Row& row : kTable) EXPECT_EQ(play(row.event), "") << row.event;
    EXPECT_EQ(play(0), "");
    EXPECT_EQ(GetModuleHandleW(L"winmm.dll"), nullptr);
    // Read at each call.
    setSwitch(L"SoundsEnabled", L"1");
    EXPECT_EQ(play(140), "load\n" + played(sounds() + L"\\welcome.wav"));
    EXPECT_EQ(stop(), 0u);
    EXPECT_EQ(recorded(), kPurge + "unload\n");
}

TEST_F(Sounds, LastShutDownPurgesAndUnloads) {
    start(0);
    {
        // An inner start and stop leave the sound service alone.
        elktest::StartedLibrary inner(tree, 0);
        ASSERT_EQ(inner.result(), 0u);
        EXPECT_EQ(play(140), "load\n" + played(sounds() + L"\\welcome.wav"));
    }
    EXPECT_EQ(recorded(), "");
    EXPECT_EQ(play(130), played(sounds() + L"\\fw_question.wav"));
    EXPECT_EQ(stop(), 0u);
    EXPECT_EQ(recorded(), kPurge + "unload\n");
    EXPECT_EQ(GetModuleHandleW(L"winmm.dll"), nullptr);

    // After the shut-down nothing plays, and the next start-up binds afresh.
    EXPECT_EQ(play(140), "");
    start(0);
    EXPECT_EQ(play(140), "load\n" + played(sounds() + L"\\welcome.wav"));
    EXPECT_EQ(stop(), 0u);
    EXPECT_EQ(recorded(), kPurge + "unload\n");
}

TEST_F(Sounds, ShutDownWithoutSoundsLoadsNothing) {
    start(0);
    EXPECT_EQ(stop(), 0u);
    EXPECT_EQ(recorded(), "");
}

// A light start has no sound lock and no sound stop: nothing is bound that
// no shut-down would let go of.
TEST_F(Sounds, LightStartPlaysNothing) {
    start(ELK_INIT_LIGHT);
    EXPECT_EQ(play(140), "");
    EXPECT_EQ(stop(), 0u);
    EXPECT_EQ(recorded(), "");
    EXPECT_EQ(GetModuleHandleW(L"winmm.dll"), nullptr);
}


// elkctl plays through the double too: a copy of it with the library and the
// double beside it, where its own loading looks first.
class SoundsThroughElkctl : public Sounds {
protected:
    void SetUp() override {
        Sounds::SetUp();
        for (const wchar_t* name : {L"elkctl.exe", L"elkBase.dll", L"ozrCmnBS.dll", L"ozrCmnOS.dll", L"ozrCmnIS.dll"})
            ASSERT_TRUE(CopyFileW((elktest::binFolder() + L"\\" + name).c_str(), (folder_ / name).c_str(), FALSE))
                << utf8(name);
        ASSERT_TRUE(CopyFileW((kDoubles + L"\\winmm.dll").c_str(), (folder_ / L"winmm.dll").c_str(), FALSE));
        tree.addLanguage(1033);
        tree.point();
    }
    elktest::ProcessOutcome elkctl(const std::wstring& arguments) {
        return elktest::runProgram(folder_ / L"elkctl.exe", arguments);
    }
    elktest::TempFolder folder_{L"elk-sound-elkctl"};
};

TEST_F(SoundsThroughElkctl, PlaysAndPurges) {
    elktest::ProcessOutcome outcome = elkctl(L"sound 120 --wait 0");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.err;
    EXPECT_EQ(recorded(), "load\n" + played(sounds() + L"\\virus_db_updated.wav") + kPurge + "unload\n");

    tree.setIni(L"Common", L"SoundsEnabled", L"0");
    outcome = elkctl(L"sound 120 --wait 0");
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.err;
    EXPECT_EQ(recorded(), "");
}

TEST_F(SoundsThroughElkctl, Misuse) {
    for (const wchar_t* arguments : {L"sound", L"sound x", L"sound 1 2", L"sound 140 --wait", L"sound 140 --wait -1"}) {
        elktest::ProcessOutcome outcome = elkctl(arguments);
        EXPECT_EQ(outcome.exitCode, 2u) << utf8(arguments);
    }
    EXPECT_EQ(recorded(), "");
}

}  // namespace
