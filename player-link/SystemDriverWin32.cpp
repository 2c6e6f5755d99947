// The USB function driver's devices through the Win32 device calls, and the
// choice of the process's driver.
#include <windows.h>

#include <array>

#include "player-link/BridgeDriver.h"
#include "player-link/Protocol.h"

namespace playerlink {

namespace {

class UsbSession : public DriverSession {
 public:
  ~UsbSession() override {
    for (Device d : {Device::kInPipe, Device::kOutPipe, Device::kControl}) Close(d);
  }

  bool Open(Device device) override {
    Close(device);
    const HANDLE h = CreateFileA(PathOf(device), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handles_[Index(device)] = h;
    return true;
  }

  void Close(Device device) override {
    HANDLE& h = handles_[Index(device)];
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }

  bool IsOpen(Device device) const override { return handles_[Index(device)] != INVALID_HANDLE_VALUE; }
  std::uintptr_t NativeHandle(Device device) const override {
    return reinterpret_cast<std::uintptr_t>(handles_[Index(device)]);
  }

  std::optional<std::size_t> Control(std::span<std::uint8_t> buffer, std::size_t requestSize) override {
    DWORD returned = 0;
    if (!DeviceIoControl(handles_[Index(Device::kControl)], kCommandControlCode, buffer.data(),
                         static_cast<DWORD>(requestSize), buffer.data(), static_cast<DWORD>(buffer.size()),
                         &returned, nullptr)) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(returned);
  }

  std::optional<std::size_t> Write(std::span<const std::uint8_t> data) override {
    DWORD written = 0;
    if (!WriteFile(handles_[Index(Device::kOutPipe)], data.data(), static_cast<DWORD>(data.size()), &written,
                   nullptr)) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(written);
  }

  std::optional<std::size_t> Read(std::span<std::uint8_t> data) override {
    DWORD read = 0;
    if (!ReadFile(handles_[Index(Device::kInPipe)], data.data(), static_cast<DWORD>(data.size()), &read, nullptr)) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(read);
  }

 private:
  static std::size_t Index(Device d) { return static_cast<std::size_t>(d); }
  static const char* PathOf(Device d) {
    switch (d) {
      case Device::kControl: return kControlDevicePath;
      case Device::kInPipe: return kInPipePath;
      case Device::kOutPipe: return kOutPipePath;
    }
    return kControlDevicePath;
  }

  std::array<HANDLE, 3> handles_{INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
};

// Reads on an in pipe that another part of the program opened; the handle
// stays theirs.
class BorrowedInPipe : public DriverSession {
 public:
  explicit BorrowedInPipe(HANDLE pipe) : pipe_(pipe) {}
  bool Open(Device device) override { return device == Device::kInPipe; }
  void Close(Device device) override {
    if (device == Device::kInPipe) pipe_ = INVALID_HANDLE_VALUE;
  }
  bool IsOpen(Device device) const override { return device == Device::kInPipe && pipe_ != INVALID_HANDLE_VALUE; }
  std::uintptr_t NativeHandle(Device device) const override {
    return device == Device::kInPipe ? reinterpret_cast<std::uintptr_t>(pipe_) : 0;
  }
  std::optional<std::size_t> Control(std::span<std::uint8_t>, std::size_t) override { return std::nullopt; }
  std::optional<std::size_t> Write(std::span<const std::uint8_t>) override { return std::nullopt; }
  std::optional<std::size_t> Read(std::span<std::uint8_t> data) override {
    DWORD read = 0;
    if (pipe_ == INVALID_HANDLE_VALUE ||
        !ReadFile(pipe_, data.data(), static_cast<DWORD>(data.size()), &read, nullptr)) {
      return std::nullopt;
    }
    return static_cast<std::size_t>(read);
  }

 private:
  HANDLE pipe_;
};

class UsbDriver : public Driver {
 public:
  std::unique_ptr<DriverSession> NewSession() override { return std::make_unique<UsbSession>(); }
  std::unique_ptr<DriverSession> ShareInPipe(std::uintptr_t nativeHandle) override {
    const auto pipe = reinterpret_cast<HANDLE>(nativeHandle);
    if (pipe == nullptr || pipe == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<BorrowedInPipe>(pipe);
  }
};

std::unique_ptr<Driver> MakeSystemDriver() {
  if (auto bridge = BridgeFromEnvironment()) return bridge;
  return std::make_unique<UsbDriver>();
}

}  // namespace

Driver& SystemDriver() {
  static const std::unique_ptr<Driver> driver = MakeSystemDriver();
  return *driver;
}

}  // namespace playerlink
