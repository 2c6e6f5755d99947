// The settings parser on any bytes: reads and a rewrite must not fail, and
// a written value reads back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto ini = platform::IniFile::Parse(bytes);
  (void)ini.ReadBool("STARTOPTION", "AUTOLOGIN", false);
  (void)ini.ReadString("USERINFO", "PASSWD", "");
  ini.WriteString("USERINFO", "USERID", "fuzz");
  auto again = platform::IniFile::Parse(ini.Serialize());
  if (again.ReadString("USERINFO", "USERID", "") != "fuzz") __builtin_trap();
  // A value from outside (the input's tail) changes its own key only.
  const auto autoLogin = again.Read("STARTOPTION", "AUTOLOGIN");
  const auto password = again.Read("USERINFO", "PASSWD");
  again.WriteString("SERVERINFO", "SERVERNAME", bytes.substr(bytes.size() / 2));
  auto written = platform::IniFile::Parse(again.Serialize());
  if (written.Read("STARTOPTION", "AUTOLOGIN") != autoLogin || written.Read("USERINFO", "PASSWD") != password) {
    __builtin_trap();
  }
  return 0;
}
