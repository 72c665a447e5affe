// The texts handed to the update tools' settings interface: server addresses,
// update sources and the mirror run's command line.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace elk {

// Update sources of the mirror tool: "mirror,main" behind an upstream mirror,
// else "main".
const char* mirrorSources(bool upstream);
// Update sources of the updater: "mirror,main" when it may fall back to the
// main servers, else "mirror".
const char* updaterSources(bool fallback);

// "http://HOST:PORT".
std::u16string upstreamAddress(std::u16string_view host, uint32_t port);

// The updater's mirror address: a text starting with "http://" (any case)
// as it stands, one with a '/' behind "http://", a bare host name with the
// port: "http://HOST:PORT".
std::u16string updaterAddress(std::u16string_view address, uint32_t port);

// The mirror run's command line: empty without a log file, else
// ` /savelog "PATH"`. None for a path with a '"', which would end the
// quoted path and hand the rest to the tool as switches.
std::optional<std::u16string> mirrorCommandLine(std::u16string_view logPath);

}  // namespace elk
