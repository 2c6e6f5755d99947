#include "platform/gui/FolderWatch.h"

#include "platform/gui/Application.h"

namespace gui {

void FolderWatch::SetFolder(std::string folder) {
  folder_ = std::move(folder);
  Restart();
}

void FolderWatch::SetWatchSubtree(bool on) {
  subtree_ = on;
  Restart();
}

void FolderWatch::SetActive(bool on) {
  active_ = on;
  Restart();
}

void FolderWatch::Restart() {
  peer_.reset();
  if (active_ && !folder_.empty() && Application::Exists()) peer_ = App().backend().CreateFolderWatchPeer(*this);
}

void FolderWatch::Changed() {
  if (active_) Fire(OnChange);
}

}  // namespace gui
