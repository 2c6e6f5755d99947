// The command line of member-db-server: what it serves, where, for how long,
// and the faults it puts into its side of the exchange (see MemberDbServer.cpp
// for the full usage text).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Result.h"

namespace memberdb {

enum class CloseAt {
  kNever,
  kAccept,         // right after accepting
  kRequestHeader,  // in place of the "ACK" to the request's header
  kRequestEnd,     // in place of the "ACK" to the request's end mark
  kRequest,        // after the whole request, before any reply byte
  kReplyHeader,    // after the reply's header, before its "ACK" comes
  kReplyPayload,   // half-way through the reply's payload
  kReplyEnd,       // after the reply's payload, before its end mark
};

enum class WithholdAck { kNone, kHeader, kEnd };

struct ServerOptions {
  std::string dataFile;
  std::string address = "127.0.0.1";
  std::uint16_t port = 0;  // 0: the system's choice, reported on stdout
  std::chrono::seconds lifetime{60};
  std::string logFile;  // one line per request received: its payload in hex

  // Faults in the server's acknowledgements of the request.
  WithholdAck withholdAck = WithholdAck::kNone;
  std::chrono::milliseconds ackDelay{0};
  std::string ackPrefix;  // bytes sent before each "ACK"

  // Faults in every write: pieces of this many bytes, with a pause between.
  std::size_t splitBytes = 0;  // 0: whole writes
  std::chrono::milliseconds splitPause{0};

  // Faults in the reply frame.
  std::string garbage;                     // bytes before "<"
  std::chrono::milliseconds trickle{0};    // >0: one garbage byte per interval, never a header
  std::optional<std::string> headerText;   // the text between "<" and ">" instead of the length
  std::optional<int> endMark;              // the byte after the payload; -1: none at all
  CloseAt closeAt = CloseAt::kNever;

  // The reply's contents.
  std::optional<std::uint8_t> status;      // status byte of every reply
  std::optional<std::int8_t> reason;       // reason byte of every reply (status 'N' unless given)
  std::optional<std::size_t> recordBytes;  // send only this many record bytes
  std::optional<std::vector<std::uint8_t>> replyPayload;  // the whole reply payload, as given
};

// The arguments after the program name.
common::Result<ServerOptions> ParseServerOptions(const std::vector<std::string>& args);

}  // namespace memberdb
