#include "tools/fake-service/FakeServiceData.h"

#include "common/TextCodec.h"

namespace fake_service {
namespace {

std::vector<std::string> Split(std::string_view line) {
  std::vector<std::string> fields;
  for (;;) {
    const auto bar = line.find('|');
    fields.emplace_back(line.substr(0, bar));
    if (bar == std::string_view::npos) return fields;
    line.remove_prefix(bar + 1);
  }
}

}  // namespace

common::Result<ServiceData> ParseServiceData(std::string_view utf8Text) {
  ServiceData data;
  int lineNumber = 0;
  while (!utf8Text.empty()) {
    ++lineNumber;
    const auto newline = utf8Text.find('\n');
    std::string_view line = utf8Text.substr(0, newline);
    utf8Text.remove_prefix(newline == std::string_view::npos ? utf8Text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;

    auto converted = common::Utf8ToCp949(line);
    if (!converted) {
      return common::Error{lineNumber, "line " + std::to_string(lineNumber) + ": " + converted.error().message};
    }
    const auto f = Split(*converted);
    auto bad = [&](const char* what) {
      return common::Error{lineNumber, "line " + std::to_string(lineNumber) + ": " + what};
    };
    if (f[0] == "zone") {
      if (f.size() != 6) return bad("a zone has 5 fields");
      data.zones.push_back({f[1], f[2], f[3], f[4], f[5]});
    } else if (f[0] == "user") {
      if (f.size() != 3 && f.size() != 4) return bad("a user has 2 or 3 fields");
      User& user = data.users[f[1]];
      user.password = f[2];
      user.loginAnswer = f.size() == 4 ? f[3] : "";
    } else if (f[0] == "channel") {
      if (f.size() != 12) return bad("a channel has 11 fields");
      auto it = data.users.find(f[1]);
      if (it == data.users.end()) return bad("channel of a user not listed before it");
      using orvel::service::NumberOrZero;
      it->second.channels.push_back({NumberOrZero(f[2]), f[3], NumberOrZero(f[4]), f[5], NumberOrZero(f[6]), f[7],
                                     f[8], NumberOrZero(f[9]), f[10], f[11]});
    } else if (f[0] == "file") {
      if (f.size() != 3 || f[1].empty()) return bad("a file has a name and a size");
      const std::int32_t bytes = orvel::service::NumberOrZero(f[2]);
      if (bytes < 0 || (bytes == 0 && f[2] != "0")) return bad("a file size is a number of bytes");
      data.fileSizes[f[1]] = static_cast<std::uint64_t>(bytes);
    } else {
      return bad("unknown record kind");
    }
  }
  return data;
}

}  // namespace fake_service
