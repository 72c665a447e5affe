// Network pop-up messages: the Messenger service, or its mailslot.
#include <atomic>
#include <csetjmp>
#include <cwchar>
#include <new>
#include <string>

#include "base/handles.h"
#include "base/bind.h"
#include "base/wide.h"
#include "net/alert_channels.h"
#include "net/core/alert_popup.h"
#include "net/text_copies.h"

namespace elk {

namespace {

using MessageBufferSend = DWORD(WINAPI*)(LPCWSTR server, LPCWSTR to, LPCWSTR from, LPBYTE buffer, DWORD size);

// Bound once for the life of the process. Two first uses at once may both
// load and bind; they store the same entry, and the module stays loaded.
std::atomic<MessageBufferSend> g_messageBufferSend{nullptr};

MessageBufferSend messengerEntry() {
    if (MessageBufferSend send = g_messageBufferSend.load()) return send;
    UniqueModule netapi(LoadLibraryW(L"Netapi32.dll"));
    if (!netapi) return nullptr;  // tried again on the next pop-up
    auto send = bindProc<MessageBufferSend>(netapi.get(), "NetMessageBufferSend");
    if (!send) return nullptr;
    // The entry stays valid for the life of the process, so its module stays loaded.
    static_cast<void>(netapi.release());
    g_messageBufferSend.store(send);
    return send;
}

// Some platforms export entries they do not implement (Wine's
// NetMessageBufferSend among them): a call raises this code instead of
// returning. It counts as a refused pop-up, as with a Messenger service that
// is not running, rather than ending the caller's process.
constexpr DWORD kUnimplementedEntry = 0x80000100;
thread_local jmp_buf* t_messengerGuard = nullptr;

LONG CALLBACK leaveUnimplementedEntry(EXCEPTION_POINTERS* info) {
    if (!t_messengerGuard || info->ExceptionRecord->ExceptionCode != kUnimplementedEntry)
        return EXCEPTION_CONTINUE_SEARCH;
    jmp_buf* target = t_messengerGuard;
    t_messengerGuard = nullptr;
    longjmp(*target, 1);
}

// Only plain values live in this frame: the jump back skips no destructor.
DWORD callMessenger(MessageBufferSend send, wchar_t* to, wchar_t* from, BYTE* text, DWORD size) {
    PVOID handler = AddVectoredExceptionHandler(1, leaveUnimplementedEntry);
    if (!handler) return ERROR_NOT_ENOUGH_MEMORY;
    jmp_buf guard;
    volatile DWORD rc = ERROR_NOT_SUPPORTED;
    if (setjmp(guard) == 0) {
        t_messengerGuard = &guard;
        rc = send(nullptr, to, from, text, size);
    }
    t_messengerGuard = nullptr;
    RemoveVectoredExceptionHandler(handler);
    return rc;
}

bool sendThroughMessenger(const wchar_t* target, const wchar_t* sender, const wchar_t* message) {
    MessageBufferSend send = messengerEntry();
    if (!send) return false;
    // The entry takes non-constant text.
    UniqueHeap<wchar_t> to = heapCopy(target), from = heapCopy(sender), text = heapCopy(message);
    if (!to || !from || !text) return false;
    size_t bytes = (std::wcslen(message) + 1) * sizeof(wchar_t);
    if (bytes > MAXDWORD) return false;
    return callMessenger(send, to.get(), from.get(), reinterpret_cast<BYTE*>(text.get()),
                         static_cast<DWORD>(bytes)) == 0;
}

DWORD sendThroughMailslot(const wchar_t* target, const wchar_t* sender, const wchar_t* message) {
    char16_t name[260];
    if (!messengerMailslotName(u16(target), name, ARRAYSIZE(name))) return ERROR_FILENAME_EXCED_RANGE;
    UniqueFile slot(CreateFileW(wide(name), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!slot) return GetLastError();

    std::string datagram;
    try {
        datagram = messengerDatagram(ansiCopy(sender), ansiCopy(target), ansiCopy(message));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (datagram.size() > MAXDWORD) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD written = 0;
    if (!WriteFile(slot.get(), datagram.data(), static_cast<DWORD>(datagram.size()), &written, nullptr))
        return GetLastError();
    return written < datagram.size() ? ELK_E_GENERAL : 0;
}

}  // namespace

DWORD sendPopup(const wchar_t* target, const wchar_t* sender, const wchar_t* message) {
    // The service's own failure is not reported: the mailslot decides.
    if (sendThroughMessenger(target, sender, message)) return 0;
    return sendThroughMailslot(target, sender, message);
}

}  // namespace elk
