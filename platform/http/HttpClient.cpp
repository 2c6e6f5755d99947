#include "platform/http/HttpClient.h"

namespace platform::http {

std::string AddressForMessage(const std::string& url) {
  const auto query = url.find('?');
  return query == std::string::npos ? url : url.substr(0, query);
}

std::optional<common::Error> RefuseAddress(const std::string& url, bool tls) {
  const bool https = url.rfind("https://", 0) == 0;
  if (!https && url.rfind("http://", 0) != 0) {
    return MakeHttpError(HttpError::kBadUrl, url, "not an http:// or https:// address");
  }
  if (tls && !https) return MakeHttpError(HttpError::kBadUrl, url, "TLS is on, but the address is not https://");
  return std::nullopt;
}

common::Error MakeHttpError(HttpError kind, const std::string& url, const std::string& detail) {
  return common::Error{static_cast<int>(kind), AddressForMessage(url) + ": " + detail};
}

}  // namespace platform::http
