#include "platform/http/HttpClient.h"

namespace platform::http {

std::string HostForMessage(const std::string& url) {
  const auto scheme = url.find("://");
  std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  const auto end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const auto at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  return authority;
}

std::optional<common::Error> RefuseAddress(const std::string& url, bool tls) {
  const bool https = url.rfind("https://", 0) == 0;
  if (!https && url.rfind("http://", 0) != 0) {
    return MakeHttpError(HttpError::kBadUrl, url, "http:// 또는 https:// 주소가 아님");
  }
  if (tls && !https) return MakeHttpError(HttpError::kBadUrl, url, "보안 연결 사용 중, https:// 주소가 아님");
  return std::nullopt;
}

common::Result<std::string> CollectBody(const std::string& url, std::size_t maxBytes,
                                        const std::function<common::Result<void>(const BodySink&)>& transfer) {
  std::string body;
  bool tooLarge = false;
  auto done = transfer([&](std::string_view piece) {
    if (piece.size() > maxBytes - body.size()) {
      tooLarge = true;
      return false;
    }
    body.append(piece);
    return true;
  });
  if (tooLarge) return MakeHttpError(HttpError::kTooLarge, url, "응답 한도 " + std::to_string(maxBytes) + "바이트");
  if (!done) return done.error();
  return body;
}

common::Error MakeHttpError(HttpError kind, const std::string& url, const std::string& detail) {
  std::string line = detail;
  const std::string host = HostForMessage(url);
  if (!host.empty()) line += (line.empty() ? "" : ", ") + std::string("서버 ") + host;
  return common::Error{static_cast<int>(kind), common::UserMessage(common::ErrorSentence(kind), line)};
}

}  // namespace platform::http
