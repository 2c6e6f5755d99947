#include "platform/http/FtpClient.h"

#include <optional>

namespace platform::http {

common::Error MakeFtpError(FtpError kind, const FtpServer& server, const std::string& detail) {
  std::string line = detail;
  if (!server.host.empty()) {
    line += (line.empty() ? "" : ", ") + std::string("서버 ") + server.host + ":" + std::to_string(server.port);
  }
  return common::Error{static_cast<int>(kind), common::UserMessage(common::ErrorSentence(kind), line)};
}

std::optional<common::Error> RefuseFtpTarget(const FtpServer& server, const std::string& path) {
  auto refuse = [&](const char* why) { return MakeFtpError(FtpError::kBadAddress, server, why); };
  if (server.host.empty()) return refuse("서버 이름이 비어 있음");
  for (unsigned char c : server.host) {
    if (c <= 0x20 || c == 0x7F || c == '/' || c == '@' || c == '?' || c == '#' || c == '\\') {
      return refuse("서버 이름에 쓸 수 없는 문자");
    }
  }
  if (server.port < 1 || server.port > 65535) return refuse("포트 번호가 범위 밖");
  if (path.empty() || path.front() == '/' || path.back() == '/') return refuse("파일 경로가 올바르지 않음");
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part.empty() || part == "." || part == "..") return refuse("파일 경로가 올바르지 않음");
    for (unsigned char c : part) {
      if (c < 0x20 || c == 0x7F || c == '\\') return refuse("파일 경로에 쓸 수 없는 문자");
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  for (unsigned char c : server.user + server.password) {
    if (c < 0x20 || c == 0x7F) return refuse("계정에 쓸 수 없는 문자");
  }
  return std::nullopt;
}

}  // namespace platform::http
