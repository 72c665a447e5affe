// Language choice, language modules and the thread and runtime locales.
#include <clocale>
#include <cstdio>
#include <utility>

#include "base/handles.h"
#include "base/internal.h"
#include "base/state.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "lang/core/langlist.h"

using elk::g_state;

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

void setLocaleName(WORD language) {
    if (const char16_t* name = elk::shortLocaleName(language)) {
        elk::copyBounded(g_state.localeName, ARRAYSIZE(g_state.localeName), elk::wide(name));
        return;
    }
    wchar_t name[ARRAYSIZE(g_state.localeName)];
    if (GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SENGLANGUAGE, name, ARRAYSIZE(name)) > 0)
        elk::copyBounded(g_state.localeName, ARRAYSIZE(g_state.localeName), name);
}

}  // namespace

extern "C" {

DWORD WINAPI basReinitLanguage(DWORD flags) {
    WORD language = static_cast<WORD>(basGetProfileInt(L"Languages", L"Engine", 0));
    if (language == 0) language = detectLanguage();
    g_state.language = language;
    setLocaleName(language);
    basCreateLanguagePath(language, g_state.languagePath, ARRAYSIZE(g_state.languagePath));
    basInitThreadLocaleExt(flags);
    if (!elk::isDirectory(g_state.languagePath)) return ELK_E_FOLDER_MISSING;
    HMODULE module = basLoadLanguage(L"Base.dll");
    if (!module) {
        DWORD error = GetLastError();
        return error ? error : ERROR_MOD_NOT_FOUND;
    }
    // The new module is in place before the old one goes.
    if (HMODULE old = std::exchange(g_state.baseLanguage, module)) FreeLibrary(old);
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
    wchar_t path[520];
    if (!file || !*file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!elk::composePath(g_state.languagePath, file, path, ARRAYSIZE(path))) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return nullptr;
    if (auto init = elk::bindProc<ExtensionEntry>(module, "InitExtensionLib")) init();
    return module;
}

DWORD WINAPI basFreeLanguage(HMODULE module) {
    if (!module) return ERROR_INVALID_HANDLE;
    if (auto free = elk::bindProc<ExtensionEntry>(module, "FreeExtensionLib")) free();
    return FreeLibrary(module) ? 0 : GetLastError();
}

HMODULE WINAPI basGetBaseLang(void) { return g_state.baseLanguage; }

void WINAPI basInitThreadLocaleExt(DWORD flags) {
    if (flags & ELK_INIT_NO_LOCALES) return;
    SetThreadLocale(MAKELCID(g_state.language, SORT_DEFAULT));
    if (!(flags & ELK_INIT_NO_CRT_LOCALE)) _wsetlocale(LC_ALL, g_state.localeName);
}

void WINAPI basInitThreadLocale(void) { basInitThreadLocaleExt(0); }

}
