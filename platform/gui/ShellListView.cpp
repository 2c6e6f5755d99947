#include "platform/gui/ShellListView.h"

#include <algorithm>
#include <stdexcept>

#include "common/File.h"
#include "common/FolderList.h"
#include "platform/gui/Application.h"
#include "platform/gui/ShellInfo.h"

namespace gui {

using common::FolderEntry;

namespace {

constexpr int kBackspace = 8;

common::Path P(const std::string& utf8) { return common::PathFromUtf8(utf8); }

// The same folder, whatever separators and trailing separator it was
// written with.
std::string Normal(const std::string& path) {
  common::Path p = P(path).lexically_normal();
  if (p.has_relative_path() && !p.has_filename()) p = p.parent_path();
  return common::PathToUtf8(p);
}

bool SameFolder(const std::string& a, const std::string& b) { return !a.empty() && Normal(a) == Normal(b); }

bool IsRoot(const std::string& path) {
  const common::Path p = P(path).lexically_normal();
  return p.has_root_path() && !p.has_relative_path();
}

std::string LowerExtension(const std::string& name) {
  const auto dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return "?";
  std::string extension = name.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return extension;
}

}  // namespace

std::string ShellDisplayName(const ShellPlace& place, const std::string& desktopFolder) {
  if (place.kind == ShellPlace::Kind::kComputer) return kComputerName;
  if (SameFolder(place.path, desktopFolder)) return kDesktopName;
  if (IsRoot(place.path)) return GetShellInfo(place.path, true).displayName;
  return common::PathToUtf8(P(Normal(place.path)).filename());
}

bool ShellParent(const ShellPlace& place, const std::string& desktopFolder, ShellPlace& parent) {
  if (place.kind == ShellPlace::Kind::kComputer) {
    parent = ShellPlace::Folder(desktopFolder);
    return !desktopFolder.empty();
  }
  if (SameFolder(place.path, desktopFolder)) return false;
  if (IsRoot(place.path)) {
    parent = ShellPlace::Computer();
    return true;
  }
  parent = ShellPlace::Folder(common::PathToUtf8(P(Normal(place.path)).parent_path()));
  return true;
}

std::string ShellSizeText(std::uint64_t bytes) {
  std::string digits = std::to_string((bytes + 1023) / 1024);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
  return digits + " KB";
}

ShellListView::ShellListView(Control* parent) : ListView(parent) {
  SetOwnerData(true);
  SetMultiSelect(true);
  SetReadOnly(true);
  SetColumnClick(false);
  SetSmallImages(&small_);
  SetLargeImages(&large_);
  AddColumn({"이름", 200, Align::kLeft});
  AddColumn({"크기", 80, Align::kRight});
  AddColumn({"종류", 120, Align::kLeft});
  OnGetImage = [this](int index) { return PictureOf(index); };
  OnDblClick = [this](int index) {
    if (index >= 0) Open(index);
  };
  OnKeyDown = [this](int& key) {
    if (key == keys::kReturn && SelectedIndex() >= 0) Open(SelectedIndex());
    if (key == kBackspace) GoUp();
  };
  OnSelectItem = [this](int, bool) { Fire(OnChange); };
}

ShellListView::~ShellListView() = default;

const ShellEntry& ShellListView::Entry(int index) const {
  if (index < 0 || index >= static_cast<int>(entries_.size())) {
    throw std::out_of_range("shell list index out of bounds (" + std::to_string(index) + ")");
  }
  return entries_[static_cast<std::size_t>(index)];
}

common::Result<std::vector<ShellEntry>> ShellListView::List(const ShellPlace& place) {
  std::vector<ShellEntry> out;
  if (place.kind == ShellPlace::Kind::kComputer) {
    for (const std::string& drive : common::ListDrives()) out.push_back({ShellEntry::Kind::kDrive, drive, drive, 0});
    return out;
  }
  auto listed = common::ListFolder(P(place.path));
  if (!listed) return listed.error();
  // Sorted as CaptionLess orders names (ASCII letters without case, then
  // bytes), on keys folded once.
  struct Keyed {
    std::string key;
    FolderEntry* entry;
  };
  std::vector<Keyed> folders, files;
  for (auto& entry : *listed) {
    if (entry.hidden) continue;
    std::string key = entry.name;
    for (char& c : key) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    (entry.folder ? folders : files).push_back({std::move(key), &entry});
  }
  auto byKey = [](const Keyed& a, const Keyed& b) { return a.key < b.key; };
  std::stable_sort(folders.begin(), folders.end(), byKey);
  std::stable_sort(files.begin(), files.end(), byKey);
  std::string base = place.path;
  if (!base.empty() && base.back() != '/' && base.back() != static_cast<char>(common::Path::preferred_separator)) {
    base += static_cast<char>(common::Path::preferred_separator);
  }
  out.reserve(folders.size() + files.size() + 1);
  if (SameFolder(place.path, desktop_)) out.push_back({ShellEntry::Kind::kComputer, kComputerName, {}, 0});
  for (auto* group : {&folders, &files}) {
    for (Keyed& k : *group) {
      FolderEntry& e = *k.entry;
      std::string path = base + e.name;
      out.push_back({e.folder ? ShellEntry::Kind::kFolder : ShellEntry::Kind::kFile, std::move(e.name), std::move(path),
                     e.size});
    }
  }
  return out;
}

std::string ShellListView::TypeOf(const ShellEntry& entry) {
  switch (entry.kind) {
    case ShellEntry::Kind::kComputer: return {};
    case ShellEntry::Kind::kDrive: return GetShellInfo(entry.path, true).typeName;
    case ShellEntry::Kind::kFolder:
    case ShellEntry::Kind::kFile: break;
  }
  // The shell names types by extension: ask once per extension.
  const std::string key = entry.kind == ShellEntry::Kind::kFolder ? std::string() : LowerExtension(entry.name);
  auto it = types_.find(key);
  if (it == types_.end()) it = types_.emplace(key, GetShellInfo(entry.path, entry.IsFolder()).typeName).first;
  return it->second;
}

void ShellListView::Show(std::vector<ShellEntry> entries, const std::vector<std::string>& selectedNames) {
  std::vector<ListItem> rows;
  rows.reserve(entries.size());
  for (const ShellEntry& entry : entries) {
    ListItem row;
    row.caption = entry.kind == ShellEntry::Kind::kDrive ? GetShellInfo(entry.path, true).displayName : entry.name;
    row.subItems = {entry.kind == ShellEntry::Kind::kFile ? ShellSizeText(entry.size) : std::string(), TypeOf(entry)};
    row.imageIndex = kImageOnDemand;
    row.selected = std::find(selectedNames.begin(), selectedNames.end(), entry.name) != selectedNames.end();
    rows.push_back(std::move(row));
  }
  entries_ = std::move(entries);
  SetItems(std::move(rows));
}

int ShellListView::PictureOf(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return -1;
  const ShellEntry& entry = entries_[static_cast<std::size_t>(index)];
  Icon icon;
  if (entry.kind == ShellEntry::Kind::kComputer) icon = Icon{"shell:drive"};
  else icon = GetShellInfo(entry.path, entry.IsFolder()).icon;
  if (icon.empty()) return -1;
  // Both lists get every picture, so one index serves all view styles.
  const int at = small_.IndexOf(icon);
  large_.IndexOf(icon);
  return at;
}

void ShellListView::Watch() {
  if (place_.kind != ShellPlace::Kind::kFolder) {
    watch_.reset();
    return;
  }
  if (!watch_) {
    watch_ = std::make_unique<FolderWatch>(OwnerForm());
    watch_->OnChange = [this] { Refresh(); };
  }
  watch_->SetFolder(place_.path);
  watch_->SetActive(true);
}

void ShellListView::Changed() {
  for (const auto& follower : followers_) follower(place_);
  Fire(OnChange);
}

common::Result<void> ShellListView::SetPlace(const ShellPlace& place) {
  ShellPlace normal = place;
  if (normal.kind == ShellPlace::Kind::kFolder) normal.path = Normal(normal.path);
  auto entries = List(normal);
  if (!entries) return entries.error();
  place_ = std::move(normal);
  Show(std::move(*entries), {});
  ResetView();
  Watch();
  Changed();
  return common::Ok();
}

void ShellListView::Refresh() {
  std::vector<std::string> selected;
  for (int i : SelectedIndexes()) selected.push_back(entries_[static_cast<std::size_t>(i)].name);
  auto entries = List(place_);
  if (!entries) {
    // The folder went away: its nearest existing parent takes its place.
    ShellPlace up = place_;
    while (ShellParent(up, desktop_, up)) {
      if (SetPlace(up)) return;
    }
    Show({}, {});
    Fire(OnChange);
    return;
  }
  Show(std::move(*entries), selected);
  Fire(OnChange);
}

bool ShellListView::GoUp() {
  ShellPlace up;
  if (!ShellParent(place_, desktop_, up)) return false;
  if (auto shown = SetPlace(up); !shown) {
    App().MessageBox(shown.error().message, App().Title(), Buttons::kOk, MsgIcon::kError);
    return false;
  }
  return true;
}

bool ShellListView::Open(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size()) || !entries_[static_cast<std::size_t>(index)].IsFolder()) {
    return false;
  }
  const ShellPlace target = entries_[static_cast<std::size_t>(index)].Place();
  if (auto shown = SetPlace(target); !shown) {
    App().MessageBox(shown.error().message, App().Title(), Buttons::kOk, MsgIcon::kError);
    return false;
  }
  return true;
}

std::vector<std::string> ShellListView::SelectedPaths() const {
  std::vector<std::string> paths;
  for (int i : SelectedIndexes()) {
    const ShellEntry& entry = entries_[static_cast<std::size_t>(i)];
    if (entry.kind == ShellEntry::Kind::kFile || entry.kind == ShellEntry::Kind::kFolder) paths.push_back(entry.path);
  }
  return paths;
}

}  // namespace gui
