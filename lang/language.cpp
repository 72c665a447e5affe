// Language choice, language modules and the thread and runtime locales.
#include <clocale>
#include <cstdio>
#include <utility>

#include "base/handles.h"
#include "base/bind.h"
#include "base/paths.h"
#include "base/state.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "lang/core/langlist.h"
#include "lang/language.h"

using elk::g_state;

namespace elk {

namespace {

// Readers hold it while they use the base language module or read the
// language state; basReinitLanguage holds it only to publish new values, so
// an old module is unloaded once no reader can still be inside it. Made with
// the module's static objects, before any export can run.
CriticalSection g_languageLock;
uint32_t g_generation;

}  // namespace

BaseLanguage::BaseLanguage() { EnterCriticalSection(&g_languageLock.get()); }
BaseLanguage::~BaseLanguage() { LeaveCriticalSection(&g_languageLock.get()); }
HMODULE BaseLanguage::module() const { return g_state.baseLanguage; }
uint32_t BaseLanguage::generation() const { return g_generation; }

HMODULE replaceBaseLanguage(HMODULE module) {
    Lock lock(g_languageLock);
    ++g_generation;
    return std::exchange(g_state.baseLanguage, module);
}

}  // namespace elk

namespace {

using ExtensionEntry = DWORD(WINAPI*)(void);

// True when `relative` below the program folder is a loadable module.
bool probe(const wchar_t* relative) {
    wchar_t path[MAX_PATH];
    if (!elk::composePath(fsGetTarvoProgramPath(), relative, path, ARRAYSIZE(path))) return false;
    elk::UniqueModule module(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return static_cast<bool>(module);
}

WORD detectLanguage() {
    if (probe(L"1033\\Base.dll")) return 1033;
    for (WORD id : elk::probedLanguages()) {
        wchar_t relative[16];
        _snwprintf(relative, ARRAYSIZE(relative), L"%u\\Base.dll", id);
        relative[ARRAYSIZE(relative) - 1] = L'\0';
        if (probe(relative)) return id;
    }
    return 0;
}

// The locale name of `language` into name (the state's size), which holds
// the previous name: it stays when the platform has none.
void localeNameOf(WORD language, wchar_t (&name)[ARRAYSIZE(g_state.localeName)]) {
    if (const char16_t* shortName = elk::shortLocaleName(language)) {
        elk::copyBounded(name, ARRAYSIZE(name), elk::wide(shortName));
        return;
    }
    wchar_t english[ARRAYSIZE(g_state.localeName)];
    if (GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SENGLANGUAGE, english, ARRAYSIZE(english)) > 0)
        elk::copyBounded(name, ARRAYSIZE(name), english);
}

HMODULE loadFrom(const wchar_t* folder, const wchar_t* file) {
    wchar_t path[520];
    if (!file || !*file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!elk::composePath(folder, file, path, ARRAYSIZE(path))) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return nullptr;
    if (auto init = elk::bindProc<ExtensionEntry>(module, "InitExtensionLib")) init();
    return module;
}

}  // namespace

extern "C" {

DWORD WINAPI basReinitLanguage(DWORD flags) {
    // The language state belongs to the start-up and shut-down: this runs
    // under their lock whoever calls it.
    elk::Lock library(g_state.libraryLock);
    WORD language = static_cast<WORD>(basGetProfileInt(L"Languages", L"Engine", 0));
    if (language == 0) language = detectLanguage();
    wchar_t folder[ARRAYSIZE(g_state.languagePath)];
    wchar_t localeName[ARRAYSIZE(g_state.localeName)];
    {
        elk::BaseLanguage current;
        elk::copyBounded(localeName, ARRAYSIZE(localeName), g_state.localeName);
    }
    localeNameOf(language, localeName);
    basCreateLanguagePath(language, folder, ARRAYSIZE(folder));
    {
        // Published together, so that a reader never sees the folder of one
        // language with the id of another.
        elk::BaseLanguage current;
        g_state.language = language;
        elk::copyBounded(g_state.localeName, ARRAYSIZE(g_state.localeName), localeName);
        elk::copyBounded(g_state.languagePath, ARRAYSIZE(g_state.languagePath), folder);
    }
    basInitThreadLocaleExt(flags);
    if (!elk::isDirectory(folder)) return ELK_E_FOLDER_MISSING;
    HMODULE module = loadFrom(folder, L"Base.dll");
    if (!module) {
        DWORD error = GetLastError();
        return error ? error : ERROR_MOD_NOT_FOUND;
    }
    // The new module is in place before the old one goes; the old one goes
    // once no reader holds it.
    if (HMODULE old = elk::replaceBaseLanguage(module)) FreeLibrary(old);
    return 0;
}

const wchar_t* WINAPI basGetLanguagePath(void) { return g_state.languagePath; }

DWORD WINAPI basCreateLanguagePath(WORD language, wchar_t* out, DWORD size) {
    wchar_t id[8];
    _snwprintf(id, ARRAYSIZE(id), L"%u", language);
    id[ARRAYSIZE(id) - 1] = L'\0';
    return basCreatePath(fsGetTarvoProgramPath(), id, out, size);
}

HMODULE WINAPI basLoadLanguage(const wchar_t* file) {
    wchar_t folder[ARRAYSIZE(g_state.languagePath)];
    {
        elk::BaseLanguage current;
        elk::copyBounded(folder, ARRAYSIZE(folder), g_state.languagePath);
    }
    return loadFrom(folder, file);
}

DWORD WINAPI basFreeLanguage(HMODULE module) {
    if (!module) return ERROR_INVALID_HANDLE;
    if (auto free = elk::bindProc<ExtensionEntry>(module, "FreeExtensionLib")) free();
    return FreeLibrary(module) ? 0 : GetLastError();
}

HMODULE WINAPI basGetBaseLang(void) {
    elk::BaseLanguage current;
    return current.module();
}

void WINAPI basInitThreadLocaleExt(DWORD flags) {
    if (flags & ELK_INIT_NO_LOCALES) return;
    WORD language;
    wchar_t localeName[ARRAYSIZE(g_state.localeName)];
    {
        elk::BaseLanguage current;
        language = g_state.language;
        elk::copyBounded(localeName, ARRAYSIZE(localeName), g_state.localeName);
    }
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    if (!(flags & ELK_INIT_NO_CRT_LOCALE)) _wsetlocale(LC_ALL, localeName);
}

void WINAPI basInitThreadLocale(void) { basInitThreadLocaleExt(0); }

}
