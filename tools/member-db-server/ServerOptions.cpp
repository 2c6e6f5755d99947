#include "tools/member-db-server/ServerOptions.h"

#include <charconv>

namespace memberdb {
namespace {

common::Result<long long> Number(const std::string& option, const std::string& text, long long low, long long high) {
  const bool hex = text.rfind("0x", 0) == 0;
  const char* begin = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  long long value = 0;
  const auto [end, ec] = std::from_chars(begin, last, value, hex ? 16 : 10);
  if (begin == last || ec != std::errc() || end != last) return common::Error{0, option + ": not a number: " + text};
  if (value < low || value > high) {
    return common::Error{0, option + ": " + text + " is outside " + std::to_string(low) + ".." + std::to_string(high)};
  }
  return value;
}

common::Result<std::vector<std::uint8_t>> Hex(const std::string& option, const std::string& text) {
  if (text.size() % 2 != 0) return common::Error{0, option + ": odd number of hex digits"};
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (ec != std::errc() || end != text.data() + i + 2) return common::Error{0, option + ": not hex: " + text};
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

}  // namespace

common::Result<ServerOptions> ParseServerOptions(const std::vector<std::string>& args) {
  ServerOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (i + 1 >= args.size()) return common::Error{0, option + ": a value is missing"};
    const std::string& value = args[++i];
    // Reads a number in [low, high] into `field`; false (and `error` set) when it is not one.
    common::Error error;
    const auto number = [&](auto& field, long long low, long long high, auto convert) {
      auto n = Number(option, value, low, high);
      if (!n) {
        error = n.error();
        return false;
      }
      field = convert(*n);
      return true;
    };
    const auto plain = [](auto type) { return [](long long n) { return static_cast<decltype(type)>(n); }; };
    const auto millis = [](long long n) { return std::chrono::milliseconds(n); };

    bool ok = true;
    if (option == "--data") {
      o.dataFile = value;
    } else if (option == "--address") {
      o.address = value;
    } else if (option == "--port") {
      ok = number(o.port, 0, 65535, plain(std::uint16_t{}));
    } else if (option == "--lifetime") {
      ok = number(o.lifetime, 1, 3600, [](long long n) { return std::chrono::seconds(n); });
    } else if (option == "--log") {
      o.logFile = value;
    } else if (option == "--withhold-ack") {
      if (value == "header") o.withholdAck = WithholdAck::kHeader;
      else if (value == "end") o.withholdAck = WithholdAck::kEnd;
      else return common::Error{0, option + ": header or end, not " + value};
    } else if (option == "--ack-delay-ms") {
      ok = number(o.ackDelay, 0, 600000, millis);
    } else if (option == "--ack-prefix") {
      o.ackPrefix = value;
    } else if (option == "--split-bytes") {
      ok = number(o.splitBytes, 1, 1 << 20, plain(std::size_t{}));
    } else if (option == "--split-pause-ms") {
      ok = number(o.splitPause, 0, 60000, millis);
    } else if (option == "--garbage") {
      o.garbage = value;
    } else if (option == "--trickle-ms") {
      ok = number(o.trickle, 1, 60000, millis);
    } else if (option == "--header") {
      o.headerText = value;
    } else if (option == "--end-mark") {
      if (value == "none") {
        o.endMark = -1;
      } else {
        ok = number(o.endMark, 0, 255, plain(int{}));
      }
    } else if (option == "--close-at") {
      if (value == "accept") o.closeAt = CloseAt::kAccept;
      else if (value == "request-header") o.closeAt = CloseAt::kRequestHeader;
      else if (value == "request-end") o.closeAt = CloseAt::kRequestEnd;
      else if (value == "request") o.closeAt = CloseAt::kRequest;
      else if (value == "reply-header") o.closeAt = CloseAt::kReplyHeader;
      else if (value == "reply-payload") o.closeAt = CloseAt::kReplyPayload;
      else if (value == "reply-end") o.closeAt = CloseAt::kReplyEnd;
      else return common::Error{0, option + ": unknown stage " + value};
    } else if (option == "--status") {
      if (value.size() != 1) return common::Error{0, option + ": one character, not " + value};
      o.status = static_cast<std::uint8_t>(value[0]);
    } else if (option == "--reason") {
      ok = number(o.reason, -128, 255, [](long long n) { return static_cast<std::int8_t>(static_cast<std::uint8_t>(n & 0xFF)); });
    } else if (option == "--record-bytes") {
      ok = number(o.recordBytes, 0, 450, plain(std::size_t{}));
    } else if (option == "--reply-hex") {
      auto bytes = Hex(option, value);
      if (!bytes) return bytes.error();
      o.replyPayload = std::move(*bytes);
    } else {
      return common::Error{0, "unknown option " + option};
    }
    if (!ok) return error;
  }
  if (o.dataFile.empty() && !o.replyPayload) return common::Error{0, "--data FILE is needed (or --reply-hex)"};
  return o;
}

}  // namespace memberdb
