// JPEG pictures through the Windows Imaging Component: the decoder from the
// data in memory, its first frame converted to 32-bit BGR. Also the
// program's RCDATA resources that hold picture files.
#include <windows.h>
#include <wincodec.h>

#include <string>

#include "common/TextCodec.h"
#include "platform/gui/Picture.h"

namespace gui {

namespace {

template <class T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

// COM for this thread while a picture is decoded (any apartment will do).
struct ComScope {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

common::Error Failed(const char* step, HRESULT hr) {
  char code[16];
  wsprintfA(code, "%08lX", static_cast<unsigned long>(hr));
  return common::Error{22, std::string("JPEG: ") + step + " (WIC 0x" + code + ")"};
}

}  // namespace

common::Result<Bitmap> detail::DecodeJpeg(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 3 || bytes.size() > 0x7FFFFFFF) return common::Error{20, "JPEG data too short"};
  ComScope com;
  ComRef<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return Failed("no imaging component", hr);
  ComRef<IWICStream> stream;
  if (FAILED(hr = factory->CreateStream(&stream))) return Failed("stream", hr);
  if (FAILED(hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())))) {
    return Failed("stream", hr);
  }
  ComRef<IWICBitmapDecoder> decoder;
  if (FAILED(hr = factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder))) {
    return Failed("not a picture", hr);
  }
  ComRef<IWICBitmapFrameDecode> frame;
  if (FAILED(hr = decoder->GetFrame(0, &frame))) return Failed("no frame", hr);
  UINT width = 0, height = 0;
  if (FAILED(hr = frame->GetSize(&width, &height))) return Failed("size", hr);
  if (width == 0 || height == 0 || width > static_cast<UINT>(Dib::kMaxSide) ||
      height > static_cast<UINT>(Dib::kMaxSide) ||
      static_cast<unsigned long long>(width) * height > static_cast<unsigned long long>(Bitmap::kMaxPixels)) {
    return common::Error{21, "JPEG: picture too large"};
  }
  ComRef<IWICBitmapSource> converted;
  if (FAILED(hr = WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.p, &converted))) {
    return Failed("pixel format", hr);
  }
  std::vector<BYTE> pixels(static_cast<std::size_t>(width) * height * 4);
  if (FAILED(hr = converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data()))) {
    return Failed("damaged data", hr);
  }
  Bitmap out(static_cast<int>(width), static_cast<int>(height));
  for (UINT y = 0; y < height; ++y) {
    const BYTE* row = pixels.data() + static_cast<std::size_t>(y) * width * 4;
    for (UINT x = 0; x < width; ++x) {
      const BYTE* p = row + x * 4;
      out.SetPixel(static_cast<int>(x), static_cast<int>(y), Rgb(p[2], p[1], p[0]));
    }
  }
  return out;
}

}  // namespace gui

namespace gui::detail {

// The program's RCDATA resource: its bytes stay mapped with the module.
std::optional<std::span<const std::uint8_t>> ProgramResource(const std::string& name) {
  auto wide = common::Utf8ToUtf16(name);
  if (!wide || wide->empty()) return std::nullopt;
  const std::wstring resourceName(wide->begin(), wide->end());
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, resourceName.c_str(), reinterpret_cast<LPCWSTR>(RT_RCDATA));
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return std::nullopt;
  return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size);
}

}  // namespace gui::detail
