// The music player's playlist: up to 1000 files, each with a selection
// mark, the walk through it that playback uses, and its file ("*.lirn").
//
// Playlist file (little-endian): a signed 32-bit entry count (negative:
// damaged), then per entry three counted strings, name, path and title,
// each a 32-bit length and that many bytes of ANSI text without NUL. Marks
// and the current entry are not stored.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "common/File.h"

namespace vantu {

struct CPlaylistEntry {
  std::string name;   // shown in the list
  std::string path;   // handed to playback
  std::string title;  // shown as the track title
  bool selected = false;
};

// The part of a path after its last backslash (empty when it ends with one,
// the whole path when it holds none); none for an empty path.
std::optional<std::string> FileNameOf(const std::string& path);

namespace playlist_file {
constexpr std::size_t kMaxEntries = 1000;
constexpr std::uint32_t kMaxString = 1023;  // bytes of one counted string
// The most bytes that 1001 entries of the longest strings take: what is
// read of a file (the 1001st entry shows the limit message).
constexpr std::size_t kMaxReadBytes = 4 + (kMaxEntries + 1) * 3 * (4 + kMaxString);

struct ReadResult {
  std::vector<CPlaylistEntry> entries;
  // The count claimed more entries than the file holds whole, or a string
  // is longer than its limit or than what is left of the file.
  bool damaged = false;
};
// Parses a whole file; the entries before any damage, and whether there was
// damage. At most `limit` entries are kept.
ReadResult Parse(std::span<const std::uint8_t> bytes, std::size_t limit);
std::vector<std::uint8_t> Encode(const std::vector<const CPlaylistEntry*>& entries);
}  // namespace playlist_file

// A path longer than a playlist file's string (1023 bytes).
inline constexpr char kPathTooLongText[] = "파일 경로가 너무 길어 재생 목록에 넣지 못했습니다. (1023바이트까지)";

class CPlaylist {
 public:
  static constexpr int kMaxEntries = 1000;
  enum class LoadResult { kLoaded, kCannotOpen, kDamaged };

  CPlaylist();

  int Count() const { return static_cast<int>(entries_.size()); }
  int Current() const { return current_; }
  void SetCurrent(int index) { current_ = index; }

  // Appends; at 1000 entries shows "Max 1000 File" and gives false.
  bool AddEntry(std::unique_ptr<CPlaylistEntry> entry);
  // Appends a file by its path; a path longer than the playlist file can
  // hold is refused with a message, as is a 1001st entry. Gives true.
  bool AddFile(const std::string& path);
  // Whether AddFile takes the path; says why not.
  bool CheckPath(const std::string& path);

  // Appends the entries of a playlist file. A file that cannot be opened or
  // is damaged leaves the playlist as it was.
  LoadResult LoadPlaylistFile(const common::Path& file);
  // Writes every entry (atomically); false when the file cannot be written.
  bool SavePlaylistFile(const common::Path& file) const;

  CPlaylistEntry* GetEntry(int index);
  const CPlaylistEntry* GetEntry(int index) const;

  void SelectNone();
  void SelectAll();
  void InvertSelection();
  void SelectOnly(int index);
  void ToggleSelected(int index);
  void SelectRange(int a, int b);
  bool IsSelected(int index) const;
  int FirstSelected() const;
  int LastSelected() const;
  bool MoveSelection(int delta);
  int RemoveSelected();
  void Clear();

  std::optional<std::string> StartPath();
  std::optional<std::string> NextPath();
  std::optional<std::string> PrevPath();
  std::optional<std::string> RandomPath();
  std::optional<std::string> CurrentTitle() const;

  // Goes up with every change of the entries (not of marks or current).
  std::uint64_t Revision() const { return revision_; }
  void SeedRandom(std::uint32_t seed) { random_.seed(seed); }

  // Shows a message box; the application sets it (tests record it).
  std::function<void(const std::string& text)> ShowMessage;

 private:
  std::optional<std::string> PathAt(int index) const;
  std::vector<std::unique_ptr<CPlaylistEntry>> entries_;
  int current_ = -1;
  std::uint64_t revision_ = 0;
  std::minstd_rand random_;
};

}  // namespace vantu
