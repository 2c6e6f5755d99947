// A scratch folder per test and small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "music-player/AnsiText.h"
#include "common/File.h"

namespace vantu_test {

class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::path(::testing::TempDir()) /
            (std::string("vantu-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() { std::filesystem::remove_all(path_); }
  // The folder as the program keeps it: text with a trailing separator.
  std::string Folder() const { return path_.string() + "/"; }
  std::string File(const std::string& name) const { return Folder() + name; }

 private:
  std::filesystem::path path_;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  auto r = common::ReadWholeFile(vantu::PathFromCp949(path), 1u << 26);
  if (!r) return {};
  return {r->begin(), r->end()};
}
inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  ASSERT_TRUE(common::WriteFileAtomically(vantu::PathFromCp949(path), bytes).ok());
}

}  // namespace vantu_test
