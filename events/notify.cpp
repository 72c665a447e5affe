// Named notification events between the suite's processes: the sender pulses
// an event of a well-known name, and the watcher thread of every process that
// registered the name calls the registered callbacks.
#include <windows.h>
#include <process.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <new>

#include "base/core/osclass.h"
#include "base/core/status.h"
#include "base/handles.h"
#include "base/state.h"
#include "include/elkBase.h"

namespace elk {
namespace {

constexpr DWORD kNtGlobalNamespace = kOsWin2000 | kOsXP | kOsNT52 | kOsNT6;
constexpr size_t kNameRoom = 260;
// One wait takes MAXIMUM_WAIT_OBJECTS handles, and the control event is one.
constexpr DWORD kMaxRegistrations = MAXIMUM_WAIT_OBJECTS - 1;

struct Registration {
    Registration* next;
    wchar_t name[kNameRoom];
    HANDLE event;
    ELK_NOTIFY_CALLBACK callback;
    DWORD_PTR argument;
    SECURITY_ATTRIBUTES attributes;
    SECURITY_DESCRIPTOR descriptor;
};

// One started watcher. Each start has its own stop flag, so a watcher started
// after a complete stop is not ended by the flag its predecessor was given.
struct Watcher {
    UniqueHandle control;  // manual reset: "the list changed" or "stop"
    HANDLE thread = nullptr;
    std::atomic<bool> stop{false};
};

// Guarded by g_state.notifyLock.
Registration* g_head = nullptr;
DWORD g_registered = 0;
DWORD g_starts = 0;
Watcher* g_watcher = nullptr;

// The full name: "Global\NAME" on systems with session namespaces. False
// when there is no name or the full one does not fit.
bool fullName(const wchar_t* name, wchar_t (&out)[kNameRoom]) {
    if (!name) return false;
    const wchar_t* prefix = (g_state.osClass & kNtGlobalNamespace) ? L"Global\\" : L"";
    int written = _snwprintf(out, kNameRoom, L"%s%s", prefix, name);
    return written >= 0 && static_cast<size_t>(written) < kNameRoom;
}

void wakeLocked() {
    if (g_watcher) SetEvent(g_watcher->control.get());
}

unsigned __stdcall watch(void* context) {
    auto* self = static_cast<Watcher*>(context);
    HANDLE set[MAXIMUM_WAIT_OBJECTS];
    while (!self->stop.load()) {
        DWORD count = 0;
        set[count++] = self->control.get();
        {
            Lock lock(g_state.notifyLock);
            for (Registration* r = g_head; r && count < MAXIMUM_WAIT_OBJECTS; r = r->next) set[count++] = r->event;
        }
        DWORD woke = WaitForMultipleObjects(count, set, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0) {
            ResetEvent(self->control.get());
        } else if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + count) {
            ELK_NOTIFY_CALLBACK callback = nullptr;
            DWORD_PTR argument = 0;
            {
                Lock lock(g_state.notifyLock);
                for (Registration* r = g_head; r; r = r->next)
                    if (r->event == set[woke - WAIT_OBJECT_0]) {
                        callback = r->callback;
                        argument = r->argument;
                        break;
                    }
            }
            if (callback) callback(argument);
        } else {
            // A handle of the set was closed by an unregistration between
            // building the set and waiting; that unregistration has woken us
            // through the control event as well, so the next set is current.
            WaitForSingleObject(self->control.get(), 50);
            ResetEvent(self->control.get());
        }
    }
    return 0;
}

}  // namespace
}  // namespace elk

using namespace elk;

extern "C" DWORD WINAPI notInit(void) {
    Lock lock(g_state.notifyLock);
    if (g_starts++ != 0) return 0;
    auto* watcher = new (std::nothrow) Watcher;
    if (!watcher) return kStatusNoMemory;
    watcher->control.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watcher->control) {
        DWORD error = GetLastError();
        delete watcher;
        return error;
    }
    watcher->thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, watch, watcher, 0, nullptr));
    if (!watcher->thread) {
        DWORD error = GetLastError();
        delete watcher;
        return error ? error : kStatusGeneralFailure;
    }
    g_watcher = watcher;
    return 0;
}

extern "C" DWORD WINAPI notFree(void) {
    Watcher* watcher;
    {
        Lock lock(g_state.notifyLock);
        // An unmatched stop is no stop: the count never wraps round.
        if (g_starts == 0 || --g_starts != 0) return 0;
        watcher = g_watcher;
        g_watcher = nullptr;
    }
    DWORD result = 0;
    if (watcher) {
        watcher->stop.store(true);
        SetEvent(watcher->control.get());
        result = basStopThread(watcher->thread);
    }
    for (;;) {
        Registration* first;
        {
            Lock lock(g_state.notifyLock);
            first = g_head;
        }
        if (!first) break;
        if (DWORD removed = notRemEvent(first)) result = removed;
    }
    if (watcher) {
        if (!CloseHandle(watcher->control.release())) result = GetLastError();
        delete watcher;
    }
    return result;
}

extern "C" HANDLE WINAPI notAddEvent(const wchar_t* name, ELK_NOTIFY_CALLBACK callback, DWORD_PTR argument) {
    if (!name || !callback) {
        SetLastError(kStatusInvalidParameter);
        return nullptr;
    }
    auto* record = static_cast<Registration*>(std::calloc(1, sizeof(Registration)));
    if (!record) {
        SetLastError(kStatusNoMemory);
        return nullptr;
    }
    if (!InitializeSecurityDescriptor(&record->descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&record->descriptor, TRUE, nullptr, FALSE)) {
        DWORD error = GetLastError();
        std::free(record);
        SetLastError(error);
        return nullptr;
    }
    record->attributes = {sizeof(SECURITY_ATTRIBUTES), &record->descriptor, FALSE};
    if (!fullName(name, record->name)) {
        std::free(record);
        SetLastError(kStatusNameTooLong);
        return nullptr;
    }
    record->callback = callback;
    record->argument = argument;
    record->event = CreateEventW(&record->attributes, TRUE, FALSE, record->name);
    if (!record->event) {
        DWORD error = GetLastError();
        std::free(record);
        SetLastError(error);
        return nullptr;
    }
    {
        Lock lock(g_state.notifyLock);
        if (g_registered < kMaxRegistrations) {
            record->next = g_head;
            g_head = record;
            ++g_registered;
            wakeLocked();
            SetLastError(0);
            return record;
        }
    }
    CloseHandle(record->event);
    std::free(record);
    SetLastError(ELK_E_NOTIFY_FULL);
    return nullptr;
}

extern "C" DWORD WINAPI notRemEvent(HANDLE registration) {
    Registration* found = nullptr;
    {
        Lock lock(g_state.notifyLock);
        // Compared by address only: a handle that is not ours is never read.
        for (Registration** link = &g_head; *link; link = &(*link)->next)
            if (*link == registration) {
                found = *link;
                *link = found->next;
                --g_registered;
                break;
            }
        wakeLocked();
    }
    if (!found) return kStatusGeneral;
    CloseHandle(found->event);
    std::free(found);
    return 0;
}

extern "C" DWORD WINAPI notEvent(const wchar_t* name) {
    wchar_t full[kNameRoom];
    if (!fullName(name, full)) return name ? kStatusNameTooLong : kStatusInvalidParameter;
    UniqueHandle event(OpenEventW(EVENT_MODIFY_STATE, TRUE, full));
    if (!event) return GetLastError();
    if (!PulseEvent(event.get())) return GetLastError();
    return 0;
}
