// Watches a PC folder (and optionally its whole subtree) for files and
// folders being added, removed or renamed, and runs OnChange on the GUI
// thread. A burst of changes that arrives while the GUI thread is busy
// runs OnChange once. Headless runs report a change when the test calls
// HeadlessBackend::NotifyFolderChanged.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Backend.h"

namespace gui {

class Form;

class FolderWatch {
 public:
  explicit FolderWatch(Form* owner) : owner_(owner) {}
  ~FolderWatch() = default;
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  Form* Owner() const { return owner_; }
  const std::string& Folder() const { return folder_; }
  void SetFolder(std::string folder);
  bool WatchSubtree() const { return subtree_; }
  void SetWatchSubtree(bool on);
  bool Active() const { return active_; }
  void SetActive(bool on);

  // For backends: something in the folder changed. Runs OnChange while the
  // watch is active.
  void Changed();

  std::function<void()> OnChange;

 private:
  void Restart();
  Form* owner_;
  std::string folder_;
  bool subtree_ = false;
  bool active_ = false;
  std::unique_ptr<Peer> peer_;
};

}  // namespace gui
