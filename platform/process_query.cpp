#include "platform/process_query.h"

#include <windows.h>
#include <wbemcli.h>

#include "platform/win_handles.h"

namespace kovalt::platform {

namespace {
ProbeResult failed(const wchar_t* step, HRESULT hr) {
    return {ProbeOutcome::Failed, 0, {static_cast<unsigned long>(hr), step}};
}
}  // namespace

std::wstring failureText(const ProbeResult& probe) {
    return L"the process list could not be read (" + probe.error.what + L": " +
           errorText(probe.error.code) + L")";
}

ProbeResult checkProcessRunning(const std::wstring& name) {
    auto query = processQueryText(name, ::GetCurrentProcessId());
    if (!query) return {ProbeOutcome::NotFound, 0, {}};

    // The "winmgmts:" moniker binds to exactly this: a locator connected to ROOT\CIMV2.
    ComPtr<IWbemLocator> locator;
    HRESULT hr = ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWbemLocator, locator.putVoid());
    if (FAILED(hr)) return failed(L"WMI locator", hr);

    ComPtr<IWbemServices> services;
    hr = locator->ConnectServer(Bstr(L"ROOT\\CIMV2").get(), nullptr, nullptr, nullptr, 0, nullptr,
                                nullptr, services.put());
    if (FAILED(hr)) return failed(L"WMI connection", hr);
    // The moniker impersonates by default; set the same on the proxy. A failure here leaves
    // the default blanket, under which the local query still runs, so it is not fatal.
    ::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                        RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);

    ComPtr<IEnumWbemClassObject> results;
    hr = services->ExecQuery(Bstr(L"WQL").get(), Bstr(*query).get(),
                             WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, nullptr,
                             results.put());
    if (FAILED(hr)) return failed(L"WMI query", hr);

    unsigned count = 0;
    for (;;) {
        IWbemClassObject* batch[16] = {};
        ULONG returned = 0;
        hr = results->Next(static_cast<long>(WBEM_INFINITE), 16, batch, &returned);
        for (ULONG i = 0; i < returned; ++i) batch[i]->Release();
        count += returned;
        if (FAILED(hr)) return failed(L"WMI result", hr);
        if (hr == WBEM_S_FALSE || returned == 0) break;
    }
    return {count ? ProbeOutcome::Found : ProbeOutcome::NotFound, count, {}};
}

}  // namespace kovalt::platform
