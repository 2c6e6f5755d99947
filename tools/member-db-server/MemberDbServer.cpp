// member-db-server: a fake member database server for the tests of the
// member-information library and of its callers. It speaks the framed TCP
// protocol of member-info/MemberWire.h on 127.0.0.1, serves the members of a
// small data file (MemberData.h describes the format; sample-members.txt is
// the sample) and can put faults into its side of every exchange.
//
// usage: member-db-server --data FILE [options]
//   --address A            IPv4 address to listen on (127.0.0.1)
//   --port N               port to listen on; 0 (the default) lets the system
//                          choose. The port is reported as the first line on
//                          stdout: "PORT <n>"
//   --lifetime S           stop by itself after S seconds (60; at most 3600)
//   --log FILE             append one line per request received: its payload in hex
// Acknowledgements of the request:
//   --withhold-ack header|end   never send that "ACK" (the connection stays open)
//   --ack-delay-ms N            wait N ms before each "ACK"
//   --ack-prefix TEXT           send TEXT before each "ACK"
//   --close-at request-header|request-end   close in place of that "ACK"
// Every write:
//   --split-bytes N        write in pieces of N bytes ...
//   --split-pause-ms N     ... with N ms between them (ACKs split across reads)
// The reply frame:
//   --garbage TEXT         send TEXT before "<"
//   --trickle-ms N         send a garbage byte every N ms and never a header
//   --header TEXT          TEXT between "<" and ">" instead of the payload's length
//   --end-mark N|none      this byte (0-255, or 0xNN) instead of 0x04, or none
//   --close-at request|reply-header|reply-payload|reply-end|accept
//                          close at that point (reply-payload: after half of it)
// The reply's contents:
//   --status C             this status byte in every reply ('O', 'E', 'N' ...)
//   --reason N             this reason byte (-128..255) in every reply; the
//                          status is 'N' unless --status says otherwise
//   --record-bytes N       send only N bytes of the 450-byte record
//   --reply-hex HEX        send this payload as the reply, whatever was asked
//
// Without faults: a password check of a known ID with its password gets "rO";
// a wrong password "rN" with reason 1; an unknown ID "rN" with reason 2. A
// member record request with a known cookie gets "rO", three zero bytes and
// the 450-byte record; an unknown cookie "rN" with reason 2. A request that
// cannot be decoded gets "rE".
//
// Connections are served one thread each; a connection that stays silent is
// dropped after 10 s. The process ends after its lifetime, or on SIGTERM.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "member-info/FrameChannel.h"
#include "member-info/MemberWire.h"
#include "platform/net/Socket.h"
#include "tools/member-db-server/MemberData.h"
#include "tools/member-db-server/ServerOptions.h"

namespace {

using namespace std::chrono_literals;
using dastrel::FrameChannel;
using memberdb::CloseAt;
using memberdb::ServerOptions;
namespace wire = dastrel::wire;
namespace net = platform::net;

constexpr auto kReadTimeout = 10s;
constexpr auto kConnectionDeadline = 60s;

class RequestLog {
 public:
  explicit RequestLog(const std::string& path) {
    if (!path.empty()) file_ = std::fopen(path.c_str(), "a");
  }
  bool failed(const std::string& path) const { return !path.empty() && file_ == nullptr; }
  void Write(const std::vector<std::uint8_t>& payload) {
    if (file_ == nullptr) return;
    std::lock_guard lock(mutex_);
    for (std::uint8_t b : payload) std::fprintf(file_, "%02x", b);
    std::fputc('\n', file_);
    std::fflush(file_);
  }

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

// Puts the write faults and the acknowledgement faults between the frame
// code and the socket.
class FaultyConnection final : public net::Connection {
 public:
  FaultyConnection(net::Connection& inner, const ServerOptions& o) : inner_(inner), o_(o) {}

  void EndRequestPhase() { requestPhase_ = false; }

  common::Result<void> SendAll(std::span<const std::uint8_t> bytes, net::Millis timeout) override {
    const bool ack = requestPhase_ && std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()) == wire::kAck;
    if (ack) {
      ++acks_;
      const bool header = acks_ == 1;
      if ((header && o_.closeAt == CloseAt::kRequestHeader) || (!header && o_.closeAt == CloseAt::kRequestEnd)) {
        return common::Error{0, "closing in place of the ACK"};
      }
      if ((header && o_.withholdAck == memberdb::WithholdAck::kHeader) ||
          (!header && o_.withholdAck == memberdb::WithholdAck::kEnd)) {
        return common::Ok();  // pretend it went out
      }
      if (o_.ackDelay.count() > 0) std::this_thread::sleep_for(o_.ackDelay);
      if (!o_.ackPrefix.empty()) {
        if (auto r = Write({reinterpret_cast<const std::uint8_t*>(o_.ackPrefix.data()), o_.ackPrefix.size()}, timeout); !r) {
          return r;
        }
      }
    }
    return Write(bytes, timeout);
  }

  common::Result<std::size_t> Receive(std::span<std::uint8_t> buffer, net::Millis timeout) override {
    return inner_.Receive(buffer, timeout);
  }

  void Shutdown() override { inner_.Shutdown(); }

 private:
  common::Result<void> Write(std::span<const std::uint8_t> bytes, net::Millis timeout) {
    if (o_.splitBytes == 0) return inner_.SendAll(bytes, timeout);
    for (std::size_t at = 0; at < bytes.size(); at += o_.splitBytes) {
      if (at > 0 && o_.splitPause.count() > 0) std::this_thread::sleep_for(o_.splitPause);
      if (auto r = inner_.SendAll(bytes.subspan(at, std::min(o_.splitBytes, bytes.size() - at)), timeout); !r) return r;
    }
    return common::Ok();
  }

  net::Connection& inner_;
  const ServerOptions& o_;
  bool requestPhase_ = true;
  int acks_ = 0;
};

std::vector<std::uint8_t> Answer(const ServerOptions& o, const std::vector<memberdb::Member>& members,
                                 std::span<const std::uint8_t> requestPayload) {
  if (o.replyPayload) return *o.replyPayload;
  std::uint8_t status = wire::kStatusError;
  std::int8_t reason = 0;
  std::span<const std::uint8_t> record;
  auto request = wire::DecodeRequest(requestPayload);
  if (request) {
    if (const auto* check = std::get_if<wire::PasswordCheckRequest>(&*request)) {
      const memberdb::Member* m = memberdb::FindById(members, check->id);
      status = m && m->password == check->password ? wire::kStatusOk : 'N';
      reason = m == nullptr ? 2 : (status == wire::kStatusOk ? 0 : 1);
    } else {
      const auto& info = std::get<wire::MemberInfoRequest>(*request);
      const memberdb::Member* m = memberdb::FindByCookie(members, info.cookie);
      status = m ? wire::kStatusOk : 'N';
      reason = m ? 0 : 2;
      if (m) record = m->record.bytes();
    }
  }
  if (o.reason) {
    reason = *o.reason;
    if (!o.status) status = 'N';
  }
  if (o.status) status = *o.status;
  if (o.recordBytes && record.size() > *o.recordBytes) record = record.first(*o.recordBytes);
  return wire::EncodeReply(status, reason, record);
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void Serve(std::unique_ptr<net::Connection> socket, const ServerOptions& o,
           const std::vector<memberdb::Member>& members, RequestLog& log) {
  if (o.closeAt == CloseAt::kAccept) return;
  FaultyConnection connection(*socket, o);
  FrameChannel channel(connection, kReadTimeout, FrameChannel::Clock::now() + kConnectionDeadline);

  auto request = channel.ReceiveFrame(wire::kBufferSize);
  if (!request) return;
  log.Write(*request);
  connection.EndRequestPhase();
  if (o.closeAt == CloseAt::kRequest) return;

  if (o.trickle.count() > 0) {
    const std::uint8_t noise = 'x';
    while (channel.SendRaw({&noise, 1})) std::this_thread::sleep_for(o.trickle);
    return;
  }
  const std::vector<std::uint8_t> reply = Answer(o, members, *request);
  if (!o.garbage.empty() && !channel.SendRaw(Bytes(o.garbage))) return;
  const std::string header = o.headerText ? std::string(1, wire::kHeaderOpen) + *o.headerText + wire::kHeaderClose
                                          : wire::EncodeFrameHeader(reply.size());
  if (!channel.SendRaw(Bytes(header)) || o.closeAt == CloseAt::kReplyHeader) return;
  if (!channel.WaitAck()) return;
  if (o.closeAt == CloseAt::kReplyPayload) {
    (void)channel.SendRaw(std::span(reply).first(reply.size() / 2));
    return;
  }
  if (!channel.SendRaw(reply) || o.closeAt == CloseAt::kReplyEnd) return;
  const int endMark = o.endMark.value_or(wire::kEndMark);
  if (endMark >= 0) {
    const auto end = static_cast<std::uint8_t>(endMark);
    if (!channel.SendRaw({&end, 1})) return;
  }
  (void)channel.WaitAck();
}

}  // namespace

int main(int argc, char** argv) {
  auto options = memberdb::ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::fprintf(stderr, "member-db-server: %s\n", options.error().message.c_str());
    return 2;
  }
  const ServerOptions& o = *options;
  std::vector<memberdb::Member> members;
  if (!o.dataFile.empty()) {
    auto loaded = memberdb::LoadMemberData(o.dataFile);
    if (!loaded) {
      std::fprintf(stderr, "member-db-server: %s\n", loaded.error().message.c_str());
      return 2;
    }
    members = std::move(*loaded);
  }
  static RequestLog log(o.logFile);
  if (log.failed(o.logFile)) {
    std::fprintf(stderr, "member-db-server: cannot open the log %s\n", o.logFile.c_str());
    return 2;
  }
  auto listener = net::Listen(o.address, o.port);
  if (!listener) {
    std::fprintf(stderr, "member-db-server: %s\n", listener.error().message.c_str());
    return 2;
  }
  std::printf("PORT %u\n", static_cast<unsigned>((*listener)->port()));
  std::fflush(stdout);

  const auto end = std::chrono::steady_clock::now() + o.lifetime;
  for (;;) {
    const auto left = std::chrono::duration_cast<net::Millis>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    auto connection = (*listener)->Accept(left);
    if (!connection) {  // the time-out, or a failed accept: keep listening until the end
      if (connection.error().code != static_cast<int>(net::NetError::kTimeout)) std::this_thread::sleep_for(10ms);
      continue;
    }
    std::thread(Serve, std::move(*connection), std::cref(o), std::cref(members), std::ref(log)).detach();
  }
  // Threads still serving a connection end with the process.
  std::fflush(nullptr);
  std::_Exit(0);
}
