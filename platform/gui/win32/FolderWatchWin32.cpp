// Folder change notifications: FindFirstChangeNotificationW waited on by a
// worker thread, which hands each burst of changes to the GUI thread.
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

#include "platform/gui/Application.h"
#include "platform/gui/FolderWatch.h"
#include "platform/gui/win32/ShellWin32.h"
#include "platform/gui/win32/Win32Peer.h"

namespace gui::win32 {

namespace {

// What the worker and the GUI thread share; `watch` is read and cleared on
// the GUI thread only.
struct WatchState {
  FolderWatch* watch = nullptr;
  std::atomic<bool> pending{false};
};

class FolderWatchPeer : public Peer {
 public:
  explicit FolderWatchPeer(FolderWatch& watch) : state_(std::make_shared<WatchState>()) {
    state_->watch = &watch;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    change_ = FindFirstChangeNotificationW(W(watch.Folder()).c_str(), watch.WatchSubtree(),
                                           FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    if (change_ == INVALID_HANDLE_VALUE || !stop_) return;  // a folder that cannot be watched reports nothing
    worker_ = std::thread([state = state_, queue = App().WorkerQueue(), change = change_, stop = stop_] {
      HANDLE handles[2] = {change, stop};
      while (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) {
        if (!state->pending.exchange(true)) {
          queue->PostCall([state] {
            state->pending = false;
            if (state->watch) state->watch->Changed();
          });
        }
        if (!FindNextChangeNotification(change)) break;
      }
    });
  }
  ~FolderWatchPeer() override {
    state_->watch = nullptr;
    if (stop_) SetEvent(stop_);
    if (worker_.joinable()) worker_.join();
    if (change_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change_);
    if (stop_) CloseHandle(stop_);
  }
  void Changed(Change, int) override {}

 private:
  std::shared_ptr<WatchState> state_;
  HANDLE change_ = INVALID_HANDLE_VALUE;
  HANDLE stop_ = nullptr;
  std::thread worker_;
};

}  // namespace

std::unique_ptr<Peer> CreateFolderWatchPeerWin32(FolderWatch& watch) { return std::make_unique<FolderWatchPeer>(watch); }

}  // namespace gui::win32
