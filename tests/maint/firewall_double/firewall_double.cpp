// A stand-in for the system's firewall objects: NetFwPolicy2 and NetFwRule,
// NetFwMgr and NetFwAuthorizedApplication, in-process. What they hold lives
// in a folder named by ELKTEST_FIREWALL, so that a test (and any program it
// starts) sees the same firewall:
//   firewall.txt  one line a rule or authorized application, tab-separated,
//                 rewritten whole after each change and read before each use:
//                 rule <Name> <Description> <Enabled> <Action> <Direction>
//                      <Profiles, hex> <ApplicationName> <Protocol>
//                      <LocalPorts> <RemoteAddresses>
//                 app  <ProcessImageFileName> <Name> <Scope> <Enabled>
//   calls.txt     one line a call that reaches the firewall ("create
//                 NetFwPolicy2", "get Rules", "Item NAME", "Add NAME",
//                 "Remove NAME", "get LocalPolicy", ...).
// A call whose line is one of the '|'-separated entries of ELKTEST_FIREWALL_FAIL
// fails with E_ACCESSDENIED (it is still written to calls.txt).
#include <windows.h>
#include <netfw.h>

#include <string>
#include <vector>

namespace {

// Written out here again, not taken from the library: a wrong GUID there must
// not find its twin here.
constexpr GUID kClsidPolicy2 = {0xe2b3c97f, 0x6ae1, 0x41ac, {0x81, 0x7a, 0xf6, 0xf9, 0x21, 0x66, 0xd7, 0xdd}};
constexpr GUID kIidPolicy2 = {0x98325047, 0xc671, 0x4174, {0x8d, 0x81, 0xde, 0xfc, 0xd3, 0xf0, 0x31, 0x86}};
constexpr GUID kClsidRule = {0x2c5bc43e, 0x3369, 0x4c33, {0xab, 0x0c, 0xbe, 0x94, 0x69, 0x67, 0x7a, 0xf4}};
constexpr GUID kIidRule = {0xaf230d27, 0xbaba, 0x4e42, {0xac, 0xed, 0xf5, 0x24, 0xf2, 0x2c, 0xfc, 0xe2}};
constexpr GUID kIidRules = {0x9c4c6277, 0x5027, 0x441e, {0xaf, 0xae, 0xca, 0x1f, 0x54, 0x2d, 0xa0, 0x09}};
constexpr GUID kClsidManager = {0x304ce942, 0x6e39, 0x40d8, {0x94, 0x3a, 0xb9, 0x13, 0xc4, 0x0c, 0x9c, 0xd4}};
constexpr GUID kIidManager = {0xf7898af5, 0xcac4, 0x4632, {0xa2, 0xec, 0xda, 0x06, 0xe5, 0x11, 0x1a, 0xf2}};
constexpr GUID kIidPolicy = {0xd46d2478, 0x9ac9, 0x4008, {0x9d, 0xc7, 0x55, 0x63, 0xce, 0x55, 0x36, 0xcc}};
constexpr GUID kIidProfile = {0x174a0dda, 0xe9f9, 0x449d, {0x99, 0x3b, 0x21, 0xab, 0x66, 0x7c, 0xa4, 0x56}};
constexpr GUID kClsidApplication = {0xec9846b3, 0x2762, 0x4a6b, {0xa2, 0x14, 0x6a, 0xcb, 0x60, 0x34, 0x62, 0xd2}};
constexpr GUID kIidApplication = {0xb5e64ffa, 0xc2c5, 0x444e, {0xa3, 0x01, 0xfb, 0x5e, 0x00, 0x01, 0x80, 0x50}};
constexpr GUID kIidApplications = {0x644efd52, 0xccf9, 0x486c, {0x97, 0xa2, 0x39, 0xf3, 0x52, 0x57, 0x0b, 0x30}};

CRITICAL_SECTION g_lock;

struct Locked {
    Locked() { EnterCriticalSection(&g_lock); }
    ~Locked() { LeaveCriticalSection(&g_lock); }
};

std::wstring environment(const wchar_t* name) {
    wchar_t value[1024];
    DWORD n = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
    return n && n < ARRAYSIZE(value) ? std::wstring(value, n) : std::wstring();
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring folderFile(const wchar_t* name) { return environment(L"ELKTEST_FIREWALL") + L"\\" + name; }

// Writes the call to the journal; true when the test asked it to fail.
bool call(const std::wstring& what) {
    Locked lock;
    HANDLE file = CreateFileW(folderFile(L"calls.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        std::string line = utf8(what) + "\n";
        DWORD written;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    const std::wstring fail = L"|" + environment(L"ELKTEST_FIREWALL_FAIL") + L"|";
    return fail.find(L"|" + what + L"|") != std::wstring::npos;
}

std::wstring text(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

HRESULT giveText(const std::wstring& value, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

template <typename T>
HRESULT give(T value, T* out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

struct RuleRecord {
    std::wstring name, description, application, localPorts, remoteAddresses;
    bool enabled = false;
    LONG action = NET_FW_ACTION_ALLOW, direction = NET_FW_RULE_DIR_IN, profiles = 0x7FFFFFFF,
         protocol = 256;  // any
};

struct AppRecord {
    std::wstring path, name;
    LONG scope = NET_FW_SCOPE_ALL;
    bool enabled = true;  // as a new authorized application of the system
};

struct Firewall {
    std::vector<RuleRecord> rules;
    std::vector<AppRecord> apps;
};

std::vector<std::wstring> fields(const std::wstring& line) {
    std::vector<std::wstring> out(1);
    for (wchar_t c : line)
        if (c == L'\t')
            out.emplace_back();
        else
            out.back() += c;
    return out;
}

LONG number(const std::wstring& text, int base = 10) { return static_cast<LONG>(wcstoul(text.c_str(), nullptr, base)); }

Firewall load() {
    Firewall fw;
    HANDLE file = CreateFileW(folderFile(L"firewall.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fw;
    std::string bytes;
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::vector<std::wstring> f = fields(fromUtf8(bytes.substr(start, end - start)));
        start = end + 1;
        if (f[0] == L"rule" && f.size() == 11) {
            RuleRecord r;
            r.name = f[1];
            r.description = f[2];
            r.enabled = f[3] == L"1";
            r.action = number(f[4]);
            r.direction = number(f[5]);
            r.profiles = number(f[6], 16);
            r.application = f[7];
            r.protocol = number(f[8]);
            r.localPorts = f[9];
            r.remoteAddresses = f[10];
            fw.rules.push_back(r);
        } else if (f[0] == L"app" && f.size() == 5) {
            fw.apps.push_back({f[1], f[2], number(f[3]), f[4] == L"1"});
        }
    }
    return fw;
}

void save(const Firewall& fw) {
    std::wstring out;
    wchar_t hex[16];
    for (const RuleRecord& r : fw.rules) {
        wsprintfW(hex, L"%08lX", static_cast<unsigned long>(r.profiles));
        out += L"rule\t" + r.name + L"\t" + r.description + L"\t" + (r.enabled ? L"1" : L"0") + L"\t" +
               std::to_wstring(r.action) + L"\t" + std::to_wstring(r.direction) + L"\t" + hex + L"\t" +
               r.application + L"\t" + std::to_wstring(r.protocol) + L"\t" + r.localPorts + L"\t" +
               r.remoteAddresses + L"\n";
    }
    for (const AppRecord& a : fw.apps)
        out += L"app\t" + a.path + L"\t" + a.name + L"\t" + std::to_wstring(a.scope) + L"\t" +
               (a.enabled ? L"1" : L"0") + L"\n";
    // Whole or not at all: the test may read while another thread changes it.
    const std::wstring path = folderFile(L"firewall.txt"), temporary = path + L".new";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string bytes = utf8(out);
    DWORD written;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// IUnknown and an IDispatch without type information for one interface.
template <typename I>
class Object : public I {
public:
    explicit Object(const GUID& iid) : iid_(iid) {}
    virtual ~Object() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, iid_)) {
            *out = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return give<UINT>(0, count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

private:
    GUID iid_;
    LONG refs_ = 1;
};

template <typename T, typename I>
HRESULT hand(T* object, I** out) {
    if (!out) {
        object->Release();
        return E_POINTER;
    }
    *out = object;
    return S_OK;
}

#define NOT_HERE(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

class Rule : public Object<INetFwRule> {
public:
    Rule() : Object(kIidRule) {}
    explicit Rule(RuleRecord r) : Object(kIidRule), r_(std::move(r)) {}
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override { return giveText(r_.name, v); }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR v) override { return r_.name = text(v), S_OK; }
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* v) override { return giveText(r_.description, v); }
    HRESULT STDMETHODCALLTYPE put_Description(BSTR v) override { return r_.description = text(v), S_OK; }
    HRESULT STDMETHODCALLTYPE get_ApplicationName(BSTR* v) override { return giveText(r_.application, v); }
    HRESULT STDMETHODCALLTYPE put_ApplicationName(BSTR v) override { return r_.application = text(v), S_OK; }
    NOT_HERE(get_ServiceName, BSTR*)
    NOT_HERE(put_ServiceName, BSTR)
    HRESULT STDMETHODCALLTYPE get_Protocol(LONG* v) override { return give(r_.protocol, v); }
    HRESULT STDMETHODCALLTYPE put_Protocol(LONG v) override { return r_.protocol = v, S_OK; }
    HRESULT STDMETHODCALLTYPE get_LocalPorts(BSTR* v) override { return giveText(r_.localPorts, v); }
    HRESULT STDMETHODCALLTYPE put_LocalPorts(BSTR v) override { return r_.localPorts = text(v), S_OK; }
    NOT_HERE(get_RemotePorts, BSTR*)
    NOT_HERE(put_RemotePorts, BSTR)
    NOT_HERE(get_LocalAddresses, BSTR*)
    NOT_HERE(put_LocalAddresses, BSTR)
    HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR* v) override { return giveText(r_.remoteAddresses, v); }
    HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR v) override { return r_.remoteAddresses = text(v), S_OK; }
    NOT_HERE(get_IcmpTypesAndCodes, BSTR*)
    NOT_HERE(put_IcmpTypesAndCodes, BSTR)
    HRESULT STDMETHODCALLTYPE get_Direction(NET_FW_RULE_DIRECTION* v) override {
        return give(static_cast<NET_FW_RULE_DIRECTION>(r_.direction), v);
    }
    HRESULT STDMETHODCALLTYPE put_Direction(NET_FW_RULE_DIRECTION v) override { return r_.direction = v, S_OK; }
    NOT_HERE(get_Interfaces, VARIANT*)
    NOT_HERE(put_Interfaces, VARIANT)
    NOT_HERE(get_InterfaceTypes, BSTR*)
    NOT_HERE(put_InterfaceTypes, BSTR)
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* v) override {
        return give<VARIANT_BOOL>(r_.enabled ? VARIANT_TRUE : VARIANT_FALSE, v);
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) override { return r_.enabled = v != VARIANT_FALSE, S_OK; }
    NOT_HERE(get_Grouping, BSTR*)
    NOT_HERE(put_Grouping, BSTR)
    HRESULT STDMETHODCALLTYPE get_Profiles(LONG* v) override { return give(r_.profiles, v); }
    HRESULT STDMETHODCALLTYPE put_Profiles(LONG v) override { return r_.profiles = v, S_OK; }
    NOT_HERE(get_EdgeTraversal, VARIANT_BOOL*)
    NOT_HERE(put_EdgeTraversal, VARIANT_BOOL)
    HRESULT STDMETHODCALLTYPE get_Action(NET_FW_ACTION* v) override {
        return give(static_cast<NET_FW_ACTION>(r_.action), v);
    }
    HRESULT STDMETHODCALLTYPE put_Action(NET_FW_ACTION v) override { return r_.action = v, S_OK; }

private:
    RuleRecord r_;
};

// Reads a rule through its interface, as the system's collection takes any.
RuleRecord readRule(INetFwRule* rule) {
    RuleRecord r;
    BSTR b = nullptr;
    auto textOf = [&](HRESULT hr) {
        std::wstring t = SUCCEEDED(hr) ? text(b) : std::wstring();
        SysFreeString(b);
        b = nullptr;
        return t;
    };
    r.name = textOf(rule->get_Name(&b));
    r.description = textOf(rule->get_Description(&b));
    r.application = textOf(rule->get_ApplicationName(&b));
    r.localPorts = textOf(rule->get_LocalPorts(&b));
    r.remoteAddresses = textOf(rule->get_RemoteAddresses(&b));
    VARIANT_BOOL enabled = VARIANT_FALSE;
    rule->get_Enabled(&enabled);
    r.enabled = enabled != VARIANT_FALSE;
    NET_FW_ACTION action = NET_FW_ACTION_ALLOW;
    rule->get_Action(&action);
    r.action = action;
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
    rule->get_Direction(&direction);
    r.direction = direction;
    rule->get_Profiles(&r.profiles);
    rule->get_Protocol(&r.protocol);
    return r;
}

class Rules : public Object<INetFwRules> {
public:
    Rules() : Object(kIidRules) {}
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        Locked lock;
        return give(static_cast<LONG>(load().rules.size()), count);
    }
    HRESULT STDMETHODCALLTYPE Add(INetFwRule* rule) override {
        if (!rule) return E_POINTER;
        RuleRecord r = readRule(rule);
        Locked lock;
        if (call(L"Add " + r.name)) return E_ACCESSDENIED;
        // Like the system's: a rule of an existing name is added beside it.
        Firewall fw = load();
        fw.rules.push_back(r);
        save(fw);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR name) override {
        Locked lock;
        if (call(L"Remove " + text(name))) return E_ACCESSDENIED;
        Firewall fw = load();
        std::erase_if(fw.rules, [&](const RuleRecord& r) { return _wcsicmp(r.name.c_str(), text(name).c_str()) == 0; });
        save(fw);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(BSTR name, INetFwRule** out) override {
        Locked lock;
        if (call(L"Item " + text(name))) return E_ACCESSDENIED;
        for (const RuleRecord& r : load().rules)
            if (_wcsicmp(r.name.c_str(), text(name).c_str()) == 0) return hand(new Rule(r), out);
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    NOT_HERE(get__NewEnum, IUnknown**)
};

class Policy2 : public Object<INetFwPolicy2> {
public:
    Policy2() : Object(kIidPolicy2) {}
    NOT_HERE(get_CurrentProfileTypes, LONG*)
    NOT_HERE(get_FirewallEnabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_FirewallEnabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    NOT_HERE(get_ExcludedInterfaces, NET_FW_PROFILE_TYPE2, VARIANT*)
    NOT_HERE(put_ExcludedInterfaces, NET_FW_PROFILE_TYPE2, VARIANT)
    NOT_HERE(get_BlockAllInboundTraffic, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_BlockAllInboundTraffic, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    NOT_HERE(get_NotificationsDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_NotificationsDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    NOT_HERE(get_UnicastResponsesToMulticastBroadcastDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_UnicastResponsesToMulticastBroadcastDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    HRESULT STDMETHODCALLTYPE get_Rules(INetFwRules** out) override {
        if (call(L"get Rules")) return E_ACCESSDENIED;
        return hand(new Rules, out);
    }
    NOT_HERE(get_ServiceRestriction, INetFwServiceRestriction**)
    NOT_HERE(EnableRuleGroup, LONG, BSTR, VARIANT_BOOL)
    NOT_HERE(IsRuleGroupEnabled, LONG, BSTR, VARIANT_BOOL*)
    NOT_HERE(RestoreLocalFirewallDefaults)
    NOT_HERE(get_DefaultInboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION*)
    NOT_HERE(put_DefaultInboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION)
    NOT_HERE(get_DefaultOutboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION*)
    NOT_HERE(put_DefaultOutboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION)
    NOT_HERE(get_IsRuleGroupCurrentlyEnabled, BSTR, VARIANT_BOOL*)
    NOT_HERE(get_LocalPolicyModifyState, NET_FW_MODIFY_STATE*)
};

class Application : public Object<INetFwAuthorizedApplication> {
public:
    Application() : Object(kIidApplication) {}
    explicit Application(AppRecord a) : Object(kIidApplication), a_(std::move(a)) {}
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override { return giveText(a_.name, v); }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR v) override { return a_.name = text(v), S_OK; }
    HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR* v) override { return giveText(a_.path, v); }
    HRESULT STDMETHODCALLTYPE put_ProcessImageFileName(BSTR v) override { return a_.path = text(v), S_OK; }
    NOT_HERE(get_IpVersion, NET_FW_IP_VERSION*)
    NOT_HERE(put_IpVersion, NET_FW_IP_VERSION)
    HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE* v) override { return give(static_cast<NET_FW_SCOPE>(a_.scope), v); }
    HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE v) override { return a_.scope = v, S_OK; }
    NOT_HERE(get_RemoteAddresses, BSTR*)
    NOT_HERE(put_RemoteAddresses, BSTR)
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* v) override {
        return give<VARIANT_BOOL>(a_.enabled ? VARIANT_TRUE : VARIANT_FALSE, v);
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) override { return a_.enabled = v != VARIANT_FALSE, S_OK; }

private:
    AppRecord a_;
};

class Applications : public Object<INetFwAuthorizedApplications> {
public:
    Applications() : Object(kIidApplications) {}
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        Locked lock;
        return give(static_cast<LONG>(load().apps.size()), count);
    }
    HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication* app) override {
        if (!app) return E_POINTER;
        AppRecord a;
        BSTR b = nullptr;
        if (SUCCEEDED(app->get_ProcessImageFileName(&b))) a.path = text(b);
        SysFreeString(b);
        b = nullptr;
        if (SUCCEEDED(app->get_Name(&b))) a.name = text(b);
        SysFreeString(b);
        NET_FW_SCOPE scope = NET_FW_SCOPE_ALL;
        app->get_Scope(&scope);
        a.scope = scope;
        VARIANT_BOOL enabled = VARIANT_FALSE;
        app->get_Enabled(&enabled);
        a.enabled = enabled != VARIANT_FALSE;
        Locked lock;
        if (call(L"Add " + a.path)) return E_ACCESSDENIED;
        // Like the system's: one entry a program, a new one replaces the old.
        Firewall fw = load();
        std::erase_if(fw.apps, [&](const AppRecord& o) { return _wcsicmp(o.path.c_str(), a.path.c_str()) == 0; });
        fw.apps.push_back(a);
        save(fw);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR path) override {
        Locked lock;
        if (call(L"Remove " + text(path))) return E_ACCESSDENIED;
        Firewall fw = load();
        std::erase_if(fw.apps, [&](const AppRecord& o) { return _wcsicmp(o.path.c_str(), text(path).c_str()) == 0; });
        save(fw);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(BSTR path, INetFwAuthorizedApplication** out) override {
        Locked lock;
        if (call(L"Item " + text(path))) return E_ACCESSDENIED;
        for (const AppRecord& a : load().apps)
            if (_wcsicmp(a.path.c_str(), text(path).c_str()) == 0) return hand(new Application(a), out);
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    NOT_HERE(get__NewEnum, IUnknown**)
};

class Profile : public Object<INetFwProfile> {
public:
    Profile() : Object(kIidProfile) {}
    NOT_HERE(get_Type, NET_FW_PROFILE_TYPE*)
    NOT_HERE(get_FirewallEnabled, VARIANT_BOOL*)
    NOT_HERE(put_FirewallEnabled, VARIANT_BOOL)
    NOT_HERE(get_ExceptionsNotAllowed, VARIANT_BOOL*)
    NOT_HERE(put_ExceptionsNotAllowed, VARIANT_BOOL)
    NOT_HERE(get_NotificationsDisabled, VARIANT_BOOL*)
    NOT_HERE(put_NotificationsDisabled, VARIANT_BOOL)
    NOT_HERE(get_UnicastResponsesToMulticastBroadcastDisabled, VARIANT_BOOL*)
    NOT_HERE(put_UnicastResponsesToMulticastBroadcastDisabled, VARIANT_BOOL)
    NOT_HERE(get_RemoteAdminSettings, INetFwRemoteAdminSettings**)
    NOT_HERE(get_IcmpSettings, INetFwIcmpSettings**)
    NOT_HERE(get_GloballyOpenPorts, INetFwOpenPorts**)
    NOT_HERE(get_Services, INetFwServices**)
    HRESULT STDMETHODCALLTYPE get_AuthorizedApplications(INetFwAuthorizedApplications** out) override {
        if (call(L"get AuthorizedApplications")) return E_ACCESSDENIED;
        return hand(new Applications, out);
    }
};

class Policy : public Object<INetFwPolicy> {
public:
    Policy() : Object(kIidPolicy) {}
    HRESULT STDMETHODCALLTYPE get_CurrentProfile(INetFwProfile** out) override {
        if (call(L"get CurrentProfile")) return E_ACCESSDENIED;
        return hand(new Profile, out);
    }
    NOT_HERE(GetProfileByType, NET_FW_PROFILE_TYPE, INetFwProfile**)
};

class Manager : public Object<INetFwMgr> {
public:
    Manager() : Object(kIidManager) {}
    HRESULT STDMETHODCALLTYPE get_LocalPolicy(INetFwPolicy** out) override {
        if (call(L"get LocalPolicy")) return E_ACCESSDENIED;
        return hand(new Policy, out);
    }
    NOT_HERE(get_CurrentProfileType, NET_FW_PROFILE_TYPE*)
    NOT_HERE(RestoreDefaults)
    NOT_HERE(IsPortAllowed, BSTR, NET_FW_IP_VERSION, LONG, BSTR, NET_FW_IP_PROTOCOL, VARIANT*, VARIANT*)
    NOT_HERE(IsIcmpTypeAllowed, NET_FW_IP_VERSION, BSTR, BYTE, VARIANT*, VARIANT*)
};

// One factory a class; creation is a call the test may make fail.
class Factory : public IClassFactory {
public:
    using Make = IUnknown* (*)();
    Factory(const wchar_t* name, Make make) : name_(name), make_(make) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (call(std::wstring(L"create ") + name_)) return E_ACCESSDENIED;
        IUnknown* object = make_();
        HRESULT hr = object->QueryInterface(riid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const wchar_t* name_;
    Make make_;
};

Factory g_policy2(L"NetFwPolicy2", [] { return static_cast<IUnknown*>(new Policy2); });
Factory g_rule(L"NetFwRule", [] { return static_cast<IUnknown*>(new Rule); });
Factory g_manager(L"NetFwMgr", [] { return static_cast<IUnknown*>(new Manager); });
Factory g_application(L"NetFwAuthorizedApplication", [] { return static_cast<IUnknown*>(new Application); });

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_lock);
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // Without a folder to keep the firewall in there is no firewall.
    if (environment(L"ELKTEST_FIREWALL").empty()) return CLASS_E_CLASSNOTAVAILABLE;
    Factory* factory = IsEqualCLSID(clsid, kClsidPolicy2)       ? &g_policy2
                       : IsEqualCLSID(clsid, kClsidRule)        ? &g_rule
                       : IsEqualCLSID(clsid, kClsidManager)     ? &g_manager
                       : IsEqualCLSID(clsid, kClsidApplication) ? &g_application
                                                                : nullptr;
    if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
    return factory->QueryInterface(riid, out);
}

// Stays loaded: its factories are static.
HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }

}
