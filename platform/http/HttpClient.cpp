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

common::Error MakeHttpError(HttpError kind, const std::string& url, const std::string& detail) {
  std::string line = detail;
  const std::string host = HostForMessage(url);
  if (!host.empty()) line += (line.empty() ? "" : ", ") + std::string("서버 ") + host;
  return common::Error{static_cast<int>(kind), common::UserMessage(common::ErrorSentence(kind), line)};
}

}  // namespace platform::http
