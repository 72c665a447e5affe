// Sounds on events the user should notice: the event's file in the data
// folder's "Sounds", a spoken version in the user-interface language when
// there is one, played in the background through winmm's PlaySoundW, which is
// bound on first use and let go by the last shut-down.
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "base/bind.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/startup_services.h"
#include "base/suite/ozrCmnBS.h"
#include "include/elkBase.h"
#include "lang/language.h"

namespace {

using PlaySoundFn = BOOL(WINAPI*)(const wchar_t* sound, HMODULE module, DWORD flags);

// PlaySoundW's flags, spelt out so that no multimedia header is needed.
constexpr DWORD kSndAsync = 0x0001, kSndPurge = 0x0040, kSndFilename = 0x20000;

struct SoundRow {
    DWORD first, last;
    const wchar_t* key;  // switch in "Common", default on; null: always on
    const wchar_t* file;
};

constexpr SoundRow kSounds[] = {
    {100, 100, L"SoundsVirus", L"threat_detected.wav"},
    {101, 101, L"SoundsSuspic", L"threat_detected.wav"},
    {102, 102, L"SoundsPUP", L"threat_detected.wav"},
    {110, 112, L"SoundsScan", L"scan_completed.wav"},
    {120, 120, L"SoundsUpdate", L"virus_db_updated.wav"},
    {130, 130, L"SoundsFirewall", L"fw_question.wav"},
    {140, 140, nullptr, L"welcome.wav"},
};

// Bound once per start-up under the sound lock; `bound` says the binding was
// tried, and `play` (null when winmm or its entry is missing) is only read
// after it.
struct SoundService {
    std::atomic<bool> bound{false};
    elk::UniqueModule winmm;
    PlaySoundFn play = nullptr;
};

SoundService g_sound;

bool switchedOn(const wchar_t* key) { return basGetProfileInt(L"Common", key, 1) != 0; }

// PlaySoundW once bound, null when it is not available. Without the sound
// lock (a light start, or none at all) nothing is bound: no shut-down would
// let go of it.
PlaySoundFn playFunction() {
    if (!g_sound.bound.load(std::memory_order_acquire)) {
        CRITICAL_SECTION* lock = elk::soundLock();
        if (!lock) return nullptr;
        elk::Lock hold(*lock);
        if (!g_sound.bound.load(std::memory_order_relaxed)) {
            g_sound.winmm.reset(LoadLibraryW(L"winmm.dll"));
            if (g_sound.winmm) g_sound.play = elk::bindProc<PlaySoundFn>(g_sound.winmm.get(), "PlaySoundW");
            if (!g_sound.play) g_sound.winmm.reset();
            g_sound.bound.store(true, std::memory_order_release);
        }
    }
    return g_sound.play;
}

// The file for `event` into path (MAX_PATH characters); false when the event
// has no sound, its switch is off, or the path does not fit.
bool soundPath(DWORD event, wchar_t* path) {
    const SoundRow* row = nullptr;
    for (const SoundRow& r : kSounds)
        if (event >= r.first && event <= r.last) row = &r;
    if (!row || (row->key && !switchedOn(row->key))) return false;

    wchar_t folder[MAX_PATH];
    if (!elk::composePath(fsGetTarvoDataPath(), L"Sounds", folder, MAX_PATH)) return false;
    if (switchedOn(L"SoundsVoiceover")) {
        WORD language;
        {
            elk::BaseLanguage hold;
            language = basGetLanguage();
        }
        wchar_t id[8], spoken[MAX_PATH];
        std::swprintf(id, 8, L"%u", static_cast<unsigned>(language));
        if (elk::composePath(folder, id, spoken, MAX_PATH) && elk::composePath(spoken, row->file, path, MAX_PATH) &&
            GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
            return true;
    }
    // Handed over whether or not it exists: the system then plays its default.
    return elk::composePath(folder, row->file, path, MAX_PATH);
}

}  // namespace

namespace elk {

DWORD stopSounds() {
    if (g_sound.play) g_sound.play(nullptr, nullptr, kSndPurge);
    g_sound.play = nullptr;
    g_sound.winmm.reset();
    // The next start-up binds afresh.
    g_sound.bound.store(false, std::memory_order_release);
    return 0;
}

}  // namespace elk

extern "C" DWORD WINAPI basPlaySound(DWORD event) {
    if (!switchedOn(L"SoundsEnabled")) return 0;
    PlaySoundFn play = playFunction();
    if (!play || event == 0) return 0;
    wchar_t path[MAX_PATH];
    if (soundPath(event, path)) play(path, nullptr, kSndFilename | kSndAsync);
    return 0;
}
