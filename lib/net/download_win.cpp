// GetHttp and Download: the own client for mode 1, the system's URL download
// service for every other mode, with the library-wide progress object.
#include "net/http_client_win.h"
#include "net/http_core.h"
#include "net/loomnet.h"
#include "util/boundary.h"
#include "util/pending_file_win.h"

#include <urlmon.h>

#include <type_traits>

#if defined(_WIN32) && !defined(_WIN64)
// The caller's progress function cleans its own arguments off the stack.
static_assert(std::is_same_v<DownloadProgress, int(__stdcall *)(DWORD, DWORD, DWORD,
                                                                 const wchar_t *, int *)>,
              "DownloadProgress is __stdcall");
#endif

namespace {

// The progress function of the latest download through the URL download
// service.  Shared by the whole library, which assumes one calling thread.
DownloadProgress g_progress = nullptr;

// The one progress object of the library, handed to the URL download
// service when the caller gave a progress function.  It lives in static
// storage and is never destroyed, so its reference count only reports.
class BindStatusObject final : public IBindStatusCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
            AddRef();
            *object = static_cast<IBindStatusCallback *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&count_)); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(InterlockedDecrement(&count_)); }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override
    {
        int cancel = 0;
        if (g_progress)
            g_progress(progress, progressMax, statusCode, statusText, &cancel);
        return cancel ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD *, BINDINFO *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC *, STGMEDIUM *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown *) override { return S_OK; }

private:
    LONG count_ = 1;
};

BindStatusObject g_bindStatus;

// The service writes into a pending file beside the output file, which
// takes its place only when the service reports success.
int DownloadWithService(const char *url, const char *outPath, DownloadProgress progress)
{
    g_progress = progress;
    IBindStatusCallback *callback = progress ? &g_bindStatus : nullptr;
    if (!outPath)
        return URLDownloadToFileA(nullptr, url, nullptr, 0, callback) == S_OK ? 0 : -1;
    loom::PendingFile pending{std::string(outPath)};
    if (!pending.valid()) {
        SetLastError(pending.error());
        return -1;
    }
    const std::string temporary = pending.TemporaryAnsi();
    if (URLDownloadToFileA(nullptr, url, temporary.c_str(), 0, callback) != S_OK)
        return -1;
    return pending.Commit() ? 0 : -1;
}

int DownloadWithOwnClient(const char *host, const char *path, const char *outPath)
{
    return loom::FetchHttp(host, path, outPath) == 0 ? 0 : -1;
}

} // namespace

extern "C" {

int __cdecl GetHttp(const char *host, const char *path, const char *outPath,
                    DownloadProgress progress, int mode)
{
    return loom::CallGuarded(-1, [&] {
        auto url = loom::HttpUrl(host, path);
        if (!url)
            return -1;
        if (mode == 1)
            return DownloadWithOwnClient(host, path, outPath);
        return DownloadWithService(url->c_str(), outPath, progress);
    });
}

int __cdecl Download(const char *url, const char *outPath, DownloadProgress progress, int mode)
{
    return loom::CallGuarded(-1, [&] {
        if (mode != 1)
            return url ? DownloadWithService(url, outPath, progress) : -1;
        auto target = loom::SplitHttpUrl(url);
        if (!target)
            return -1;
        return DownloadWithOwnClient(target->host.c_str(), target->path.c_str(), outPath);
    });
}

} // extern "C"
