// What a spool file records about the installation, the system and where the
// sample lies; each read from its real source at the moment of submission.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace elk::submit {

// The filter value of the kind in section "Servers" of "setup\servers.def"
// below the program folder, or the kind's default.
unsigned filterValue(std::uint32_t kind);
// True when this installation takes part in the kind's submissions.
bool takesPart(std::uint32_t kind);

// Key "GUID" of section "Common" of "setup\setup.ini" below the program
// folder (at most 63 characters), as 8-bit text; empty when there is none.
std::string installationId();

// "SetupVersion" of the suite's key OR'd with (major * 256 + minor) << 16
// from its "Version" text; 0 when neither is there.
std::uint32_t programVersion();

// The system's build number, bit 31 set on 64-bit Windows; 0 when unknown.
std::uint32_t systemBuild();

// flags with the location bits of the sample's name added: the Windows
// folder, else the program-files folder, else the profile folder, each as it
// is and in its short form, compared case for case over the folder's length.
// A bit already set ends the checks; a folder whose path cannot be had is
// not compared.
std::uint32_t withLocation(const wchar_t* name, std::uint32_t flags);

// The text as 8-bit ANSI text the way the spool records it: at most 259
// bytes, the layer's conversion flags.
std::string ansi(const wchar_t* text);

}  // namespace elk::submit
