#include "music-player/EqPresetDialogs.h"

#include <gtest/gtest.h>

#include <deque>

#include "music-player/tests/CoreTestSupport.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"

namespace vantu {
namespace {

class PresetDialogTest : public ::testing::Test {
 protected:
  PresetDialogTest()
      : app_(std::make_unique<gui::headless::HeadlessBackend>()),
        store_(common::PathFromAnsi(dir_.File("EqData.EQL"))) {
    backend_ = static_cast<gui::headless::HeadlessBackend*>(&app_.backend());
    // Each idle turn of a modal loop runs the next scripted step.
    backend_->OnIdle = [this] {
      if (steps_.empty()) return false;
      auto step = std::move(steps_.front());
      steps_.pop_front();
      step();
      return true;
    };
  }
  void Add(const std::string& name, std::uint8_t fill) {
    auto p = std::make_unique<EqPreset>();
    p->name = name;
    p->settings.fill(fill);
    store_.AddPreset(std::move(p));
  }
  std::vector<std::string> Shown(const gui::ListView& list) {
    std::vector<std::string> out;
    for (const auto& item : list.Items()) out.push_back(item.caption);
    return out;
  }

  vantu_test::ScratchFolder dir_;
  gui::Application app_;
  gui::headless::HeadlessBackend* backend_;
  CEqPresetStore store_;
  PlayerSettings settings_;
  std::deque<std::function<void()>> steps_;
};

TEST_F(PresetDialogTest, SaveListsNamesAndStoresTheEqualizerArea) {
  Add("b", 1);
  Add("\xC0\xE7\xC1\xEE", 2);  // 재즈
  settings_.SetEqualizer(0, 7);
  CEqSaveDlg dlg(store_, settings_);
  EXPECT_EQ(dlg.Caption(), "Equalizer 저장");
  EXPECT_EQ(dlg.btnOk.Caption(), "저장");
  steps_.push_back([&] {
    EXPECT_EQ(Shown(dlg.lstNames), (std::vector<std::string>{"b", "재즈"}));
    EXPECT_EQ(dlg.edtName.Text(), "새이름");
    dlg.edtName.UserSetText("");
    dlg.btnOk.UserClick();  // empty: a message, the dialog stays
  });
  steps_.push_back([&] {
    EXPECT_EQ(backend_->MessageBoxes().back().request.text, kEmptyPresetName);
    dlg.edtName.UserSetText("a");
    dlg.btnOk.UserClick();
  });
  EXPECT_EQ(dlg.ShowModal(), gui::ModalResult::kOk);
  ASSERT_EQ(store_.Count(), 3);
  EXPECT_EQ(store_.Get(0)->name, "a");
  EXPECT_EQ(store_.Get(0)->settings, settings_.GetEqualizerArea());
}

TEST_F(PresetDialogTest, SaveIntoAFullStoreKeepsEveryPresetAndSaysSo) {
  for (int i = 0; i < 199; ++i) Add("p" + std::to_string(1000 + i), 0);
  CEqSaveDlg dlg(store_, settings_);
  steps_.push_back([&] {
    dlg.edtName.UserSetText("zz-new");
    dlg.btnOk.UserClick();
  });
  steps_.push_back([&] {
    EXPECT_EQ(backend_->MessageBoxes().back().request.text, kPresetStoreFull);
    dlg.edtName.UserSetText("p1198");  // an existing name still saves
    dlg.btnOk.UserClick();
  });
  EXPECT_EQ(dlg.ShowModal(), gui::ModalResult::kOk);
  EXPECT_EQ(store_.Count(), 199);
  EXPECT_EQ(store_.Get(198)->name, "p1198");
  EXPECT_EQ(store_.FindPreset("zz-new"), -1);
}

TEST_F(PresetDialogTest, LoadAndDeleteActOnADoubleClickOnly) {
  Add("a", 1);
  Add("b", 2);
  {
    CEqLoadDlg dlg(store_, settings_);
    steps_.push_back([&] { dlg.btnOk.UserClick(); });  // "읽기" alone loads nothing
    EXPECT_EQ(dlg.ShowModal(), gui::ModalResult::kOk);
    EXPECT_EQ(settings_.Equalizer(0), 0);
    steps_.push_back([&] {
      dlg.lstNames.UserDoubleClick(-1);  // no row: nothing
      dlg.lstNames.UserDoubleClick(1);
    });
    EXPECT_EQ(dlg.ShowModal(), gui::ModalResult::kOk);
    EXPECT_EQ(settings_.Equalizer(0), 0x02020202);
  }
  {
    CEqDeleteDlg dlg(store_);
    EXPECT_EQ(dlg.Caption(), "Equalizer 삭제");
    steps_.push_back([&] { dlg.btnCancel.UserClick(); });
    EXPECT_EQ(dlg.ShowModal(), gui::ModalResult::kCancel);
    EXPECT_EQ(store_.Count(), 2);
    steps_.push_back([&] { dlg.lstNames.UserDoubleClick(0); });
    EXPECT_EQ(dlg.ShowModal(), gui::ModalResult::kOk);
    ASSERT_EQ(store_.Count(), 1);
    EXPECT_EQ(store_.Get(0)->name, "b");
  }
}

// Each dialog has its title bar's close box, and only the save dialog the
// band of its name row above the list.
TEST_F(PresetDialogTest, DialogsHaveACloseBoxAndNoEmptyBand) {
  CEqSaveDlg save(store_, settings_);
  CEqLoadDlg load(store_, settings_);
  CEqDeleteDlg remove(store_);
  for (gui::Form* f : {static_cast<gui::Form*>(&save), static_cast<gui::Form*>(&load), static_cast<gui::Form*>(&remove)})
    EXPECT_TRUE(f->BorderIcons()) << f->Caption();
  EXPECT_GT(save.lstNames.Top(), save.edtName.Top() + save.edtName.Height());
  for (CEqPresetDialog* d : {static_cast<CEqPresetDialog*>(&load), static_cast<CEqPresetDialog*>(&remove)}) {
    EXPECT_EQ(d->lstNames.Top(), 10) << d->Caption();
    EXPECT_EQ(d->btnOk.Top(), d->lstNames.Top() + d->lstNames.Height() + 12);
    EXPECT_EQ(d->Height(), d->btnOk.Top() + d->btnOk.Height() + 12);
  }
  EXPECT_EQ(save.Height(), save.btnOk.Top() + save.btnOk.Height() + 12);
}

}  // namespace
}  // namespace vantu
