// libFuzzer target: the reply side of both exchanges (ACK scanning, frame
// header, payload, end mark, reply parse) over bytes that arrive in pieces.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "member-info/MemberDbClient.h"
#include "member-info/tests/ScriptedConnection.h"

using namespace dastrel;
using namespace std::chrono_literals;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the piece size and the request.
  const std::size_t piece = 1 + (data[0] & 0x7F) % 32;
  const bool memberInfo = (data[0] & 0x80) != 0;
  std::vector<std::string> script;
  for (std::size_t at = 1; at < size; at += piece) {
    script.emplace_back(reinterpret_cast<const char*>(data + at), std::min(piece, size - at));
  }
  testing::ScriptedConnection connection(std::move(script));
  const RequestLimits limits{1s, 10s};
  short r;
  if (memberInfo) {
    MemberInfoRecord record;
    r = ExchangeMemberInfo(connection, "cookie", record, limits);
    for (const SlotLayout& slot : kRecordSlots) {
      if (record.SlotText(slot.slot).size() > slot.width) std::abort();
    }
    if (r != result::kOk && r != result::kNotSent && r != result::kNoReply) std::abort();
  } else {
    r = ExchangePasswordCheck(connection, "teska01", "pass01", limits);
    if (r == -1 && connection.sent.find("ACK") != std::string::npos) std::abort();  // a reply was read
    if (r < -128 && r != result::kNotSent && r != result::kNoReply) std::abort();
  }
  return 0;
}
