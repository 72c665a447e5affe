// Test double of MAPI32.dll: records each call in the file named by
// ELK_MAPI_RECORD and answers ELK_MAPI_LOGON_RESULT / ELK_MAPI_SEND_RESULT
// (default 0, success).
#include <windows.h>
#include <mapi.h>

#include <string>

#include "net/record.h"

namespace {

constexpr LHANDLE kSession = 0x5E55;

std::string number(unsigned long long value) { return std::to_string(value); }

}  // namespace

extern "C" {

ULONG WINAPI MAPILogon(ULONG_PTR ui, LPSTR profile, LPSTR password, FLAGS flags, ULONG reserved, LPLHANDLE session) {
    elkdouble::record(L"ELK_MAPI_RECORD", "logon ui=" + number(ui) + " flags=" + number(flags) +
                                              " reserved=" + number(reserved) + "\nprofile=" +
                                              elkdouble::escaped(profile) + "\npassword=" +
                                              elkdouble::escaped(password) + "\n");
    ULONG rc = elkdouble::setting(L"ELK_MAPI_LOGON_RESULT", 0);
    if (session) *session = rc ? 0 : kSession;
    return rc;
}

ULONG WINAPI MAPILogoff(LHANDLE session, ULONG_PTR ui, FLAGS flags, ULONG reserved) {
    elkdouble::record(L"ELK_MAPI_RECORD", "logoff session=" + number(session) + " ui=" + number(ui) +
                                              " flags=" + number(flags) + " reserved=" + number(reserved) + "\n");
    return 0;
}

#ifndef ELK_MAPI_PARTIAL
ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR ui, lpMapiMessage message, FLAGS flags, ULONG reserved) {
    std::string lines = "send session=" + number(session) + " ui=" + number(ui) + " flags=" + number(flags) +
                        " reserved=" + number(reserved) + "\n";
    if (message) {
        const MapiMessage& m = *message;
        lines += "subject=" + elkdouble::escaped(m.lpszSubject) + "\n";
        lines += "text=" + elkdouble::escaped(m.lpszNoteText) + "\n";
        lines += "other=" + elkdouble::escaped(m.lpszMessageType) + "," + elkdouble::escaped(m.lpszDateReceived) +
                 "," + elkdouble::escaped(m.lpszConversationID) + "," + number(m.flFlags) + "," +
                 (m.lpOriginator ? "originator" : "(null)") + "\n";
        for (ULONG i = 0; i < m.nRecipCount; ++i) {
            const MapiRecipDesc& r = m.lpRecips[i];
            lines += "to class=" + number(r.ulRecipClass) + " eid=" + number(r.ulEIDSize) +
                     "\nname=" + elkdouble::escaped(r.lpszName) + "\naddress=" + elkdouble::escaped(r.lpszAddress) +
                     "\n";
        }
        for (ULONG i = 0; i < m.nFileCount; ++i) {
            const MapiFileDesc& f = m.lpFiles[i];
            lines += "file position=" + number(f.nPosition) + " flags=" + number(f.flFlags) +
                     "\npath=" + elkdouble::escaped(f.lpszPathName) + "\nname=" + elkdouble::escaped(f.lpszFileName) +
                     "\n";
        }
    }
    elkdouble::record(L"ELK_MAPI_RECORD", lines);
    return elkdouble::setting(L"ELK_MAPI_SEND_RESULT", 0);
}
#endif
}
