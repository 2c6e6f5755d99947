#include "platform/gui/FileDialog.h"

#include "platform/gui/Application.h"

namespace gui {

std::vector<FileFilter> ParseFilterText(std::string_view text) {
  std::vector<std::string_view> parts;
  while (!text.empty()) {
    const auto bar = text.find('|');
    parts.push_back(text.substr(0, bar));
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
  std::vector<FileFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i + 1].empty()) continue;
    filters.push_back(FileFilter{std::string(parts[i]), std::string(parts[i + 1])});
  }
  return filters;
}

bool FileDialog::Execute() {
  request_.owner = owner_;
  if (request_.filterIndex < 1 || request_.filterIndex > static_cast<int>(request_.filters.size())) {
    request_.filterIndex = 1;
  }
  if (request_.save) request_.multiSelect = false;
  FileDialogAnswer answer;
  {
    ModalScope shown(ModalKind::kFileDialog, {});
    answer = App().backend().ShowFileDialog(request_);
  }
  if (!answer.ok || answer.paths.empty()) return false;
  files_ = answer.paths;
  request_.fileName = files_.front();
  request_.filterIndex = answer.filterIndex;
  return true;
}

bool FolderDialog::Execute() {
  request_.owner = owner_;
  FolderDialogAnswer answer;
  {
    ModalScope shown(ModalKind::kFolderDialog, {});
    answer = App().backend().ShowFolderDialog(request_);
  }
  if (!answer.ok || answer.path.empty()) return false;
  request_.initialFolder = answer.path;
  return true;
}

}  // namespace gui
