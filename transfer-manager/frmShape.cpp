#include "transfer-manager/frmShape.h"

#include "platform/gui/Application.h"
#include "platform/gui/Cursor.h"
#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/Twips.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDownload.h"
#include "transfer-manager/modFunctions.h"
#include "transfer-manager/modRegistry.h"
#include "transfer-manager/modVariables.h"

namespace halvern {

ShapeForm* frmShape = nullptr;

namespace {

// Which pictures a pointer over command picture i lights and resets: its
// neighbours in the column.
std::vector<int> NeighboursOf(int index) {
  std::vector<int> out;
  if (index > 0) out.push_back(index - 1);
  if (index < kCommandCount - 1) out.push_back(index + 1);
  return out;
}

void Place(gui::Control& c, int left, int top, int width, int height) {
  c.SetBounds(Tw(left), Tw(top), Tw(width), Tw(height));
}

void PlaceLabel(gui::Label& label, const char* caption, int left, int top, int width, int height = 255) {
  label.SetCaption(caption);
  label.SetBounds(Tw(left), Tw(top), Tw(width), Tw(height));
}

}  // namespace

std::array<gui::Image*, kCommandCount> ShapeForm::CommandPictures() {
  return {&imgDownload, &imgUpload, &imgErase, &imgEraseAll, &imgFormat, &imgReflash, &imgQuit};
}

ShapeForm::ShapeForm()
    : normalPictures(Environment().programFolder / kButtonPicture),
      activePictures(Environment().programFolder / kButtonActivePicture) {
  frmShape = this;
  const common::Path& folder = Environment().programFolder;
  SetCaption("Mp3 File Transfer Manager");
  SetClientSize(Tw(kShapeWidth), Tw(kShapeHeight));
  SetPosition(Position::kScreenCenter);
  SetFont("Arial", 9);
  // One designed window: white, its picture under the controls, no
  // standard frame (its own close and minimise pictures; dragged by its
  // background).
  SetColor(gui::Rgb(255, 255, 255));
  backPicture = LoadSharedPicture(folder / kBackPicture);
  SetBackground(backPicture);
  SetFrameless(true);

  // The command column, each picture where the design has it; the words
  // are the pictures' own.
  static constexpr int kLefts[kCommandCount] = {375, 360, 375, 375, 375, 360, 390};
  static constexpr int kTops[kCommandCount] = {840, 1860, 2865, 3855, 4860, 5880, 6870};
  const auto pictures = CommandPictures();
  const CommandStrip& normal = normalPictures.Current();
  for (int i = 0; i < kCommandCount; ++i) {
    gui::Image& picture = *pictures[static_cast<std::size_t>(i)];
    Place(picture, kLefts[i], kTops[i], 1080, 330);
    picture.SetBitmap(normal[static_cast<std::size_t>(i)]);
    picture.OnMouseMove = [this, i](gui::Point) { CommandPicture_MouseMove(i); };
  }
  imgReflash.OnClick = [this] { RunPlayerCommand([this] { imgReflash_Click(); }); };
  imgQuit.OnClick = [this] { imgQuit_Click(); };

  Place(imgPlay, 2535, 6600, 1290, 270);
  imgPlay.SetBitmap(LoadSharedPicture(folder / kPlayPicture));
  Place(imgStop, 4320, 6615, 1290, 270);
  imgStop.SetBitmap(LoadSharedPicture(folder / kStopPicture));

  // Without their picture files the close and minimise pictures show the
  // program's small icons, so the window can still be closed.
  Place(CloseB, 10800, 45, 240, 210);
  CloseB.SetPicture(gui::Icon{kCloseIcon});
  CloseB.SetBitmap(LoadSharedPicture(folder / kClosePicture));
  CloseB.OnMouseDown = [this](gui::Point) { CloseB_MouseDown(); };
  CloseB.OnMouseUp = [this](gui::Point) { CloseB_MouseUp(); };
  CloseB.OnClick = [this] { CloseB_Click(); };
  Place(Min, 10560, 45, 240, 210);
  Min.SetPicture(gui::Icon{kMinimizeIcon});
  Min.SetBitmap(LoadSharedPicture(folder / kMinimizePicture));
  Min.OnMouseDown = [this](gui::Point) { Min_MouseDown(); };
  Min.OnMouseUp = [this](gui::Point) { Min_MouseUp(); };
  Min.OnClick = [this] { Min_Click(); };
  CloseHolder.SetBitmap(LoadSharedPicture(folder / kCloseDownPicture));
  MinHolder.SetBitmap(LoadSharedPicture(folder / kMinimizeDownPicture));
  for (gui::Image* holder : {&CloseHolder, &MinHolder, &TempHolder[0], &TempHolder[1]}) {
    holder->SetBounds(0, 0, Tw(240), Tw(210));
    holder->SetVisible(false);
  }

  Place(FolderTreeview, 1920, 1065, 4335, 2700);
  Place(lvwPcFileList, 1890, 3765, 4365, 2505);
  Place(lvwGetFileList, 6465, 1050, 4365, 5205);
  lvwTmpDownload.SetVisible(false);
  lvwPlayList.SetVisible(false);
  for (gui::ListView* list : {&lvwPcFileList, &lvwGetFileList}) {
    list->SetMultiSelect(true);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    list->SetDragEnabled(true);
  }

  optBuiltIn.SetCaption("Internal");
  Place(optBuiltIn, 6375, 735, 975, 255);
  optBuiltIn.SetChecked(true);
  optCard.SetCaption("External");
  Place(optCard, 7365, 720, 1095, 255);

  // The words before the memory figures ("Total :", "Available :",
  // "Used :") and the titles of the areas are on the window's picture.
  PlaceLabel(lblVersion, "Halvern Ver 1.2", 450, 390, 1500);
  PlaceLabel(lblTotMem, " 0 KB", 2910, 7035, 1500);
  PlaceLabel(lblAvailMem, "0 KB", 6225, 7050, 1500);
  PlaceLabel(lblUsedMem, " 0 KB", 8805, 7035, 1500);
  PlaceLabel(lblTotalFileCountSizeTxt, "SelectedFiles :", 1950, 6255, 1275);
  PlaceLabel(lblTotalFileCount, "0 / 0", 3240, 6255, 900);
  PlaceLabel(Label1, "Size : ", 4170, 6255, 540);
  PlaceLabel(lblTotalFileSize, "0 KB", 4710, 6255, 1500);
  PlaceLabel(lblTotalFileCountSizeTxt2, "SelectedFiles :", 6540, 6255, 1275);
  PlaceLabel(lblTotalFileCount2, "0 / 0", 7830, 6255, 900);
  PlaceLabel(Label2, "Size : ", 8760, 6255, 540);
  PlaceLabel(lblTotalFileSize2, "0 KB", 9300, 6255, 1500);
  // The preview's texts in the title band, one after the other; the two
  // playing texts show once a file plays.
  PlaceLabel(lblTrackTime, "TrackTime : ", 4050, 120, 2100, 225);
  PlaceLabel(lblPlayingTime, "", 6225, 120, 2325, 225);
  PlaceLabel(lblPos, "", 8625, 120, 1815, 225);
  lblPlayingTime.SetVisible(false);
  lblPos.SetVisible(false);
  for (gui::Label* label : {&lblVersion, &lblTotMem, &lblAvailMem, &lblUsedMem, &lblTotalFileCountSizeTxt,
                            &lblTotalFileCount, &Label1, &lblTotalFileSize, &lblTotalFileCountSizeTxt2,
                            &lblTotalFileCount2, &Label2, &lblTotalFileSize2, &lblTrackTime, &lblPlayingTime, &lblPos}) {
    label->SetFont("Arial", 9);
    label->SetTransparent(true);
  }

  // The program's pointer over what can be pressed.
  const auto pointer = gui::PointerResource(kPointerResource);
  for (gui::Control* c : std::initializer_list<gui::Control*>{&imgDownload, &imgUpload, &imgErase, &imgEraseAll,
                                                              &imgFormat, &imgReflash, &imgQuit, &imgPlay, &imgStop,
                                                              &CloseB, &Min, &optBuiltIn, &optCard}) {
    c->SetCursor(pointer);
  }

  Timer1.SetInterval(kPlayPositionMs);
  tmrWait.SetInterval(kWaitTickMs);
  tmrWait.OnTimer = [this] { tmrWait_Timer(); };
  UserTimer.SetInterval(0);
  // The first read; a read the user started before it (a medium option)
  // finishes first, and this one follows at the next tick.
  UserTimer.OnTimer = [this] {
    if (PlayerCommandRuns()) return;
    RunPlayerCommand([this] { UserTimer_Timer(); });
  };

  mnuProduct.SetCaption("About Product");
  mnuModel.SetCaption("Model");
  mnuFWVersion.SetCaption("Version");
  mnuPradel.SetCaption(kPradelSite);
  mnuPradel.OnClick = [this] { mnuPradel_Click(); };
  mnuCorvane.SetCaption(kCorvaneSite);
  mnuCorvane.OnClick = [this] { mnuCorvane_Click(); };

  FolderTreeview.OnChange = [this](gui::TreeNode* node) { FolderTreeview_FolderClick(*this, node, 0); };
  lvwPcFileList.OnClick = [this] { lvwPcFileList_Click(*this); };
  lvwPcFileList.OnSelectItem = [this](int, bool) { lvwPcFileList_Click(*this); };
  lvwPcFileList.OnMouseMove = [this](gui::Point) { lvwPcFileList_MouseMove(*this); };
  lvwPcFileList.OnStartDrag = [this] { lvwPcFileList_OLEStartDrag(*this); };
  lvwPcFileList.OnDragDrop = [this](const gui::ListDrag& drag) { lvwPcFileList_OLEDragDrop(*this, drag); };
  lvwGetFileList.OnClick = [this] { lvwGetFileList_Click(*this); };
  lvwGetFileList.OnSelectItem = [this](int, bool) { lvwGetFileList_Click(*this); };
  lvwGetFileList.OnColumnClick = [this](int) { lvwGetFileList_Click(*this); };
  lvwGetFileList.OnMouseMove = [this](gui::Point) { lvwGetFileList_Click(*this); };
  lvwGetFileList.OnStartDrag = [this] { lvwGetFileList_OLEStartDrag(*this); };
  lvwGetFileList.OnDragOver = [this](gui::ListDrag& drag) { lvwGetFileList_OLEDragOver(*this, drag); };
  lvwGetFileList.OnDragDrop = [this](const gui::ListDrag& drag) {
    RunPlayerCommand([&] { lvwGetFileList_OLEDragDrop(*this, drag); });
  };
  optBuiltIn.OnClick = [this] { RunPlayerCommand([this] { optBuiltIn_Click(*this); }); };
  optCard.OnClick = [this] { RunPlayerCommand([this] { optCard_Click(*this); }); };
  WirePlayerCommands(*this);

  // The window's close box is the close picture: refused while a command
  // runs (the picture is disabled then), else it quits as the picture does.
  OnCloseQuery = [this](bool& canClose) {
    canClose = false;
    if (CloseB.Enabled()) CloseB_Click();
  };
  // A right click on the window (or the menu key): the popup menu, unless a
  // command runs.
  OnContextPopup = [this](gui::Point screen, bool& handled) {
    handled = true;
    Form_MouseUp(true, screen);
  };
  OnMouseMove = [this](const gui::MouseEvent&) { Form_MouseMove(); };
  OnCreate = [this] { Form_Load(); };
  OnDestroy = [this] { Form_Unload(); };
  Create();
}

ShapeForm::~ShapeForm() {
  Destroy();
  if (frmShape == this) frmShape = nullptr;
}

void ShapeForm::Form_Load() {
  auto& env = Environment();
  Vars().cmdBase = playerlink::kInternalMemoryBase;
  SetUpLists(*this);
  DisableControls(*this, true);

  if (env.shell) folderTree.SetRoots(env.shell->FolderRoots());
  Vars().lastFolder = env.registry ? GetRegString(*env.registry, platform::RegistryRoot::kCurrentUser, kSettingsKey,
                                                  kLastFolderValue, "")
                                   : std::string();
  if (!Vars().lastFolder.empty() && PathExists(PathFromText(Vars().lastFolder))) {
    folderTree.SelectFolder(Vars().lastFolder);
    fileListBox.SetPath(Vars().lastFolder);
  } else {
    if (!folderTree.SelectFolder(env.fallbackFolder)) folderTree.SelectRoot(env.fallbackFolder);
    fileListBox.SetPath(env.fallbackFolder);
  }
  RefillPcList(fileListBox, lvwPcFileList);
  UpdatePcSelection(*this);

  Vars().programFolder = env.programFolder;
  Device().SetWaitView(&waitWindows);
  UserTimer.SetInterval(kFirstReadDelayMs);
  UserTimer.SetEnabled(true);
}

void ShapeForm::Form_Unload() {
  Timer1.SetEnabled(false);
  tmrWait.SetEnabled(false);
  UserTimer.SetEnabled(false);
  if (Device().IsOpen()) Device().CloseDevice();
  Device().SetWaitView(nullptr);
}

void ShapeForm::UserTimer_Timer() {
  UserTimer.SetEnabled(false);
  ReadDeviceDirectory(*this);
  SetModelTexts();
  EnableControls(*this);
}

void ShapeForm::tmrWait_Timer() { Device().WaitPollTick(); }

void ShapeForm::imgReflash_Click() {
  DisableControls(*this, false);
  ReadDeviceDirectory(*this);
  SetModelTexts();
  EnableControls(*this);
}

void ShapeForm::SetModelTexts() {
  mnuModel.SetCaption(ModelMenuText(Vars().modelCode));
  mnuFWVersion.SetCaption(VersionMenuText(Vars().firmwareVersion));
}

void ShapeForm::imgQuit_Click() {
  SetTransport(nullptr);
  if (closePreview) closePreview();
  Timer1.SetEnabled(false);
  gui::App().Terminate();
}

void ShapeForm::Form_MouseUp(bool rightButton, gui::Point at) {
  if (rightButton && FolderTreeview.Enabled()) mnuPopUP.Popup(at);
}

void ShapeForm::Form_MouseMove() {
  const CommandStrip& normal = normalPictures.Current();
  const auto pictures = CommandPictures();
  for (std::size_t i = 0; i < pictures.size(); ++i) pictures[i]->SetBitmap(normal[i]);
}

void ShapeForm::CommandPicture_MouseMove(int index) {
  const CommandStrip& normal = normalPictures.Current();
  const CommandStrip& active = activePictures.Current();
  const auto pictures = CommandPictures();
  pictures[static_cast<std::size_t>(index)]->SetBitmap(active[static_cast<std::size_t>(index)]);
  for (int n : NeighboursOf(index)) pictures[static_cast<std::size_t>(n)]->SetBitmap(normal[static_cast<std::size_t>(n)]);
}

void ShapeForm::CloseB_MouseDown() {
  TempHolder[1].SetBitmap(CloseB.ShownBitmap());
  CloseB.SetBitmap(CloseHolder.ShownBitmap());
}

void ShapeForm::CloseB_MouseUp() { CloseB.SetBitmap(TempHolder[1].ShownBitmap()); }

void ShapeForm::CloseB_Click() {
  if (TempHolder[1].ShownBitmap()) CloseB.SetBitmap(TempHolder[1].ShownBitmap());
  imgQuit_Click();
}

void ShapeForm::Min_MouseDown() {
  TempHolder[0].SetBitmap(Min.ShownBitmap());
  Min.SetBitmap(MinHolder.ShownBitmap());
}

void ShapeForm::Min_MouseUp() { Min.SetBitmap(TempHolder[0].ShownBitmap()); }

void ShapeForm::Min_Click() {
  if (TempHolder[0].ShownBitmap()) Min.SetBitmap(TempHolder[0].ShownBitmap());
  Minimize();
}

void ShapeForm::mnuPradel_Click() {
  if (Environment().shell) Environment().shell->OpenUrl(kPradelPage);
}

void ShapeForm::mnuCorvane_Click() {
  if (Environment().shell) Environment().shell->OpenUrl(kCorvanePage);
}

std::string ShapeForm::GetWindowPath() { return Environment().shell ? Environment().shell->WindowsFolder() : ""; }
std::string ShapeForm::GetSystemPath() { return Environment().shell ? Environment().shell->SystemFolder() : ""; }
std::string ShapeForm::GetTemp() { return Environment().shell ? Environment().shell->TempFolder() : ""; }
std::string ShapeForm::GetSpecialPath(int csidl) {
  return Environment().shell ? Environment().shell->SpecialFolder(csidl) : "";
}

}  // namespace halvern
