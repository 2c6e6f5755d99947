// libFuzzer target: the bridge's frame headers and addresses, as the
// simulated player and the programs decode them from the socket.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "player-link/BridgeFrame.h"

using namespace playerlink;
using namespace playerlink::bridge;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> in(data, size);
  if (const auto h = DecodeRequestHeader(in)) {
    if (h->length > kMaxPayload || h->parameter > kMaxPayload) std::abort();
    const auto again = DecodeRequestHeader(EncodeRequestHeader(*h));
    if (!again || again->op != h->op || again->length != h->length) std::abort();
  }
  for (Op op : {Op::kOpen, Op::kClose, Op::kControl, Op::kWrite, Op::kRead}) {
    const std::size_t wanted = size > 0 ? data[0] * 64u : 0;
    if (const auto r = DecodeReplyHeader(in, op, wanted)) {
      if (r->length > wanted || r->count > wanted) std::abort();
    }
  }
  if (const auto a = ParseAddress(std::string_view(reinterpret_cast<const char*>(data), size))) {
    if (a->port == 0) std::abort();
  }
  return 0;
}
