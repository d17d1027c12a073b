#include "platform/process_query.h"

#include <windows.h>
#include <wbemcli.h>

#include <functional>

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

namespace {
// Runs the query for the watched name on a fresh binding and hands each object found to
// `each`; the step that failed and its HRESULT otherwise. Nothing is held when it returns.
ProbeResult query(const std::wstring& name, const wchar_t* columns,
                  const std::function<void(IWbemClassObject&)>& each) {
    auto text = processQueryText(name, ::GetCurrentProcessId(), columns);
    if (!text) return {ProbeOutcome::NotFound, 0, {}};

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
    hr = services->ExecQuery(Bstr(L"WQL").get(), Bstr(*text).get(),
                             WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, nullptr,
                             results.put());
    if (FAILED(hr)) return failed(L"WMI query", hr);

    unsigned count = 0;
    for (;;) {
        IWbemClassObject* batch[16] = {};
        ULONG returned = 0;
        hr = results->Next(static_cast<long>(WBEM_INFINITE), 16, batch, &returned);
        for (ULONG i = 0; i < returned; ++i) {
            if (each) each(*batch[i]);
            batch[i]->Release();
        }
        count += returned;
        if (FAILED(hr)) return failed(L"WMI result", hr);
        if (hr == WBEM_S_FALSE || returned == 0) break;
    }
    return {count ? ProbeOutcome::Found : ProbeOutcome::NotFound, count, {}};
}

std::optional<std::wstring> textOf(IWbemClassObject& object, const wchar_t* column) {
    VARIANT value;
    ::VariantInit(&value);
    std::optional<std::wstring> text;
    if (SUCCEEDED(object.Get(column, 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR &&
        value.bstrVal)
        text = value.bstrVal;
    ::VariantClear(&value);
    return text;
}

unsigned long idOf(IWbemClassObject& object) {
    VARIANT value;
    ::VariantInit(&value);
    unsigned long id = 0;
    if (SUCCEEDED(object.Get(L"ProcessId", 0, &value, nullptr, nullptr)) &&
        (value.vt == VT_I4 || value.vt == VT_UI4))
        id = value.ulVal;
    ::VariantClear(&value);
    return id;
}

std::wstring folderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);  // C:\ keeps its backslash
}
}  // namespace

ProbeResult checkProcessRunning(const std::wstring& name, bool withIds) {
    if (!withIds) return query(name, L"Name", {});
    std::vector<unsigned long> ids;
    ProbeResult result =
        query(name, L"ProcessId", [&](IWbemClassObject& o) { ids.push_back(idOf(o)); });
    if (result.error.ok()) result.ids = std::move(ids);
    return result;
}

std::optional<ProcessDetails> processDetails(const std::wstring& name) {
    std::optional<ProcessDetails> first;
    query(name, L"ProcessId, CommandLine, ExecutablePath", [&](IWbemClassObject& o) {
        if (first) return;
        first = ProcessDetails{idOf(o), textOf(o, L"CommandLine").value_or(L""), {}};
        std::optional<std::wstring> path = textOf(o, L"ExecutablePath");
        if (!path) {
            // Not every WMI provider fills the column in; the process itself tells.
            const UniqueHandle process(
                ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, first->id));
            wchar_t buffer[MAX_PATH * 4];
            DWORD size = MAX_PATH * 4;
            if (process && ::QueryFullProcessImageNameW(process.get(), 0, buffer, &size))
                path.emplace(buffer, size);
        }
        // Wine leaves the command line empty for other processes; the program alone is then
        // the best command to offer.
        if (first->commandLine.empty() && path) first->commandLine = L"\"" + *path + L"\"";
        first->folder = folderOf(path.value_or(L""));
    });
    return first;
}

UniqueHandle openToWait(unsigned long id) {
    return UniqueHandle(::OpenProcess(SYNCHRONIZE, FALSE, id));
}

}  // namespace kovalt::platform
