// What the player starts outside itself: a web browser with an address
// (the context menu's web sites, the browser window's fallback button), and
// the address of the player's page, a setting of the user's.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace vantu {

// The maker's and the player's web sites (context menu items 32777, 32778).
inline constexpr char kMakerSite[] = "http://www.qortan.co.kr/";
inline constexpr char kPlayerSite[] = "http://www.qortan.co.kr/vantu/";
// The page the browser window shows and goes to when a file starts, unless
// the user set another (HKCU kPageKey, value kPageValue; http or https).
inline constexpr char kDefaultPlayerPage[] = "http://www.qortan.co.kr/vantu/player/";
inline constexpr char kPageKey[] = "Software\\Qortan\\Vantu";
inline constexpr char kPageValue[] = "PlayerPage";
// Where the system's web browser program is registered (default value).
inline constexpr char kBrowserAppPathKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
// The longest browser program path taken from the registry (bytes).
constexpr std::size_t kMaxBrowserProgram = 256;

// The command line that starts `program` with `address`: the program path
// in double quotes (unless it already is), so a path with spaces is one.
inline std::string BrowserCommandLine(const std::string& program, const std::string& address) {
  const bool quoted = program.size() >= 2 && program.front() == '"' && program.back() == '"';
  return (quoted ? program : "\"" + program + "\"") + " " + address;
}

class PlayerShell {
 public:
  virtual ~PlayerShell() = default;
  // The registered browser program, or none (missing, unreadable, too long).
  virtual std::optional<std::string> BrowserProgram() = 0;
  // Starts a program with its command line, shown normally.
  virtual bool StartCommand(const std::string& commandLine) = 0;
  // Opens the address in the user's default web browser.
  virtual bool OpenInDefaultBrowser(const std::string& address) = 0;
  virtual std::string PlayerPage() = 0;
};

// Over the registry; starting programs on Windows (natively nothing starts).
class SystemShell : public PlayerShell {
 public:
  explicit SystemShell(platform::Registry& registry) : registry_(registry) {}
  std::optional<std::string> BrowserProgram() override;
  bool StartCommand(const std::string& commandLine) override;
  bool OpenInDefaultBrowser(const std::string& address) override;
  std::string PlayerPage() override;

 private:
  platform::Registry& registry_;
};

// An address the player hands on: http:// or https://, no control
// characters, at most 2048 bytes.
bool IsWebAddress(const std::string& address);

}  // namespace vantu
