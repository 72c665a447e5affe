// Names and addresses: basString2Address, basAddress2String and the lookups
// they share with the SMTP client.
#include "net/address.h"

#include <cstdint>
#include <new>
#include <string>

#include "base/core/status.h"
#include "base/handles.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "net/core/dotted.h"
#include "net/watchdog.h"

namespace elk::net {

namespace {

// A look-up on a thread of its own: the resolver has no time limit of its
// own, so the caller waits no longer than the watchdog lets a socket call
// run. The job lives on the heap, shared by the caller and the thread; a
// thread left behind finishes it and frees it alone. The thread also holds
// a reference to this library, so that unloading it cannot pull the code
// from under the thread.
class LookUpJob {
public:
    explicit LookUpJob(const char* name) : name_(name) {}

    // 0 and the address, the look-up's code, or kStatusTimeout when it has
    // not answered within the limit.
    DWORD run(in_addr* address) {
        HMODULE self = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                reinterpret_cast<const wchar_t*>(&LookUpJob::thread), &self))
            return lookUpNow(address);
        module_ = self;
        refs_ = 2;
        UniqueHandle thread(CreateThread(nullptr, 0, &LookUpJob::thread, this, 0, nullptr));
        if (!thread) {
            FreeLibrary(self);
            return lookUpNow(address);
        }
        DWORD waited = WaitForSingleObject(thread.get(), watchLimitMs());
        DWORD rc = waited == WAIT_OBJECT_0 ? status_ : kStatusTimeout;
        if (rc == 0) *address = address_;
        return rc;
    }

    // Lets go of a job whose thread may still run; the last one deletes it.
    static void drop(LookUpJob* job) {
        if (InterlockedDecrement(&job->refs_) == 0) delete job;
    }

    DWORD lookUpNow(in_addr* address) {
        hostent* host = gethostbyname(name_.c_str());
        if (!host) return WSAGetLastError();
        if (host->h_length != 4 || !host->h_addr_list || !host->h_addr_list[0]) return WSANO_DATA;
        CopyMemory(&address->s_addr, host->h_addr_list[0], 4);
        return 0;
    }

private:
    static DWORD WINAPI thread(void* self) {
        auto* job = static_cast<LookUpJob*>(self);
        job->status_ = job->lookUpNow(&job->address_);
        HMODULE module = job->module_;
        drop(job);
        FreeLibraryAndExitThread(module, 0);
    }

    std::string name_;
    in_addr address_ = {};
    DWORD status_ = 0;
    HMODULE module_ = nullptr;
    LONG volatile refs_ = 1;
};

}  // namespace

DWORD lookUpHost(const char* name, in_addr* address) {
    LookUpJob* job = nullptr;
    try {
        job = new LookUpJob(name);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    DWORD rc = job->run(address);
    LookUpJob::drop(job);
    return rc;
}

DWORD resolveServer(const char* server, in_addr* address) {
    address->s_addr = INADDR_NONE;
    if (server[0] >= '0' && server[0] <= '9')
        address->s_addr = inet_addr(server);
    else if (DWORD rc = lookUpHost(server, address)) {
        // A resolver that does not answer is not an unknown name.
        if (rc == kStatusTimeout) return rc;
        address->s_addr = INADDR_NONE;
    }
    return address->s_addr == INADDR_NONE ? WSAHOST_NOT_FOUND : 0;
}

}  // namespace elk::net

extern "C" {

DWORD WINAPI basString2Address(DWORD* address, const char* text) {
    if (!address || !text) return ERROR_INVALID_PARAMETER;
    if (elk::net::parseDotted(text, reinterpret_cast<std::uint8_t*>(address))) return 0;
    return elk::net::lookUpHost(text, reinterpret_cast<in_addr*>(address));
}

void WINAPI basAddress2String(wchar_t* text, DWORD capacity, const DWORD* address) {
    if (!text || capacity == 0) return;
    text[0] = L'\0';
    if (!address) return;
    hostent* host = gethostbyaddr(reinterpret_cast<const char*>(address), 4, AF_INET);
    const char* name = host && host->h_name ? host->h_name : nullptr;
    if (!name) {
        in_addr dotted;
        dotted.s_addr = *address;
        name = inet_ntoa(dotted);
    }
    if (!name) return;
    // Converted whole first: the system leaves a buffer that is too small
    // undefined. Host names have at most 255 characters.
    wchar_t wide[1024];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, -1, wide, ARRAYSIZE(wide)) <= 0) return;
    elk::copyBounded(text, capacity, wide);
    text[capacity - 1] = L'\0';
}

}  // extern "C"
