// The crash-report filter as the library's start-up and shut-down
// (base/lifecycle.cpp) bring it in and take it out; not exported.
#pragma once
#include <windows.h>

namespace elk {

// Loads the dump library (once per process) and takes a fresh dump name in
// the log folder; on NT 5.1 and later also switches the error mode and makes
// the crash filter the process's top-level exception filter. True when it
// installed the filter.
bool installCrashReports();

// Undoes installCrashReports: the error mode and the top-level filter found
// by an installation come back, and the dump name is let go unless a dump
// was written under it.
void removeCrashReports();

}  // namespace elk
