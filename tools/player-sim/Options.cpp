#include "tools/player-sim/Options.h"

#include <charconv>

namespace playersim {

using common::Error;
using common::Result;
using playerlink::sim::Faults;
using playerlink::sim::MediumId;

namespace {

std::optional<std::uint64_t> Number(std::string_view text, int base = 10) {
  std::uint64_t v = 0;
  if (text.empty()) return std::nullopt;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

Error Bad(const std::string& what) { return Error{2, what}; }

// "spec@medium" -> the medium's base, when named.
Result<std::optional<std::uint8_t>> MediumSuffix(std::string& spec) {
  const auto at = spec.find('@');
  if (at == std::string::npos) return std::optional<std::uint8_t>{};
  const std::string medium = spec.substr(at + 1);
  spec.resize(at);
  if (medium == "internal") return std::optional<std::uint8_t>{playerlink::kInternalMemoryBase};
  if (medium == "card") return std::optional<std::uint8_t>{playerlink::kCardBase};
  return Bad("unknown medium '" + medium + "' (internal or card)");
}

}  // namespace

Result<void> AddFault(Faults& faults, const std::string& specText) {
  const auto colon = specText.find(':');
  if (colon == std::string::npos) return Bad("a fault is KIND:VALUE, not '" + specText + "'");
  const std::string kind = specText.substr(0, colon);
  std::string value = specText.substr(colon + 1);

  if (kind == "open") {
    const int device = value == "control" ? 0 : value == "in" ? 1 : value == "out" ? 2 : -1;
    if (device < 0) return Bad("open: control, in or out");
    faults.failOpen[static_cast<std::size_t>(device)] = true;
    return common::Ok();
  }
  if (kind == "fail" || kind == "answer") {
    auto medium = MediumSuffix(value);
    if (!medium) return medium.error();
    Faults::Command c;
    c.base = *medium;
    std::string code = value, answer;
    if (kind == "answer") {
      const auto eq = value.find('=');
      if (eq == std::string::npos) return Bad("answer: CODE=RESULT[,COUNT]");
      code = value.substr(0, eq);
      answer = value.substr(eq + 1);
      const auto comma = answer.find(',');
      const auto result = Number(answer.substr(0, comma));
      if (!result || *result > 0xFFFFFFFFu) return Bad("answer: bad result in '" + specText + "'");
      c.answer.result = static_cast<std::uint32_t>(*result);
      if (comma != std::string::npos) {
        const auto count = Number(answer.substr(comma + 1));
        if (!count || *count > 0xFFFF) return Bad("answer: bad count in '" + specText + "'");
        c.answer.count = static_cast<std::uint16_t>(*count);
      }
    } else {
      c.failCall = true;
    }
    const auto n = Number(code);
    if (!n || *n > playerlink::kHighestCommandCode) return Bad("command codes are 0-9, not '" + code + "'");
    c.code = static_cast<std::uint8_t>(*n);
    faults.commands.push_back(c);
    return common::Ok();
  }
  if (kind == "short-read" || kind == "short-write") {
    Faults::ShortBlock s;
    s.read = kind == "short-read";
    const auto at = value.find('@');
    const auto k = Number(value.substr(0, at));
    if (!k || *k == 0 || *k > 0xFFFFFFFFu) return Bad(kind + ": the block number counts from 1");
    s.k = static_cast<unsigned>(*k);
    if (at != std::string::npos) {
      const auto code = Number(value.substr(at + 1));
      if (!code || *code > playerlink::kHighestCommandCode) return Bad(kind + ": bad command code");
      s.afterCode = static_cast<std::uint8_t>(*code);
    }
    faults.shortBlocks.push_back(s);
    return common::Ok();
  }
  if (kind == "unplug") {
    // K[@CODE][,CALLS]: away from the K-th read block on; CALLS failed calls
    // before it answers again (none given: gone for good).
    Faults::Unplug u;
    const auto comma = value.find(',');
    const std::string where = value.substr(0, comma);
    const auto at = where.find('@');
    const auto k = Number(where.substr(0, at));
    if (!k || *k == 0 || *k > 0xFFFFFFFFu) return Bad("unplug: the block number counts from 1");
    u.k = static_cast<unsigned>(*k);
    if (at != std::string::npos) {
      const auto code = Number(where.substr(at + 1));
      if (!code || *code > playerlink::kHighestCommandCode) return Bad("unplug: bad command code");
      u.afterCode = static_cast<std::uint8_t>(*code);
    }
    if (comma != std::string::npos) {
      const auto calls = Number(value.substr(comma + 1));
      if (!calls || *calls > 0x7FFFFFFF) return Bad("unplug: bad number of calls");
      u.calls = static_cast<int>(*calls);
    }
    faults.unplugs.push_back(u);
    return common::Ok();
  }
  if (kind == "bad-tag") {
    const auto k = Number(value);
    if (!k || *k < 2 || *k > 0xFFFF) return Bad("bad-tag: a directory block from 2 on (1 is the information block)");
    faults.badTagAtDirectoryBlock = static_cast<unsigned>(*k);
    return common::Ok();
  }
  return Bad("unknown fault kind '" + kind + "'");
}

Result<Options> ParseOptions(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto next = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    auto needNumber = [&](std::uint64_t max, int base = 10) -> Result<std::uint64_t> {
      const auto v = next();
      const auto n = v ? Number(*v, base) : std::nullopt;
      if (!n || *n > max) return Bad(a + " needs a number up to " + std::to_string(max));
      return *n;
    };
    auto medium = [&](const std::string& name) -> std::optional<MediumId> {
      if (name == "internal") return MediumId::kInternal;
      if (name == "card") return MediumId::kCard;
      return std::nullopt;
    };

    if (a == "--storage") {
      const auto v = next();
      if (!v || v->empty()) return Bad("--storage needs a folder");
      o.storage = *v;
    } else if (a == "--port") {
      auto n = needNumber(65535);
      if (!n) return n.error();
      o.port = static_cast<std::uint16_t>(*n);
    } else if (a == "--port-file") {
      const auto v = next();
      if (!v) return Bad("--port-file needs a file");
      o.portFile = *v;
    } else if (a == "--lifetime") {
      auto n = needNumber(7 * 24 * 3600);
      if (!n || *n == 0) return Bad("--lifetime needs 1 to 604800 seconds");
      o.lifetimeSeconds = static_cast<unsigned>(*n);
    } else if (a == "--block-delay-ms") {
      auto n = needNumber(10000);
      if (!n) return Bad("--block-delay-ms needs 0 to 10000 milliseconds");
      o.blockDelayMs = static_cast<unsigned>(*n);
    } else if (a == "--pace") {
      // usb11, or BYTES_PER_SECOND[,LATENCY_MS]
      const auto v = next();
      if (v && *v == "usb11") {
        o.player.pace = playerlink::sim::kUsbFullSpeed;
        continue;
      }
      const auto comma = v ? v->find(',') : std::string::npos;
      const auto rate = v ? Number(v->substr(0, comma), 10) : std::nullopt;
      const auto latency = comma == std::string::npos ? std::optional<std::uint64_t>(0)
                                                       : Number(v->substr(comma + 1), 10);
      if (!rate || *rate > 1000000000u || !latency || *latency > 10000) {
        return Bad("--pace needs usb11 or BYTES_PER_SECOND[,LATENCY_MS] (up to 1000000000 and 10000)");
      }
      o.player.pace = {*rate, std::chrono::milliseconds(*latency)};
    } else if (a == "--identifier") {
      auto n = needNumber(0xFFFFFFFFu, 16);
      if (!n) return n.error();
      o.identifier = static_cast<std::uint32_t>(*n);
    } else if (a == "--model") {
      auto n = needNumber(0xFFFF, 16);
      if (!n) return n.error();
      o.player.modelHigh = static_cast<std::uint8_t>(*n >> 8);
      o.player.modelLow = static_cast<std::uint8_t>(*n);
    } else if (a == "--firmware") {
      auto n = needNumber(0xFFFF);
      if (!n) return n.error();
      o.player.firmwareTimesTen = static_cast<std::uint16_t>(*n);
    } else if (a == "--internal-bytes" || a == "--card-bytes") {
      auto n = needNumber(0x7FFFFFFF);
      if (!n || *n == 0) return Bad(a + " needs 1 to 2147483647 bytes");
      o.player.media[a == "--card-bytes" ? 1 : 0].capacity = static_cast<std::uint32_t>(*n);
    } else if (a == "--no-card") {
      o.player.media[1].present = false;
    } else if (a == "--unformatted") {
      const auto v = next();
      const auto m = v ? medium(*v) : std::nullopt;
      if (!m) return Bad("--unformatted needs internal or card");
      o.player.media[static_cast<std::size_t>(*m)].formatted = false;
    } else if (a == "--add") {
      // MEDIUM:NAME=FILE; the name may hold ':' and '=' of its own, the file
      // comes after the last '='.
      const auto v = next();
      const auto colon = v ? v->find(':') : std::string::npos;
      const auto eq = v ? v->rfind('=') : std::string::npos;
      const auto m = colon != std::string::npos ? medium(v->substr(0, colon)) : std::nullopt;
      if (!m || eq == std::string::npos || eq <= colon + 1 || eq + 1 >= v->size()) {
        return Bad("--add needs internal|card:NAME=FILE");
      }
      o.seeds.push_back({*m, v->substr(colon + 1, eq - colon - 1), v->substr(eq + 1)});
    } else if (a == "--fault") {
      const auto v = next();
      if (!v) return Bad("--fault needs a specification");
      if (auto r = AddFault(o.faults, *v); !r) return r.error();
    } else {
      return Bad("unknown argument '" + a + "'");
    }
  }
  if (o.storage.empty()) return Bad("--storage FOLDER is required");
  return o;
}

}  // namespace playersim
