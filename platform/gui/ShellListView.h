// A list view of the PC's folders and files as the system shell shows
// them: one place at a time, folders first and then files, each sorted by
// name, hidden and system entries left out, with the columns "이름",
// "크기" and "종류" and shell icons fetched only for the rows drawn (the
// list holds its rows as owner data, so a folder of 10,000 files costs
// one listing). Besides folders it shows two places of its own: the
// desktop (the user's desktop folder, with "내 컴퓨터" as its first row)
// and "내 컴퓨터" (the PC's drives). Double-clicking a folder or pressing
// Enter on it opens it, Backspace goes up, typed letters select the next
// row that begins with them; a place opened starts at its top with no row
// focused. While it shows a folder, a folder watch lists the folder again
// when names in it change.
//
// A ShellTreeView and a ShellComboBox linked to the list follow its place
// and move it. The list sets its own OnDblClick, OnKeyDown and
// OnSelectItem; forms listen to OnChange.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/Result.h"
#include "platform/gui/FolderWatch.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/ListView.h"

namespace gui {

inline constexpr const char* kDesktopName = "바탕 화면";
inline constexpr const char* kComputerName = "내 컴퓨터";

// A place the shell views can show: a folder of the file system, or the
// list of the PC's drives.
struct ShellPlace {
  enum class Kind { kFolder, kComputer };
  Kind kind = Kind::kFolder;
  std::string path;  // kFolder: the folder (UTF-8)
  bool operator==(const ShellPlace&) const = default;

  static ShellPlace Folder(std::string path) { return {Kind::kFolder, std::move(path)}; }
  static ShellPlace Computer() { return {Kind::kComputer, {}}; }
};

// One row of a shell list.
struct ShellEntry {
  enum class Kind { kFile, kFolder, kDrive, kComputer };
  Kind kind = Kind::kFile;
  std::string name;  // the file or folder name; a drive's root ("C:\")
  std::string path;  // full path (empty for the computer)
  std::uint64_t size = 0;
  bool IsFolder() const { return kind != Kind::kFile; }
  ShellPlace Place() const {
    return kind == Kind::kComputer ? ShellPlace::Computer() : ShellPlace::Folder(path);
  }
};

// What the shell views call a place: "바탕 화면", "내 컴퓨터", a drive's
// shell name ("로컬 디스크 (C:)"), else the folder's own name.
std::string ShellDisplayName(const ShellPlace& place, const std::string& desktopFolder);
// The place above: a folder's parent, the computer above a drive, the
// desktop above the computer; false for the desktop, the top.
bool ShellParent(const ShellPlace& place, const std::string& desktopFolder, ShellPlace& parent);
// "12,345 KB": bytes / 1024 rounded up, thousands separated, as the
// shell writes file sizes.
std::string ShellSizeText(std::uint64_t bytes);

class ShellListView : public ListView {
 public:
  explicit ShellListView(Control* parent);
  ~ShellListView() override;

  // The root of the views; set before the first place is shown.
  const std::string& DesktopFolder() const { return desktop_; }
  void SetDesktopFolder(std::string folder) { desktop_ = std::move(folder); }

  const ShellPlace& Place() const { return place_; }
  // The folder shown (empty while the computer's drives are shown).
  std::string Folder() const { return place_.kind == ShellPlace::Kind::kFolder ? place_.path : std::string(); }
  // Shows a place; a folder that cannot be read keeps the place shown and
  // gives the error (a FileError with its text for the user).
  common::Result<void> SetPlace(const ShellPlace& place);
  // Lists the place again; selected rows stay selected by name.
  void Refresh();
  // Goes to the place above; false at the top.
  bool GoUp();
  // Opens the row's folder, drive or place; false for a file. A folder
  // that cannot be read is reported in a message box.
  bool Open(int index);

  const ShellEntry& Entry(int index) const;
  const std::vector<ShellEntry>& Entries() const { return entries_; }
  // The full paths of the selected rows that are files or folders.
  std::vector<std::string> SelectedPaths() const;

  // The place changed, the rows were listed again, or the user changed the
  // selection.
  std::function<void()> OnChange;

  // For the tree and the combo box linked to this list: told of every new
  // place.
  void AddFollower(std::function<void(const ShellPlace&)> follower) { followers_.push_back(std::move(follower)); }

 private:
  common::Result<std::vector<ShellEntry>> List(const ShellPlace& place);
  void Show(std::vector<ShellEntry> entries, const std::vector<std::string>& selectedNames);
  int PictureOf(int index);
  std::string TypeOf(const ShellEntry& entry);
  void Watch();
  void Changed();

  std::string desktop_;
  ShellPlace place_;
  std::vector<ShellEntry> entries_;
  ImageList small_{16};
  ImageList large_{32};
  std::map<std::string, std::string> types_;  // by lower-case extension ("" for folders)
  std::unique_ptr<FolderWatch> watch_;
  std::vector<std::function<void(const ShellPlace&)>> followers_;
};

}  // namespace gui
