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
  return 0;
}
