#include "platform/http/HttpClient.h"

namespace platform::http {

std::string AddressForMessage(const std::string& url) {
  const auto query = url.find('?');
  return query == std::string::npos ? url : url.substr(0, query);
}

common::Error MakeHttpError(HttpError kind, const std::string& url, const std::string& detail) {
  return common::Error{static_cast<int>(kind), AddressForMessage(url) + ": " + detail};
}

}  // namespace platform::http
