// A library that the test back-ends import and that lies only beside them:
// they load only when the loader searches the back-end's own folder.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD elkTestDepPass(DWORD value) { return value; }
