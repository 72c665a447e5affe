// Firewall rules that let the service program accept and open TCP connections
// of a home server on the local subnet: two rules of the advanced firewall on
// NT 6 and later, an authorized application of the current profile on XP and
// Server 2003. Progress is kept in the INI file's section "WHS", so the work
// is done once per installation; an attempt that cannot confirm the rules is
// repeated by one background thread.
#include <windows.h>
#include <netfw.h>

#include <cwchar>

#include "base/handles.h"
#include "base/paths.h"
#include "base/state.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "maint/firewall_classes.h"

namespace elk {

namespace {

using namespace firewall;

// An in-process object of the firewall; false when there is none.
template <typename I>
bool create(const GUID& clsid, const GUID& iid, ComPtr<I>& out) {
    return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(out.put()))) &&
           out;
}

constexpr wchar_t kSection[] = L"WHS";
constexpr wchar_t kVerified[] = L"NetFwRulesVerified";
constexpr wchar_t kCreated[] = L"NetFwRulesCreated";

constexpr wchar_t kInboundName[] = L"tarvo! WHS Connector (TCP-In)";
constexpr wchar_t kOutboundName[] = L"tarvo! WHS Connector (TCP-Out)";
constexpr wchar_t kDescription[] =
    L"This rule ensures that the tarvo! antivirus Service is able to communicate with the Windows Home Server.";
constexpr wchar_t kApplicationName[] = L"tarvo! Antivirus Service";
constexpr wchar_t kLocalSubnet[] = L"LocalSubnet";
constexpr wchar_t kPort[] = L"16107";
constexpr LONG kAllProfiles = 0x7FFFFFFF;

constexpr DWORD kRetryWaitMs = 10000;
constexpr int kRetries = 9;

// What one attempt works on: taken when the call comes, so that a retry
// thread goes on with the installation it was started for even when the
// library shuts down meanwhile.
struct Job {
    DWORD osClass;
    wchar_t ini[ARRAYSIZE(State::iniPath)];
    wchar_t program[MAX_PATH];  // empty when the program folder's path does not fit
};

void takeJob(Job& job) {
    job.osClass = g_state.osClass;
    copyBounded(job.ini, ARRAYSIZE(job.ini), g_state.iniPath);
    if (!composePath(fsGetTarvoProgramPath(), L"TarvoSvc.exe", job.program, ARRAYSIZE(job.program)))
        job.program[0] = L'\0';
}

bool flag(const Job& job, const wchar_t* key) { return GetPrivateProfileIntW(kSection, key, 0, job.ini) != 0; }

void setFlag(const Job& job, const wchar_t* key, bool on) {
    WritePrivateProfileStringW(kSection, key, on ? L"1" : L"0", job.ini);
}

bool hasRule(INetFwRules* rules, const wchar_t* name) {
    UniqueBstr text(SysAllocString(name));
    ComPtr<INetFwRule> rule;
    return text && SUCCEEDED(rules->Item(text.get(), rule.put())) && rule;
}

void removeRule(INetFwRules* rules, const wchar_t* name) {
    if (UniqueBstr text{SysAllocString(name)}) rules->Remove(text.get());
}

// True when the collection took the rule. An earlier rule of the name goes
// first: the firewall keeps rules of equal names side by side, and every
// repeated creation would leave one more.
bool addRule(INetFwRules* rules, const wchar_t* name, NET_FW_RULE_DIRECTION direction, const wchar_t* program) {
    ComPtr<INetFwRule> rule;
    if (!create(kClsidRule, kIidRule, rule)) return false;
    UniqueBstr ruleName(SysAllocString(name)), description(SysAllocString(kDescription)),
        application(program[0] ? SysAllocString(program) : nullptr), remote(SysAllocString(kLocalSubnet));
    const bool inbound = direction == NET_FW_RULE_DIR_IN;
    UniqueBstr port(inbound ? SysAllocString(kPort) : nullptr);
    if (!ruleName || !description || !application || !remote || (inbound && !port)) return false;
    INetFwRule* r = rule.get();
    // Single settings are not checked: the collection refuses a rule it cannot keep.
    r->put_Name(ruleName.get());
    r->put_Description(description.get());
    r->put_Enabled(VARIANT_TRUE);
    r->put_Action(NET_FW_ACTION_ALLOW);
    r->put_Direction(direction);
    r->put_Profiles(kAllProfiles);
    r->put_ApplicationName(application.get());
    r->put_Protocol(NET_FW_IP_PROTOCOL_TCP);
    if (inbound) r->put_LocalPorts(port.get());
    r->put_RemoteAddresses(remote.get());
    if (hasRule(rules, name)) removeRule(rules, name);
    return SUCCEEDED(rules->Add(r));
}

// NT 6 and later: true when both rules were found after an earlier creation.
bool rulesInPlace(const Job& job) {
    ComPtr<INetFwPolicy2> policy;
    if (!create(kClsidPolicy2, kIidPolicy2, policy)) return false;
    ComPtr<INetFwRules> rules;
    if (FAILED(policy.get()->get_Rules(rules.put())) || !rules) return false;
    if (flag(job, kCreated) && hasRule(rules.get(), kInboundName) && hasRule(rules.get(), kOutboundName)) return true;
    bool created = false;
    if (addRule(rules.get(), kInboundName, NET_FW_RULE_DIR_IN, job.program)) {
        created = addRule(rules.get(), kOutboundName, NET_FW_RULE_DIR_OUT, job.program);
        // Never an inbound rule without its outbound partner.
        if (!created) removeRule(rules.get(), kInboundName);
    }
    setFlag(job, kCreated, created);
    return false;
}

bool authorizedAndEnabled(INetFwAuthorizedApplications* applications, const wchar_t* program) {
    if (!applications || !program[0]) return false;
    UniqueBstr path(SysAllocString(program));
    ComPtr<INetFwAuthorizedApplication> application;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    return path && SUCCEEDED(applications->Item(path.get(), application.put())) && application &&
           SUCCEEDED(application.get()->get_Enabled(&enabled)) && enabled != VARIANT_FALSE;
}

bool authorize(INetFwAuthorizedApplications* applications, const wchar_t* program) {
    if (!applications || !program[0]) return false;
    ComPtr<INetFwAuthorizedApplication> application;
    if (!create(kClsidApplication, kIidApplication, application)) return false;
    UniqueBstr path(SysAllocString(program)), name(SysAllocString(kApplicationName));
    if (!path || !name) return false;
    // Enabled stays as the new object has it.
    if (FAILED(application.get()->put_ProcessImageFileName(path.get())) ||
        FAILED(application.get()->put_Name(name.get())) || FAILED(application.get()->put_Scope(NET_FW_SCOPE_LOCAL_SUBNET)))
        return false;
    return SUCCEEDED(applications->Add(application.get()));
}

// XP and Server 2003: true when the authorized application was found enabled
// after an earlier authorization.
bool applicationInPlace(const Job& job) {
    ComPtr<INetFwMgr> manager;
    if (!create(kClsidManager, kIidManager, manager)) return false;
    ComPtr<INetFwPolicy> policy;
    if (FAILED(manager.get()->get_LocalPolicy(policy.put())) || !policy) return false;
    ComPtr<INetFwProfile> profile;
    if (FAILED(policy.get()->get_CurrentProfile(profile.put())) || !profile) return false;
    ComPtr<INetFwAuthorizedApplications> applications;
    if (FAILED(profile.get()->get_AuthorizedApplications(applications.put()))) applications.reset();
    const bool enabled = authorizedAndEnabled(applications.get(), job.program);
    if (flag(job, kCreated) && enabled) return true;
    setFlag(job, kCreated, enabled || authorize(applications.get(), job.program));
    return false;
}

// True when the rules (or the authorized application) are confirmed in place.
bool attempt(const Job& job) {
    if (flag(job, kVerified)) return true;
    // Failure here (another apartment's mode) still leaves COM usable.
    const HRESULT com = CoInitialize(nullptr);
    const bool inPlace = (job.osClass & ELK_OS_NT6) ? rulesInPlace(job) : applicationInPlace(job);
    if (inPlace) setFlag(job, kVerified, true);
    if (SUCCEEDED(com)) CoUninitialize();
    return inPlace;
}

// One retry thread a process: set while it runs, and its job meanwhile.
LONG g_retrying = 0;
Job g_retryJob;

// The test hook may only shorten the wait, like the library's other hooks.
DWORD retryWait() {
    wchar_t text[16];
    DWORD n = GetEnvironmentVariableW(L"ELK_WHS_RETRY_WAIT_MS", text, ARRAYSIZE(text));
    if (n == 0 || n >= ARRAYSIZE(text)) return kRetryWaitMs;
    const wchar_t* at = text;
    unsigned long ms = 0;
    return elk::boundedNumber(at, 0, kRetryWaitMs, &ms) && *at == L'\0' ? static_cast<DWORD>(ms) : kRetryWaitMs;
}

DWORD WINAPI retryThread(void* module) {
    const DWORD wait = retryWait();
    for (int i = 0; i < kRetries; ++i) {
        Sleep(wait);
        if (attempt(g_retryJob)) break;
    }
    InterlockedExchange(&g_retrying, 0);
    // The thread's own reference keeps the library loaded until here.
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
}

// True when a retry thread runs now, newly started or still running from an
// earlier call.
bool startRetry(const Job& job) {
    if (InterlockedCompareExchange(&g_retrying, 1, 0) != 0) return true;
    g_retryJob = job;
    HMODULE self = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<const wchar_t*>(&retryThread),
                           &self)) {
        UniqueHandle thread(CreateThread(nullptr, 0, retryThread, self, 0, nullptr));
        if (thread) return true;
        FreeLibrary(self);
    }
    InterlockedExchange(&g_retrying, 0);
    return false;
}

}  // namespace

}  // namespace elk

extern "C" BOOL WINAPI basCreateWhsConnectorFwRules(void) {
    if (!(elk::g_state.osClass & (ELK_OS_NT51 | ELK_OS_NT52 | ELK_OS_NT6))) return TRUE;
    // Without a started library there is no INI file to keep the progress in.
    if (!elk::g_state.iniPath[0]) return FALSE;
    elk::Job job;
    elk::takeJob(job);
    if (elk::attempt(job)) return TRUE;
    return elk::startRetry(job);
}
