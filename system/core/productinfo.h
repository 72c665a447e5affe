// How the setup's records name the installed edition.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace elk {

// Edition numbers as callers get them: 0, 1 or 2.
inline constexpr uint32_t kEditionCount = 3;

// The edition named by setup.ini's "Common"/"Edition" value (1, 2, 3 for the
// three editions); nothing for any other value, which leaves the choice to the
// installed component groups.
std::optional<uint32_t> editionFromSetupValue(uint32_t value);

// The edition that an installed component group implies (case ignored);
// 0 for a group that decides nothing.
uint32_t editionOfGroup(std::u16string_view group);

}  // namespace elk
