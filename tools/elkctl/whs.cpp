// elkctl whs-firewall: one attempt at the home-server connector's firewall
// rules, then what the INI file and the firewall hold.
#include <windows.h>
#include <netfw.h>

#include <string>

#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "include/elkBase.h"
#include "maint/firewall_classes.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

using elk::ComPtr;

using namespace elk::firewall;

const wchar_t* const kRuleNames[] = {L"tarvo! WHS Connector (TCP-In)", L"tarvo! WHS Connector (TCP-Out)"};

std::wstring iniKey(const wchar_t* key) {
    wchar_t value[64];
    basGetProfileString(L"WHS", key, L"(none)", value, ARRAYSIZE(value));
    return std::wstring(key) + L": " + value + L"\n";
}

std::wstring textOf(HRESULT hr, BSTR value) {
    elk::UniqueBstr owned(value);
    return SUCCEEDED(hr) && value && *value ? std::wstring(value) : std::wstring(L"(none)");
}

std::wstring ruleLine(INetFwRule* rule) {
    VARIANT_BOOL enabled = VARIANT_FALSE;
    NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
    LONG protocol = 0, profiles = 0;
    rule->get_Enabled(&enabled);
    rule->get_Action(&action);
    rule->get_Direction(&direction);
    rule->get_Protocol(&protocol);
    rule->get_Profiles(&profiles);
    BSTR ports = nullptr, remote = nullptr, program = nullptr;
    HRESULT portsRead = rule->get_LocalPorts(&ports), remoteRead = rule->get_RemoteAddresses(&remote),
            programRead = rule->get_ApplicationName(&program);
    return std::wstring(enabled ? L"enabled" : L"disabled") + (action == NET_FW_ACTION_ALLOW ? L", allow" : L", block") +
           (direction == NET_FW_RULE_DIR_OUT ? L", out" : L", in") +
           (protocol == NET_FW_IP_PROTOCOL_TCP   ? std::wstring(L", TCP")
            : protocol == NET_FW_IP_PROTOCOL_UDP ? std::wstring(L", UDP")
                                                 : L", protocol " + std::to_wstring(protocol)) +
           L", local ports " + textOf(portsRead, ports) + L", remote " + textOf(remoteRead, remote) +
           L", profiles " + hex32(static_cast<unsigned long>(profiles)) + L", program " +
           textOf(programRead, program);
}

std::wstring rules() {
    ComPtr<INetFwPolicy2> policy;
    ComPtr<INetFwRules> rules;
    HRESULT hr = CoCreateInstance(kClsidPolicy2, nullptr, CLSCTX_INPROC_SERVER, kIidPolicy2,
                                  reinterpret_cast<void**>(policy.put()));
    if (SUCCEEDED(hr)) hr = policy.get()->get_Rules(rules.put());
    if (FAILED(hr) || !rules) return L"Firewall rules: cannot be read, " + hex32(hr) + L"\n";
    std::wstring out = L"Firewall rules:\n";
    for (const wchar_t* name : kRuleNames) {
        elk::UniqueBstr text(SysAllocString(name));
        ComPtr<INetFwRule> rule;
        out += std::wstring(L"  ") + name + L": ";
        out += text && SUCCEEDED(rules.get()->Item(text.get(), rule.put())) && rule ? ruleLine(rule.get())
                                                                                 : std::wstring(L"missing");
        out += L"\n";
    }
    return out;
}

std::wstring application() {
    wchar_t path[MAX_PATH];
    basCreatePath(fsGetTarvoProgramPath(), L"TarvoSvc.exe", path, ARRAYSIZE(path));
    ComPtr<INetFwMgr> manager;
    ComPtr<INetFwPolicy> policy;
    ComPtr<INetFwProfile> profile;
    ComPtr<INetFwAuthorizedApplications> applications;
    HRESULT hr = CoCreateInstance(kClsidManager, nullptr, CLSCTX_INPROC_SERVER, kIidManager,
                                  reinterpret_cast<void**>(manager.put()));
    if (SUCCEEDED(hr)) hr = manager.get()->get_LocalPolicy(policy.put());
    if (SUCCEEDED(hr)) hr = policy.get()->get_CurrentProfile(profile.put());
    if (SUCCEEDED(hr)) hr = profile.get()->get_AuthorizedApplications(applications.put());
    if (FAILED(hr) || !applications) return L"Authorized application: cannot be read, " + hex32(hr) + L"\n";
    elk::UniqueBstr text(SysAllocString(path));
    ComPtr<INetFwAuthorizedApplication> entry;
    std::wstring out = std::wstring(L"Authorized application:\n  ") + path + L": ";
    if (!text || FAILED(applications.get()->Item(text.get(), entry.put())) || !entry) return out + L"missing\n";
    BSTR name = nullptr;
    HRESULT nameRead = entry.get()->get_Name(&name);
    NET_FW_SCOPE scope = NET_FW_SCOPE_ALL;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    entry.get()->get_Scope(&scope);
    entry.get()->get_Enabled(&enabled);
    return out + L"\"" + textOf(nameRead, name) + L"\", scope " +
           (scope == NET_FW_SCOPE_LOCAL_SUBNET ? L"local subnet"
            : scope == NET_FW_SCOPE_ALL      ? L"all"
                                             : L"custom") +
           (enabled ? L", enabled\n" : L", disabled\n");
}

}  // namespace

int whsFirewall(int argc, wchar_t**) {
    if (argc != 0) return kMisused;
    Started library(ELK_INIT_LIGHT);
    if (library.status() != 0) return reportFailure(L"library not started", library.status());
    std::wstring out = basCreateWhsConnectorFwRules() ? L"Result: TRUE\n" : L"Result: FALSE\n";
    out += iniKey(L"NetFwRulesCreated") + iniKey(L"NetFwRulesVerified");
    const HRESULT com = CoInitialize(nullptr);
    if (basIsOS(ELK_OS_NT6))
        out += rules();
    else if (basIsOS(ELK_OS_NT51 | ELK_OS_NT52))
        out += application();
    else
        out += L"No firewall of this system is handled.\n";
    if (SUCCEEDED(com)) CoUninitialize();
    print(out);
    return 0;
}

}  // namespace elkctl
