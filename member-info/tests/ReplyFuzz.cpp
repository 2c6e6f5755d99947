// libFuzzer target: the reply side of both exchanges. The first byte picks
// the request (bit 7: member record, else password check), the way in (bit
// 6: the bytes are a reply payload handed to the interpretation directly;
// else they arrive over a connection in pieces, ACKs, frame header,
// payload and end mark included) and the piece size (bits 0-5). The
// results are checked against what the payload says.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "member-info/MemberDbClient.h"
#include "member-info/MemberWire.h"
#include "member-info/tests/ScriptedConnection.h"

using namespace dastrel;
using namespace std::chrono_literals;

namespace {

// What a reply payload must give, from its bytes alone.
short ExpectedPasswordCheck(std::span<const std::uint8_t> p) {
  if (p.size() < 2 || p[0] != 'r' || p[1] == 'E') return result::kNoReply;
  if (p[1] == 'O') return result::kOk;
  if (p.size() < 3) return result::kNoReply;
  const auto reason = static_cast<std::int8_t>(p[2]);
  if (reason == 0 || reason == -1 || reason == -2) return result::kRefusedUnusableReason;
  return reason;
}

void CheckRecord(std::span<const std::uint8_t> payload, short r, const MemberInfoRecord& record,
                 const MemberInfoRecord& before) {
  const bool whole = payload.size() >= 5 + kMemberInfoRecordSize && payload[0] == 'r' && payload[1] == 'O';
  if ((r == result::kOk) != whole) std::abort();
  if (r != result::kOk) {
    if (record.bytes() != before.bytes()) std::abort();  // a failed request leaves the record alone
    return;
  }
  if (std::memcmp(record.bytes().data(), payload.data() + 5, kMemberInfoRecordSize) != 0) std::abort();
  for (const SlotLayout& slot : kRecordSlots) {
    const std::string_view text = record.SlotText(slot.slot);
    if (text.size() > slot.width) std::abort();
    if (text.find('\0') != std::string_view::npos) std::abort();
    if (std::memcmp(text.data(), payload.data() + 5 + slot.offset, text.size()) != 0) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool memberInfo = (data[0] & 0x80) != 0;
  const bool direct = (data[0] & 0x40) != 0;
  const std::size_t piece = 1 + (data[0] & 0x3F) % 32;
  std::span<const std::uint8_t> rest(data + 1, size - 1);

  MemberInfoRecord before;
  (void)before.SetSlotText(RecordSlot::kID, "untouched");
  if (direct) {
    if (memberInfo) {
      MemberInfoRecord record = before;
      const short r = InterpretMemberInfoReply(rest, record);
      CheckRecord(rest, r, record, before);
    } else if (InterpretPasswordCheckReply(rest) != ExpectedPasswordCheck(rest)) {
      std::abort();
    }
    return 0;
  }

  std::vector<std::string> script;
  for (std::size_t at = 0; at < rest.size(); at += piece) {
    script.emplace_back(reinterpret_cast<const char*>(rest.data() + at), std::min(piece, rest.size() - at));
  }
  testing::ScriptedConnection connection(std::move(script));
  const RequestLimits limits{1s, 10s};
  if (memberInfo) {
    MemberInfoRecord record = before;
    const short r = ExchangeMemberInfo(connection, "cookie", record, limits);
    if (r != result::kOk && r != result::kNotSent && r != result::kNoReply) std::abort();
    for (const SlotLayout& slot : kRecordSlots) {
      if (record.SlotText(slot.slot).size() > slot.width) std::abort();
    }
    if (r != result::kOk && record.bytes() != before.bytes()) std::abort();
  } else {
    const short r = ExchangePasswordCheck(connection, "teska01", "pass01", limits);
    if (r == -1 && connection.sent.find("ACK") != std::string::npos) std::abort();  // a reply was read
    if (r < -128 && r != result::kNotSent && r != result::kNoReply) std::abort();
  }
  return 0;
}
