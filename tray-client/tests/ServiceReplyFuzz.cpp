// Fuzzes the parsers of the channel service's replies: the reply header and
// classifier, the zone list and the channel list. Checks that the encoders
// give back what the parsers read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tray-client/ServiceProtocol.h"

using namespace orvel::service;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const CommandResult result = ClassifyReply(input);
  if (result.serviceReply != (!input.empty() && input[0] == '@')) std::abort();
  (void)LoginCode(result);

  if (auto zones = ParseZoneReply(input)) {
    for (const auto& zone : zones->zones) {
      (void)LoginUrl(false, zone.host);
    }
  }

  const ChannelList list = ParseChannelList(input);
  if (!list.items.empty()) {
    // A complete list encodes to a text that parses to the same items.
    const ChannelList again = ParseChannelList(EncodeChannelList(list.items));
    if (again.items.size() != list.items.size()) std::abort();
    for (std::size_t i = 0; i < list.items.size(); ++i) {
      if (again.items[i].PurchaseNum != list.items[i].PurchaseNum ||
          again.items[i].ChannelName != list.items[i].ChannelName ||
          again.items[i].Sequence != list.items[i].Sequence) {
        std::abort();
      }
    }
  }
  (void)RedactPassword(input);
  return 0;
}
