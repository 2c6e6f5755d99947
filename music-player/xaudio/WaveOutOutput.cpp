// The Windows output: waveOut with a ring of buffers and an event callback.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "music-player/xaudio/Xaudio.h"

namespace xaudio {

namespace {

constexpr int kBuffers = 4;
constexpr int kBufferMs = 100;
// No wait for the device is longer than this; a device that takes longer
// has failed.
constexpr DWORD kDeviceWaitMs = 3000;

class WaveOutOutput : public AudioOutput {
 public:
  WaveOutOutput() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  ~WaveOutOutput() override {
    Close();
    if (event_) CloseHandle(event_);
  }

  bool Open(int sampleRate, int channels) override {
    Close();
    if (!event_ || sampleRate <= 0 || channels < 1 || channels > 2) return false;
    WAVEFORMATEX fmt{};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = static_cast<WORD>(channels);
    fmt.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = static_cast<WORD>(channels * 2);
    fmt.nAvgBytesPerSec = fmt.nSamplesPerSec * fmt.nBlockAlign;
    if (waveOutOpen(&device_, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(event_), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
      device_ = nullptr;
      return false;
    }
    const std::size_t samples = static_cast<std::size_t>(sampleRate) * channels * kBufferMs / 1000;
    for (auto& b : buffers_) {
      b.data.assign(samples, 0);
      b.header = WAVEHDR{};
      b.header.lpData = reinterpret_cast<LPSTR>(b.data.data());
      b.header.dwBufferLength = static_cast<DWORD>(samples * 2);
      waveOutPrepareHeader(device_, &b.header, sizeof(WAVEHDR));
      b.header.dwFlags |= WHDR_DONE;  // free
    }
    current_ = 0;
    fill_ = 0;
    return true;
  }

  bool Write(const std::int16_t* samples, std::size_t count) override {
    if (!device_) return false;
    while (count > 0) {
      Buffer& b = buffers_[current_];
      if (fill_ == 0 && !WaitFree(b)) return false;
      const std::size_t n = std::min(count, b.data.size() - fill_);
      std::memcpy(b.data.data() + fill_, samples, n * 2);
      fill_ += n;
      samples += n;
      count -= n;
      if (fill_ == b.data.size() && !Submit()) return false;
    }
    return true;
  }

  void Pause() override {
    if (device_) waveOutPause(device_);
  }
  void Resume() override {
    if (device_) waveOutRestart(device_);
  }
  void Flush() override {
    if (!device_) return;
    waveOutReset(device_);
    fill_ = 0;
  }
  void Drain() override {
    if (!device_) return;
    if (fill_ > 0) Submit();
    for (auto& b : buffers_)
      if (!WaitFree(b)) break;
  }
  void Close() override {
    if (!device_) return;
    waveOutReset(device_);
    for (auto& b : buffers_) waveOutUnprepareHeader(device_, &b.header, sizeof(WAVEHDR));
    waveOutClose(device_);
    device_ = nullptr;
  }

 private:
  struct Buffer {
    std::vector<std::int16_t> data;
    WAVEHDR header{};
  };

  bool WaitFree(Buffer& b) {
    const DWORD start = GetTickCount();
    while (!(b.header.dwFlags & WHDR_DONE)) {
      const DWORD waited = GetTickCount() - start;
      if (waited >= kDeviceWaitMs) return false;
      WaitForSingleObject(event_, kDeviceWaitMs - waited);
    }
    return true;
  }
  bool Submit() {
    Buffer& b = buffers_[current_];
    b.header.dwBufferLength = static_cast<DWORD>(fill_ * 2);
    b.header.dwFlags &= ~WHDR_DONE;
    if (waveOutWrite(device_, &b.header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      b.header.dwFlags |= WHDR_DONE;
      return false;
    }
    current_ = (current_ + 1) % kBuffers;
    fill_ = 0;
    return true;
  }

  HANDLE event_ = nullptr;
  HWAVEOUT device_ = nullptr;
  std::array<Buffer, kBuffers> buffers_;
  int current_ = 0;
  std::size_t fill_ = 0;
};

}  // namespace

std::unique_ptr<AudioOutput> CreateSystemOutput() { return std::make_unique<WaveOutOutput>(); }

}  // namespace xaudio
