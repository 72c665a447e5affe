// The base language module and the language state as the library's own
// readers see them while basReinitLanguage may swap them on another thread.
#pragma once
#include <windows.h>

#include <cstdint>

namespace elk {

// Holds the language lock: while it lives the base language module stays
// loaded and the language id, folder and locale name stay as they are. Keep
// it short: nothing under it loads, unloads or waits.
class BaseLanguage {
public:
    BaseLanguage();
    ~BaseLanguage();
    BaseLanguage(const BaseLanguage&) = delete;
    BaseLanguage& operator=(const BaseLanguage&) = delete;

    HMODULE module() const;
    // Changes whenever another module becomes the base language module, so
    // that what was built from the old one is built again.
    uint32_t generation() const;
};

// Makes `module` the base language module (null: none) and returns the
// previous one. No reader holds the previous one any more when this returns;
// the caller unloads it. Called under the library lock.
HMODULE replaceBaseLanguage(HMODULE module);

}  // namespace elk
