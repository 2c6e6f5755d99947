// A headless application with the tray client's environment in a folder
// of the test's own: program folder, ORVEL.INI and an in-memory registry.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"
#include "tray-client/OrvelEnvironment.h"

namespace orvel::testing {

class OrvelTest : public ::testing::Test {
 protected:
  OrvelTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::path(::testing::TempDir()) / "orvel_tests" /
            (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "Program");
    std::filesystem::create_directories(root_ / "Windows");
    std::filesystem::create_directories(root_ / "Desktop");
    Environment() = OrvelEnvironment{root_ / "Program" / "Orvel.exe", root_ / "Program",
                                     root_ / "Windows" / "ORVEL.INI", &registry_,
                                     root_ / "AppData" / "Orvel" / "ORVEL.INI", root_ / "Desktop"};
    auto backend = std::make_unique<gui::headless::HeadlessBackend>();
    backend_ = backend.get();
    app_ = std::make_unique<gui::Application>(std::move(backend));
  }
  ~OrvelTest() override {
    app_.reset();
    std::filesystem::remove_all(root_);
  }

  void WriteIni(const std::string& text) {
    ASSERT_TRUE(common::WriteFileAtomically(
        Environment().iniPath, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
  }
  platform::IniFile Ini() {
    auto ini = platform::IniFile::Load(Environment().iniPath);
    EXPECT_TRUE(ini.ok());
    return ini ? *ini : platform::IniFile{};
  }
  std::optional<std::string> RunValue() {
    auto value = registry_.GetString(platform::RegistryRoot::kLocalMachine,
                                     "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Orvel");
    return value ? *value : std::nullopt;
  }

  gui::headless::HeadlessBackend& backend() { return *backend_; }
  gui::Application& app() { return *app_; }
  platform::MemoryRegistry& registry() { return registry_; }
  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
  platform::MemoryRegistry registry_;
  gui::headless::HeadlessBackend* backend_;
  std::unique_ptr<gui::Application> app_;
};

}  // namespace orvel::testing
