// A stand-in for the spreadsheet application's automation server, for the
// tests of the late-bound object model: a local server that serves the
// workbooks of a description file (see stand_in_model.h) through plain
// IDispatch objects and logs every call it receives, one line each:
//
//   <Object>.<Member> <GET|METHOD|PUT> [<positional value>...] [<Name>=<value>...]
//
// It ends when the last object is released, as the application does after
// Quit, and in any case a minute after it started.

#include <objbase.h>
#include <windows.h>

#include "stand_in_clsid.h"
#include "stand_in_object.h"

namespace {

using namespace stand_in;

class Factory : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        State().applicationMade = true;
        AppendLog(State().model, L"started");
        IDispatch* app = Make(Kind::Application);
        HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

// Started by COM as: stand_in_server.exe <description> -Embedding
int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    State().model = stand_in::ReadDescription(argv[1]);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    static Factory factory;
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(stand_in::kClsid, &factory, CLSCTX_LOCAL_SERVER,
                                     REGCLS_SINGLEUSE, &cookie))) {
        CoUninitialize();
        return 1;
    }
    // A test that died must not leave the server behind for long.
    SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    CoRevokeClassObject(cookie);
    AppendLog(State().model, L"ended");
    CoUninitialize();
    return 0;
}
