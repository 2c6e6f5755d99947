// frmShape: the main window of the transfer manager. The PC side on the
// left (folder tree, the folder's MP3 files), the player side on the right
// (the chosen medium's files, the medium options, the memory labels), a
// column of seven command pictures, preview play and stop pictures, its own
// close and minimise pictures and a popup menu with the player's model and
// firmware. Its pictures are files in the program's folder
// (ShapePictures.h).
//
// The window itself is here: start-up order, layout, the pictures and their
// hover states, the timers, the popup menu, quitting. The list behaviour,
// the medium choice and DisableControls/EnableControls are in
// modFunctions.h.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/gui/FileDialog.h"
#include "platform/gui/Form.h"
#include "platform/gui/Image.h"
#include "platform/gui/Label.h"
#include "platform/gui/ListView.h"
#include "platform/gui/Menu.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/Timer.h"
#include "platform/gui/TreeView.h"
#include "transfer-manager/FileListBox.h"
#include "transfer-manager/FolderTree.h"
#include "transfer-manager/ShapePictures.h"
#include "transfer-manager/frmWait.h"

namespace halvern {

// The window's size and the places of its controls, in twips.
inline constexpr int kShapeWidth = 11040;
inline constexpr int kShapeHeight = 7500;

// The two web pages of the popup menu.
inline constexpr const char* kPradelSite = "www.pradel.co.kr";
inline constexpr const char* kPradelPage = "http://www.pradel.co.kr/";
inline constexpr const char* kCorvaneSite = "www.corvane.co.kr";
inline constexpr const char* kCorvanePage = "http://www.corvane.co.kr/";

inline constexpr int kFirstReadDelayMs = 500;
inline constexpr int kPlayPositionMs = 500;

class ShapeForm : public gui::Form {
 public:
  ShapeForm();
  ~ShapeForm() override;

  // The seven command pictures, top to bottom.
  gui::Image imgDownload{this};
  gui::Image imgUpload{this};
  gui::Image imgErase{this};
  gui::Image imgEraseAll{this};
  gui::Image imgFormat{this};
  gui::Image imgReflash{this};
  gui::Image imgQuit{this};
  gui::Image imgPlay{this};
  gui::Image imgStop{this};
  gui::Image CloseB{this};
  gui::Image Min{this};
  gui::Image CloseHolder{this};
  gui::Image MinHolder{this};
  std::array<gui::Image, 2> TempHolder{gui::Image{this}, gui::Image{this}};

  gui::TreeView FolderTreeview{this};
  gui::ListView lvwPcFileList{this};
  gui::ListView lvwGetFileList{this};
  gui::ListView lvwTmpDownload{this};
  gui::ListView lvwPlayList{this};
  FileListBox fileListBox{"*.mp3"};
  gui::FileDialog dlgSelectFile{this, gui::FileDialog::Mode::kSave};

  gui::RadioButton optBuiltIn{this};
  gui::RadioButton optCard{this};

  gui::Label lblVersion{this};
  gui::Label lblTotMem{this};
  gui::Label lblUsedMem{this};
  gui::Label lblAvailMem{this};
  gui::Label lblTotalFileCountSizeTxt{this};
  gui::Label lblTotalFileCount{this};
  gui::Label Label1{this};
  gui::Label lblTotalFileSize{this};
  gui::Label lblTotalFileCountSizeTxt2{this};
  gui::Label lblTotalFileCount2{this};
  gui::Label Label2{this};
  gui::Label lblTotalFileSize2{this};
  gui::Label lblTrackTime{this};
  gui::Label lblPlayingTime{this};
  gui::Label lblPos{this};

  gui::Timer Timer1{this};
  gui::Timer tmrWait{this};
  gui::Timer UserTimer{this};

  gui::PopupMenu mnuPopUP{this};
  gui::MenuItem mnuProduct{&mnuPopUP};
  gui::MenuItem mnuModel{&mnuProduct};
  gui::MenuItem mnuFWVersion{&mnuProduct};
  gui::MenuItem mnuPradel{&mnuPopUP};
  gui::MenuItem mnuCorvane{&mnuPopUP};

  FolderTree folderTree{FolderTreeview};
  WaitWindows waitWindows{tmrWait};

  // The command pictures in column order.
  std::array<gui::Image*, kCommandCount> CommandPictures();

  // The window's picture (its frame, the titles of its areas and the
  // button column), read from the program's folder.
  SharedBitmap backPicture;
  // The two strips of the command pictures in the program's folder, looked
  // at again on every pointer move over the pictures.
  StripFile normalPictures;
  StripFile activePictures;

  void Form_Load();
  void Form_Unload();
  void UserTimer_Timer();
  void tmrWait_Timer();
  void imgReflash_Click();
  void imgQuit_Click();
  void SetModelTexts();
  // The right mouse button released over the window.
  void Form_MouseUp(bool rightButton, gui::Point at);
  // The pointer over the window's background: every command picture normal.
  void Form_MouseMove();
  // The pointer over the command picture at `index` (0 = imgDownload).
  void CommandPicture_MouseMove(int index);
  void CloseB_MouseDown();
  void CloseB_MouseUp();
  void CloseB_Click();
  void Min_MouseDown();
  void Min_MouseUp();
  void Min_Click();
  void mnuPradel_Click();
  void mnuCorvane_Click();

  // The window's system folders (the shell's).
  std::string GetWindowPath();
  std::string GetSystemPath();
  std::string GetTemp();
  std::string GetSpecialPath(int csidl);

  // Whether the preview plays (the preview playback sets this).
  std::function<bool()> previewPlaying = [] { return false; };
  // Commands of other parts of the program, run by the pictures and the
  // drops (empty: nothing happens).
  std::function<void()> uploadCommand;
  // Closes the preview's media when the program quits.
  std::function<void()> closePreview;
};

extern ShapeForm* frmShape;

}  // namespace halvern
