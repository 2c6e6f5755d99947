// A headless transfer manager for one test: a folder of its own with the
// program's folder (holding "Dravik.dll" unless the test takes it away: the
// built library on Windows, a stand-in file natively; and the window's
// pictures the build drew)
// and a PC folder, an in-memory registry, a shell whose only root is the PC
// folder, and a simulated player on the driver.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Registry.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "player-link/SimulatedPlayer.h"
#include "transfer-manager/HalvernEnvironment.h"
#include "transfer-manager/ShapePictures.h"
#include "transfer-manager/Startup.h"
#include "transfer-manager/frmShape.h"
#include "transfer-manager/modCommon.h"
#include "transfer-manager/modDevice.h"
#include "transfer-manager/modPreview.h"
#include "transfer-manager/modVariables.h"

namespace halvern::testing {

class TestShell : public SystemShell {
 public:
  std::string WindowsFolder() override { return "C:\\windows"; }
  std::string SystemFolder() override { return "C:\\windows\\system32"; }
  std::string TempFolder() override { return "C:\\temp\\"; }
  std::string SpecialFolder(int) override { return desktop; }
  std::vector<FolderRoot> FolderRoots() override { return roots; }
  void OpenUrl(const std::string& url) override { opened.push_back(url); }

  std::string desktop;
  std::vector<FolderRoot> roots;
  std::vector<std::string> opened;
};

class HalvernTest : public ::testing::Test {
 protected:
  HalvernTest() : player(std::make_shared<playerlink::sim::SimulatedPlayer>()), driver(player) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::path(::testing::TempDir()) / "halvern_tests" /
            (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "Program");
    std::filesystem::create_directories(root_ / "PC");
#ifdef HALVERN_DRAVIK_DLL
    // Windows loads the library itself: the built one.
    std::filesystem::copy_file(HALVERN_DRAVIK_DLL, root_ / "Program" / "Dravik.dll");
#else
    Touch(root_ / "Program" / "Dravik.dll", 16);
#endif
#ifdef HALVERN_PICTURES_DIR
    // The window's pictures, as the build puts them beside the program.
    for (const char* name : kShapePictureFiles) {
      std::filesystem::copy_file(std::filesystem::path(HALVERN_PICTURES_DIR) / name, root_ / "Program" / name);
    }
#endif
    shell.roots = {{"PC", TextOfPath(root_ / "PC")}};
    shell.desktop = TextOfPath(root_ / "PC");
    NewApplication();
  }
  ~HalvernTest() override {
    EndApplication();
    std::filesystem::remove_all(root_);
  }

  // A fresh application over the same folders, registry and player (the
  // program started again).
  void NewApplication() {
    EndApplication();
    auto& env = Environment();
    env = HalvernEnvironment{};
    env.programFolder = root_ / "Program";
    env.registry = &registry;
    env.driver = &driver;
    env.shell = &shell;
    env.instanceName = "HalvernTest." + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                       std::to_string(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFF);
    env.fallbackFolder = TextOfPath(root_ / "PC");
    auto backend = std::make_unique<gui::headless::HeadlessBackend>();
    backend_ = backend.get();
    app_ = std::make_unique<gui::Application>(std::move(backend));
  }
  void EndApplication() {
    if (app_) app_->DestroyForms();
    app_.reset();
    started_.reset();
    SetDevice(nullptr);
    SetTransport(nullptr);
    ResetPreview();
  }

  Started& Start() {
    started_ = std::make_unique<Started>(StartHalvern(*app_));
    return *started_;
  }
  // Starts and lets the first read of the player run.
  ShapeForm& StartAndRead() {
    EXPECT_EQ(Start().result, StartResult::kRunning);
    backend().Advance(kFirstReadDelayMs + 5000);
    return *frmShape;
  }

  void Touch(const std::filesystem::path& p, std::size_t bytes = 1) {
    const std::vector<std::uint8_t> data(bytes, 0x41);
    ASSERT_TRUE(common::WriteFileAtomically(p, data));
  }
  std::filesystem::path Pc(const std::string& name = {}) {
    return name.empty() ? root_ / "PC" : root_ / "PC" / PathFromText(name);
  }
  void StoreOnPlayer(playerlink::sim::MediumId medium, const std::u16string& name, std::size_t bytes) {
    ASSERT_TRUE(player->Store(medium, name, std::vector<std::uint8_t>(bytes, 0x5A)));
  }
  std::vector<std::string> Captions(const gui::ListView& list) {
    std::vector<std::string> out;
    for (const auto& row : list.Items()) out.push_back(row.caption);
    return out;
  }
  // Texts of the message boxes shown so far, and forget them.
  std::vector<std::string> TakeBoxes() {
    std::vector<std::string> out;
    for (const auto& b : backend().MessageBoxes()) out.push_back(b.request.text);
    backend().ClearMessageBoxes();
    return out;
  }

  gui::headless::HeadlessBackend& backend() { return *backend_; }
  gui::Application& app() { return *app_; }
  const std::filesystem::path& root() const { return root_; }

  std::shared_ptr<playerlink::sim::SimulatedPlayer> player;
  playerlink::sim::SimulatedDriver driver;
  platform::MemoryRegistry registry;
  TestShell shell;

 private:
  std::filesystem::path root_;
  gui::headless::HeadlessBackend* backend_ = nullptr;
  std::unique_ptr<gui::Application> app_;
  std::unique_ptr<Started> started_;
};

}  // namespace halvern::testing
