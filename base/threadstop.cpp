// Bounded stop of a thread whose owner has already told it to finish.
#include "include/elkBase.h"

extern "C" DWORD WINAPI basStopThread(HANDLE thread) {
    DWORD timeout = basGetProfileInt(L"Common", L"ThreadTerminationTimeout", 60000);
    if (WaitForSingleObject(thread, timeout) == WAIT_TIMEOUT) {
        TerminateThread(thread, ERROR_TIMEOUT);
        WaitForSingleObject(thread, INFINITE);
    }
    DWORD code = 0;
    if (!GetExitCodeThread(thread, &code)) code = GetLastError();
    CloseHandle(thread);
    return code;
}
