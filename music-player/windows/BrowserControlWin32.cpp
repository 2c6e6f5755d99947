// The system's web browser control in a window of ours: an in-place OLE
// container (client site, in-place site and frame) over the custom window's
// native window. The control draws into a child window of its own; our
// window only tells it where (the centre of the frame).
#include <windows.h>
#include <exdisp.h>
#include <ole2.h>
#include <oleidl.h>

#include <string>

#include "common/TextCodec.h"
#include "music-player/windows/BrowserControl.h"
#include "platform/gui/win32/Win32CustomWindow.h"

namespace vantu {

namespace {

// The page engine the control shows pages with; without it a page shows
// nothing.
constexpr CLSID kHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
// Navigation flags: do not read from the cache.
constexpr SHORT kNoReadFromCache = 4;

std::wstring Wide(const std::string& utf8) {
  auto text = common::Utf8ToUtf16(utf8);
  return text ? std::wstring(text->begin(), text->end()) : std::wstring();
}

bool HasPageEngine() {
  IUnknown* document = nullptr;
  if (FAILED(CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&document))) ||
      !document) {
    return false;
  }
  document->Release();
  return true;
}

// The container's side of the control: one object with the three
// interfaces the control asks its site for. Its life is the window's (the
// control's references are released before it goes).
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  Site(HWND host, RECT place) : host_(host), place_(place) {}
  void SetPlace(const RECT& place) { place_ = place; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  // The site lives as long as the control that holds it.
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (both in-place interfaces)
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = host_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame) {
      *frame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    if (document) *document = nullptr;
    if (position) *position = place_;
    if (clip) *clip = place_;
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = host_;
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow / IOleInPlaceFrame: no menus or tool space of ours.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND host_;
  RECT place_;
  ULONG refs_ = 1;
};

class Win32BrowserControl final : public BrowserControl {
 public:
  explicit Win32BrowserControl(HWND host) : site_(host, RECT{0, 0, 1, 1}), host_(host) {}
  ~Win32BrowserControl() override {
    if (browser_) {
      browser_->Stop();
      browser_->Release();
    }
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
      object_->Release();
    }
  }

  bool Start() {
    pageEngine_ = HasPageEngine();
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object_))) ||
        !object_) {
      object_ = nullptr;
      return false;
    }
    if (FAILED(object_->SetClientSite(static_cast<IOleClientSite*>(&site_)))) return false;
    OleSetContainedObject(object_, TRUE);
    RECT place{0, 0, 1, 1};
    if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(&site_), 0, host_,
                               &place))) {
      return false;
    }
    if (FAILED(object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))) || !browser_) {
      browser_ = nullptr;
      return false;
    }
    return true;
  }

  bool Navigate(const std::string& address) override {
    if (!browser_ || !pageEngine_) return false;
    BSTR url = SysAllocString(Wide(address).c_str());
    if (!url) return false;
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I2;
    flags.iVal = kNoReadFromCache;
    VARIANT none;
    VariantInit(&none);
    const HRESULT hr = browser_->Navigate(url, &flags, &none, &none, &none);
    SysFreeString(url);
    return SUCCEEDED(hr);
  }

  void SetBounds(const gui::Rect& r) override {
    const RECT place{r.left, r.top, r.left + r.width, r.top + r.height};
    site_.SetPlace(place);
    if (!object_) return;
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) && inPlace) {
      inPlace->SetObjectRects(&place, &place);
      inPlace->Release();
    }
  }

  void SetVisible(bool on) override {
    if (browser_) browser_->put_Visible(on ? VARIANT_TRUE : VARIANT_FALSE);
    IOleWindow* window = nullptr;
    if (object_ && SUCCEEDED(object_->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) && window) {
      HWND hwnd = nullptr;
      if (SUCCEEDED(window->GetWindow(&hwnd)) && hwnd) ShowWindow(hwnd, on ? SW_SHOWNA : SW_HIDE);
      window->Release();
    }
  }

  bool CanShowPages() const override { return browser_ && pageEngine_; }

 private:
  Site site_;
  HWND host_;
  IOleObject* object_ = nullptr;
  IWebBrowser2* browser_ = nullptr;
  bool pageEngine_ = false;
};

}  // namespace

std::unique_ptr<BrowserControl> CreateBrowserControl(gui::CustomWindow& host) {
  if (!host.peer()) return nullptr;
  HWND hwnd = gui::win32::CustomWindowHandle(*host.peer());
  if (!hwnd) return nullptr;
  auto control = std::make_unique<Win32BrowserControl>(hwnd);
  if (!control->Start()) return nullptr;
  return control;
}

}  // namespace vantu
