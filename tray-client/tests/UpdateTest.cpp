// The update download: its checks against the local FTP server of
// tools/fake-ftp (libcurl), and the road of "업데이트(&U)" on the headless
// backend with an FTP client in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

#include "common/ErrorText.h"
#include "platform/gui/Application.h"
#include "tray-client/ConfForm.h"
#include "tray-client/ExplorerForm.h"
#include "tray-client/LoginForm.h"
#include "tray-client/MainForm.h"
#include "tray-client/Startup.h"
#include "tray-client/UpdateUnit.h"
#include "tray-client/tests/PlayerTestSupport.h"
#include "tools/fake-service/ServiceProcess.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::http::FtpServer;

std::string Bytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xFF);
  return bytes;
}

std::string DigestLine(const std::string& bytes) {
  return common::DigestHex(common::Sha256::Of(bytes)) + "  setup.exe\n";
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path().filename());
  }
  return files;
}

TEST(UpdateSettingsTest, TheDeploymentsValuesUnlessTheSettingsFileNamesOthers) {
  const UpdateSettings defaults = ReadUpdateSettings(platform::IniFile{});
  EXPECT_EQ(defaults.server.port, 21);
  EXPECT_EQ(defaults.server.user, "orveluser");
  EXPECT_EQ(defaults.server.password, "fowlmetk");
  EXPECT_EQ(defaults.remoteFile, "Orvel/Moltree/setup.exe");
  EXPECT_FALSE(defaults.server.host.empty());

  platform::IniFile ini;
  ini.WriteString("UPDATE", "FTPHOST", "127.0.0.1");
  ini.WriteString("UPDATE", "FTPPORT", "2121");
  ini.WriteString("UPDATE", "FTPUSER", "other");
  ini.WriteString("UPDATE", "HOMEPAGE", "http://127.0.0.1/");
  const UpdateSettings set = ReadUpdateSettings(ini);
  EXPECT_EQ(set.server.host, "127.0.0.1");
  EXPECT_EQ(set.server.port, 2121);
  EXPECT_EQ(set.server.user, "other");
  EXPECT_EQ(set.server.password, "fowlmetk") << "a key not given keeps its default";
  EXPECT_EQ(set.homepage, "http://127.0.0.1/");
}

TEST(UpdateSettingsTest, DigestFilesAreReadStrictly) {
  const std::string hex = common::DigestHex(common::Sha256::Of(std::string_view("x")));
  EXPECT_TRUE(ParseDigestFile(hex + "  setup.exe\n").has_value());
  EXPECT_TRUE(ParseDigestFile(hex).has_value());
  EXPECT_TRUE(ParseDigestFile("\r\n" + hex + "\r\n").has_value());
  EXPECT_EQ(ParseDigestFile(hex)->at(0), common::Sha256::Of(std::string_view("x"))[0]);
  EXPECT_FALSE(ParseDigestFile("").has_value());
  EXPECT_FALSE(ParseDigestFile(hex.substr(1)).has_value());
  EXPECT_FALSE(ParseDigestFile(hex + "0").has_value());
  EXPECT_FALSE(ParseDigestFile("z" + hex.substr(1)).has_value());
  EXPECT_FALSE(ParseDigestFile(hex + std::string(2000, ' ')).has_value()) << "longer than a digest file";
}

// Against the local FTP server.
class UpdateDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test may run in a process of its own beside the others.
    root_ = fs::path(::testing::TempDir()) / ("update_download_test." + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "files" / "Orvel" / "Moltree");
    fs::create_directories(root_ / "program");
    auto server = fake_service::ServiceProcess::Start({"/usr/bin/python3", FAKE_FTP_SCRIPT, "--root",
                                                       (root_ / "files").string(), "--control",
                                                       (root_ / "control").string(), "--lifetime", "120"});
    ASSERT_TRUE(server.ok()) << server.error().message;
    server_ = std::move(*server);
  }
  void TearDown() override {
    server_.Stop();
    fs::remove_all(root_);
  }
  void Publish(const std::string& bytes, const std::optional<std::string>& digest) {
    std::ofstream(root_ / "files" / "Orvel" / "Moltree" / "setup.exe", std::ios::binary) << bytes;
    const fs::path digestFile = root_ / "files" / "Orvel" / "Moltree" / "setup.exe.sha256";
    fs::remove(digestFile);
    if (digest) std::ofstream(digestFile, std::ios::binary) << *digest;
  }
  void Fault(const std::string& line) { std::ofstream(root_ / "control") << line << "\n"; }
  UpdateSettings Settings() {
    UpdateSettings settings;
    settings.server.host = "127.0.0.1";
    settings.server.port = server_.port();
    return settings;
  }
  fs::path Target() const { return root_ / "program" / "setup.exe"; }
  std::optional<UpdateFailure> Download(std::vector<std::pair<std::uint64_t, std::uint64_t>>* steps = nullptr,
                                        std::chrono::milliseconds total = 20s) {
    platform::http::FtpOptions options;
    options.readTimeout = 1000ms;
    auto client = platform::http::CreateFtpClient(options);
    return DownloadUpdate(
        *client, Settings(), Target(),
        [&](std::uint64_t received, std::uint64_t size) {
          if (steps) steps->emplace_back(received, size);
        },
        {}, total);
  }
  std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path root_;
  fake_service::ServiceProcess server_;
};

TEST_F(UpdateDownloadTest, AFileThatMatchesItsDigestBecomesTheTargetWithProgressOnTheWay) {
  const std::string setup = Bytes(900 * 1024 + 5, 1);
  Publish(setup, DigestLine(setup));
  std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;
  auto failure = Download(&steps);
  ASSERT_FALSE(failure) << failure->error.message;
  EXPECT_TRUE(Read(Target()) == setup);
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back(), std::make_pair(std::uint64_t{setup.size()}, std::uint64_t{setup.size()}));
  for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_LE(steps[i - 1].first, steps[i].first);
  EXPECT_EQ(FilesIn(root_ / "program"), std::vector<fs::path>{"setup.exe"}) << "no temporary file is left";
}

TEST_F(UpdateDownloadTest, WhatDoesNotMatchIsDeletedAndAnEarlierFileStays) {
  const std::string setup = Bytes(300 * 1024, 2);
  std::ofstream(Target(), std::ios::binary) << "older setup";

  // Another file's digest.
  Publish(setup, DigestLine(setup + "x"));
  auto failure = Download();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->source, UpdateFailure::Source::kUpdate);
  EXPECT_EQ(failure->error.code, static_cast<int>(common::UpdateError::kHashMismatch)) << failure->error.message;
  EXPECT_EQ(failure->error.message.rfind(std::string(common::ErrorSentence(common::UpdateError::kHashMismatch)), 0),
            0u);
  EXPECT_EQ(Read(Target()), "older setup");
  EXPECT_EQ(FilesIn(root_ / "program"), std::vector<fs::path>{"setup.exe"});

  // The server announces more than it sends.
  Publish(setup, DigestLine(setup));
  Fault("size-lie 1000");
  failure = Download();
  ASSERT_TRUE(failure);
  // libcurl itself notices the short file; either way nothing is kept.
  EXPECT_TRUE((failure->source == UpdateFailure::Source::kUpdate &&
               failure->error.code == static_cast<int>(common::UpdateError::kSizeMismatch)) ||
              (failure->source == UpdateFailure::Source::kFtp &&
               failure->error.code == static_cast<int>(common::FtpError::kTransfer)))
      << failure->error.message;
  EXPECT_EQ(Read(Target()), "older setup");
  EXPECT_EQ(FilesIn(root_ / "program"), std::vector<fs::path>{"setup.exe"});
  Fault("");

  // No digest published, or one that is not a digest: nothing is fetched.
  Publish(setup, std::nullopt);
  failure = Download();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->error.code, static_cast<int>(common::UpdateError::kNoChecksum)) << failure->error.message;
  Publish(setup, "not a digest\n");
  failure = Download();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->error.code, static_cast<int>(common::UpdateError::kNoChecksum)) << failure->error.message;
  EXPECT_EQ(Read(Target()), "older setup");
}

TEST_F(UpdateDownloadTest, TheFtpFailureIsToldAndASilentServerEndsByTheDeadline) {
  fs::remove(root_ / "files" / "Orvel" / "Moltree" / "setup.exe");
  std::ofstream(root_ / "files" / "Orvel" / "Moltree" / "setup.exe.sha256") << DigestLine("x");
  auto failure = Download();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->source, UpdateFailure::Source::kFtp);
  EXPECT_EQ(failure->error.code, static_cast<int>(common::FtpError::kNoFile));
  EXPECT_EQ(failure->error.message.rfind("업데이트 할 파일이 없습니다.", 0), 0u) << failure->error.message;

  const std::string setup = Bytes(1000, 3);
  Publish(setup, DigestLine(setup));
  Fault("stall-seconds 5");
  const auto started = std::chrono::steady_clock::now();
  failure = Download(nullptr, 600ms);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->error.code, static_cast<int>(common::FtpError::kTimeout)) << failure->error.message;
  EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
  EXPECT_FALSE(fs::exists(Target()));
}

// An FTP server in memory: the window's road, and servers that send their
// files in pieces of any size or announce sizes of their own.
class MemoryFtp : public platform::http::FtpClient {
 public:
  explicit MemoryFtp(std::map<std::string, std::string> files, std::size_t pieceSize = 0)
      : files_(std::move(files)), pieceSize_(pieceSize) {}
  common::Result<void> Retrieve(const FtpServer& server, const std::string& path,
                                const platform::http::FtpSink& sink,
                                const std::function<void(std::uint64_t)>& onSize, std::stop_token,
                                std::chrono::milliseconds) override {
    const auto it = files_.find(path);
    if (it == files_.end()) return platform::http::MakeFtpError(common::FtpError::kNoFile, server, "550");
    const auto announced = announce_.find(path);
    if (onSize) onSize(announced != announce_.end() ? announced->second : it->second.size());
    const std::string_view data = it->second;
    const std::size_t step = pieceSize_ == 0 ? std::max<std::size_t>(data.size(), 1) : pieceSize_;
    for (std::size_t at = 0; at < data.size(); at += step) {
      const auto piece = data.substr(at, step);
      sent_ += piece.size();
      if (!sink(piece)) return platform::http::MakeFtpError(common::FtpError::kTransfer, server, "");
    }
    return common::Ok();
  }
  void Announce(const std::string& path, std::uint64_t size) { announce_[path] = size; }
  // Bytes handed to the sinks so far.
  std::uint64_t sent() const { return sent_; }

 private:
  std::map<std::string, std::string> files_;
  std::map<std::string, std::uint64_t> announce_;
  std::size_t pieceSize_;
  std::uint64_t sent_ = 0;
};

class UpdateLimitsTest : public ::testing::Test {
 protected:
  UpdateLimitsTest() : folder_(fs::path(::testing::TempDir()) / ("update_limits_test." + std::to_string(::getpid()))) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  ~UpdateLimitsTest() override { fs::remove_all(folder_); }
  std::optional<UpdateFailure> Download(MemoryFtp& ftp, std::uint64_t* mostReceived = nullptr) {
    UpdateSettings settings;
    settings.server.host = "127.0.0.1";
    return DownloadUpdate(
        ftp, settings, folder_ / "setup.exe",
        [&](std::uint64_t received, std::uint64_t) {
          if (mostReceived) *mostReceived = std::max(*mostReceived, received);
        },
        {}, 20s);
  }

  fs::path folder_;
};

TEST_F(UpdateLimitsTest, NotAByteIsWrittenPastTheAnnouncedSize) {
  const std::string setup = Bytes(300000, 6);
  MemoryFtp ftp({{"Orvel/Moltree/setup.exe", setup}, {"Orvel/Moltree/setup.exe.sha256", DigestLine(setup)}},
                16 * 1024);
  ftp.Announce("Orvel/Moltree/setup.exe", 200000);
  std::uint64_t mostReceived = 0;
  auto failure = Download(ftp, &mostReceived);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->source, UpdateFailure::Source::kUpdate);
  EXPECT_EQ(failure->error.code, static_cast<int>(common::UpdateError::kSizeMismatch)) << failure->error.message;
  EXPECT_LE(mostReceived, 200000u);
  EXPECT_LT(ftp.sent(), 200000u + 64 + 16 * 1024) << "the transfer stops at the first piece past the size";
  EXPECT_TRUE(FilesIn(folder_).empty()) << "nothing is kept";

  // Exactly the announced size is fine.
  MemoryFtp exact({{"Orvel/Moltree/setup.exe", setup}, {"Orvel/Moltree/setup.exe.sha256", DigestLine(setup)}},
                  7000);
  failure = Download(exact);
  EXPECT_FALSE(failure) << failure->error.message;
}

TEST_F(UpdateLimitsTest, ADigestFileOverItsLimitIsRefusedHoweverItsPiecesCome) {
  const std::string setup = Bytes(5000, 7);
  // A right digest line at the head of 10 MB.
  const std::string huge = DigestLine(setup) + std::string(10 * 1024 * 1024, ' ');
  for (const std::size_t pieceSize : {std::size_t{100}, std::size_t{1024}, std::size_t{64 * 1024}, std::size_t{0}}) {
    MemoryFtp ftp({{"Orvel/Moltree/setup.exe", setup}, {"Orvel/Moltree/setup.exe.sha256", huge}}, pieceSize);
    auto failure = Download(ftp);
    ASSERT_TRUE(failure) << "pieces of " << pieceSize;
    EXPECT_EQ(failure->error.code, static_cast<int>(common::UpdateError::kNoChecksum))
        << pieceSize << ": " << failure->error.message;
    EXPECT_TRUE(FilesIn(folder_).empty());
  }
  // At the limit it is read.
  std::string atLimit = DigestLine(setup);
  atLimit.resize(1024, ' ');
  MemoryFtp ftp({{"Orvel/Moltree/setup.exe", setup}, {"Orvel/Moltree/setup.exe.sha256", atLimit}}, 100);
  auto failure = Download(ftp);
  EXPECT_FALSE(failure) << failure->error.message;
}

class UpdateRoadTest : public testing::PlayerFormTest {
 protected:
  UpdateRoadTest() {
    TfrmLogin::Services services;
    services.zoneDirectory = "http://127.0.0.1:9";
    CreateStartupForms(app(), std::move(services));
    frmLogin->Hide();
    frmExplorer->Player = &driver();
    backend().ClearMessageBoxes();
  }
  void Serve(const std::string& setup, const std::string& digest) {
    std::map<std::string, std::string> files{{"Orvel/Moltree/setup.exe", setup},
                                             {"Orvel/Moltree/setup.exe.sha256", digest}};
    frmExplorer->Update.ftp = [files](const platform::http::FtpOptions&) {
      return std::make_unique<MemoryFtp>(files);
    };
    frmExplorer->Update.open = [this](const std::string& what, const common::Path& folder) -> common::Result<void> {
      opened_.push_back(what + " in " + common::PathToUtf8(folder));
      if (!openWorks_) return common::Error{2, common::UserMessage("", "ShellExecute 2")};
      return common::Ok();
    };
  }
  std::string Setup() const { return common::PathToUtf8(Environment().programFolder / "setup.exe"); }

  std::vector<std::string> opened_;
  bool openWorks_ = true;
};

TEST_F(UpdateRoadTest, AVerifiedUpdateIsStartedAfterTheQuestionAndTheProgramEnds) {
  const std::string setup = Bytes(5000, 4);
  Serve(setup, DigestLine(setup));
  frmExplorer->Show();
  backend().ClearMessageBoxes();
  backend().QueueAnswer(gui::ModalResult::kCancel);
  ASSERT_TRUE(frmExplorer->mmiUpdate.UserClick());
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_EQ(backend().MessageBoxes()[0].request.text, "프로그램 업데이트를 위해 잠시 종료합니다.");
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "업데이트");
  EXPECT_EQ(backend().MessageBoxes()[0].request.buttons, gui::Buttons::kOkCancel);
  EXPECT_TRUE(opened_.empty()) << "Cancel starts nothing";
  EXPECT_TRUE(common::FileExists(Environment().programFolder / "setup.exe")) << "the checked file stays";
  EXPECT_FALSE(app().Terminated());

  // The start fails: the user is told and the program stays.
  openWorks_ = false;
  backend().ClearMessageBoxes();
  backend().QueueAnswer(gui::ModalResult::kOk);
  ASSERT_TRUE(frmExplorer->mmiUpdate.UserClick());
  ASSERT_EQ(opened_.size(), 1u);
  ASSERT_EQ(backend().MessageBoxes().size(), 2u);
  EXPECT_EQ(backend().MessageBoxes()[1].request.text.rfind(
                std::string(common::ErrorSentence(common::UpdateError::kStartFailed)), 0),
            0u);
  EXPECT_FALSE(app().Terminated());
  EXPECT_NE(frmMain, nullptr);

  openWorks_ = true;
  backend().QueueAnswer(gui::ModalResult::kOk);
  ASSERT_TRUE(frmExplorer->mmiUpdate.UserClick());
  ASSERT_EQ(opened_.size(), 2u);
  EXPECT_EQ(opened_[1], Setup() + " in " + common::PathToUtf8(Environment().programFolder));
  EXPECT_TRUE(app().Terminated()) << "the program ends for the setup program";
}

TEST_F(UpdateRoadTest, AFileThatFailsItsCheckIsNeitherKeptNorStarted) {
  const std::string setup = Bytes(5000, 5);
  Serve(setup, DigestLine(setup + "changed"));
  frmExplorer->Show();
  backend().ClearMessageBoxes();
  ASSERT_TRUE(frmExplorer->mmiUpdate.UserClick());
  ASSERT_EQ(backend().MessageBoxes().size(), 1u);
  EXPECT_EQ(backend().MessageBoxes()[0].request.title, "업데이트");
  EXPECT_EQ(backend().MessageBoxes()[0].request.icon, gui::MsgIcon::kError);
  EXPECT_EQ(backend().MessageBoxes()[0].request.text.rfind(
                std::string(common::ErrorSentence(common::UpdateError::kHashMismatch)), 0),
            0u);
  EXPECT_TRUE(opened_.empty());
  EXPECT_FALSE(common::FileExists(Environment().programFolder / "setup.exe"));
  EXPECT_FALSE(app().Terminated());

  // The maker's page goes to the shell's "open" too.
  frmExplorer->mmiHomepage.UserClick();
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].rfind("http://", 0), 0u);
}

}  // namespace
}  // namespace orvel
