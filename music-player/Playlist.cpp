#include "music-player/Playlist.h"

#include <algorithm>
#include <chrono>

#include "common/ByteOrder.h"

namespace vantu {

std::optional<std::string> FileNameOf(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace playlist_file {

ReadResult Parse(std::span<const std::uint8_t> bytes, std::size_t limit) {
  ReadResult out;
  std::uint32_t raw = 0;
  if (!common::ReadLE32(bytes, 0, raw)) {
    out.damaged = true;
    return out;
  }
  const std::int32_t count = static_cast<std::int32_t>(raw);
  if (count < 0) {  // no file of ours has a negative count
    out.damaged = true;
    return out;
  }
  std::size_t at = 4;
  auto readString = [&](std::string& s) {
    std::uint32_t n = 0;
    if (!common::ReadLE32(bytes, at, n) || n > kMaxString || !common::Fits(bytes.size(), at + 4, n)) return false;
    s.assign(reinterpret_cast<const char*>(bytes.data() + at + 4), n);
    at += 4 + n;
    return true;
  };
  for (std::int32_t i = 0; i < count && out.entries.size() < limit; ++i) {
    CPlaylistEntry e;
    if (!readString(e.name) || !readString(e.path) || !readString(e.title)) {
      out.damaged = true;
      break;
    }
    out.entries.push_back(std::move(e));
  }
  return out;
}

std::vector<std::uint8_t> Encode(const std::vector<const CPlaylistEntry*>& entries) {
  std::vector<std::uint8_t> out(4);
  common::StoreLE32(out.data(), static_cast<std::uint32_t>(entries.size()));
  auto put = [&](const std::string& s) {
    const std::size_t at = out.size();
    out.resize(at + 4 + s.size());
    common::StoreLE32(out.data() + at, static_cast<std::uint32_t>(s.size()));
    std::copy(s.begin(), s.end(), out.begin() + static_cast<std::ptrdiff_t>(at + 4));
  };
  for (const auto* e : entries) {
    put(e->name);
    put(e->path);
    put(e->title);
  }
  return out;
}

}  // namespace playlist_file

CPlaylist::CPlaylist()
    : random_(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {}

bool CPlaylist::AddEntry(std::unique_ptr<CPlaylistEntry> entry) {
  if (!entry) return false;
  if (Count() > kMaxEntries - 1) {
    if (ShowMessage) ShowMessage("Max 1000 File");
    return false;
  }
  entries_.push_back(std::move(entry));
  ++revision_;
  return true;
}

bool CPlaylist::CheckPath(const std::string& path) {
  if (path.size() <= playlist_file::kMaxString) return true;
  if (ShowMessage) ShowMessage(kPathTooLongText + std::string("\n") + FileNameOf(path).value_or(""));
  return false;
}

bool CPlaylist::AddFile(const std::string& path) {
  if (!CheckPath(path)) return true;
  auto e = std::make_unique<CPlaylistEntry>();
  e->name = e->title = FileNameOf(path).value_or("");
  e->path = path;
  AddEntry(std::move(e));  // a refused entry is dropped here
  return true;
}

CPlaylist::LoadResult CPlaylist::LoadPlaylistFile(const common::Path& file) {
  auto opened = common::File::OpenFile(file, common::File::Open::kRead);
  if (!opened) return LoadResult::kCannotOpen;
  auto size = opened->Size();
  if (!size) return LoadResult::kCannotOpen;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(*size, playlist_file::kMaxReadBytes)));
  auto got = opened->ReadFull(bytes);
  if (!got || *got != bytes.size()) return LoadResult::kCannotOpen;
  // One entry past the room left, so a too-long file shows the limit message.
  const std::size_t room = static_cast<std::size_t>(kMaxEntries - Count()) + 1;
  auto parsed = playlist_file::Parse(bytes, room);
  if (parsed.damaged) return LoadResult::kDamaged;
  for (auto& e : parsed.entries)
    if (!AddEntry(std::make_unique<CPlaylistEntry>(std::move(e)))) break;  // the message once
  return LoadResult::kLoaded;
}

bool CPlaylist::SavePlaylistFile(const common::Path& file) const {
  std::vector<const CPlaylistEntry*> all;
  for (const auto& e : entries_) all.push_back(e.get());
  return common::WriteFileAtomically(file, playlist_file::Encode(all)).ok();
}

CPlaylistEntry* CPlaylist::GetEntry(int index) {
  return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].get() : nullptr;
}
const CPlaylistEntry* CPlaylist::GetEntry(int index) const {
  return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)].get() : nullptr;
}

void CPlaylist::SelectNone() {
  for (auto& e : entries_) e->selected = false;
}
void CPlaylist::SelectAll() {
  for (auto& e : entries_) e->selected = true;
}
void CPlaylist::InvertSelection() {
  for (auto& e : entries_) e->selected = !e->selected;
}
void CPlaylist::SelectOnly(int index) {
  if (index < 0) return;
  SelectNone();
  if (auto* e = GetEntry(index)) e->selected = true;
}
void CPlaylist::ToggleSelected(int index) {
  if (auto* e = GetEntry(index)) e->selected = !e->selected;
}
void CPlaylist::SelectRange(int a, int b) {
  const int lo = std::min(a, b), hi = std::max(a, b);
  for (int i = 0; i < Count(); ++i) entries_[static_cast<std::size_t>(i)]->selected = i >= lo && i <= hi;
}
bool CPlaylist::IsSelected(int index) const {
  const auto* e = GetEntry(index);
  return e && e->selected;
}
int CPlaylist::FirstSelected() const {
  for (int i = 0; i < Count(); ++i)
    if (IsSelected(i)) return i;
  return -1;
}
int CPlaylist::LastSelected() const {
  for (int i = Count() - 1; i >= 0; --i)
    if (IsSelected(i)) return i;
  return -1;
}

bool CPlaylist::MoveSelection(int delta) {
  const int first = FirstSelected(), last = LastSelected();
  if (first < 0) return false;
  const CPlaylistEntry* current = GetEntry(current_);
  auto begin = entries_.begin();
  if (delta > 0) {
    if (last == Count() - 1) return false;
    const int n = std::min(delta, Count() - 1 - last);
    for (int i = last; i >= first; --i)
      if (IsSelected(i)) std::rotate(begin + i, begin + i + 1, begin + i + n + 1);
  } else {
    if (first == 0) return false;
    const int n = std::min(first, -delta);
    for (int i = first; i <= last; ++i)
      if (IsSelected(i)) std::rotate(begin + i - n, begin + i, begin + i + 1);
  }
  if (current)
    for (int i = 0; i < Count(); ++i)
      if (entries_[static_cast<std::size_t>(i)].get() == current) current_ = i;
  ++revision_;
  return true;
}

int CPlaylist::RemoveSelected() {
  const CPlaylistEntry* current = GetEntry(current_);
  int removed = 0;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if ((*it)->selected) {
      if (it->get() == current) current = nullptr;
      it = entries_.erase(it);
      ++removed;
    } else {
      ++it;
    }
  }
  current_ = -1;
  if (current)
    for (int i = 0; i < Count(); ++i)
      if (entries_[static_cast<std::size_t>(i)].get() == current) current_ = i;
  if (removed) ++revision_;
  return removed;
}

void CPlaylist::Clear() {
  if (!entries_.empty()) ++revision_;
  entries_.clear();
  current_ = -1;
}

std::optional<std::string> CPlaylist::PathAt(int index) const {
  const auto* e = GetEntry(index);
  return e ? std::optional<std::string>(e->path) : std::nullopt;
}

std::optional<std::string> CPlaylist::StartPath() {
  if (entries_.empty()) return std::nullopt;
  const int first = FirstSelected();
  current_ = first >= 0 ? first : 0;
  return PathAt(current_);
}

std::optional<std::string> CPlaylist::NextPath() {
  if (entries_.empty()) return std::nullopt;
  current_ = current_ + 1 >= Count() || current_ < -1 ? 0 : current_ + 1;
  return PathAt(current_);
}

std::optional<std::string> CPlaylist::PrevPath() {
  if (entries_.empty()) return std::nullopt;
  current_ = current_ - 1 < 0 || current_ > Count() ? Count() - 1 : current_ - 1;
  return PathAt(current_);
}

std::optional<std::string> CPlaylist::RandomPath() {
  if (entries_.empty()) return std::nullopt;
  current_ = static_cast<int>(random_() % static_cast<std::uint32_t>(Count()));
  return PathAt(current_);
}

std::optional<std::string> CPlaylist::CurrentTitle() const {
  const auto* e = GetEntry(current_);
  return e ? std::optional<std::string>(e->title) : std::nullopt;
}

}  // namespace vantu
