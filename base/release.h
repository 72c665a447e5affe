// Started services held as objects whose members come up in order and go
// down in reverse: where their releases report a failure, and the one call
// that takes such a service down with the code a shut-down returns.
#pragma once
#include <windows.h>

#include <optional>

namespace elk {

// The latest failing release wins. Nothing is reported while out is null:
// a start that fails half-way returns its own code instead.
struct ReleaseCode {
    DWORD* out = nullptr;
    void note(DWORD code) {
        if (code && out) *out = code;
    }
};

// Destroys the service (its releaseCode() must be its first member, so that
// it outlives the others): 0 or the code of the latest release that failed.
template <typename Service>
DWORD takeDown(std::optional<Service>& service) {
    if (!service) return 0;
    DWORD code = 0;
    service->releaseCode().out = &code;
    service.reset();
    return code;
}

}  // namespace elk
