// The member database protocol: the byte layouts of the framing, of the two
// requests and of the reply, declared once. The client, the fake server of
// the tests and the fuzz targets all encode and decode through these.
//
// Every message, in both directions, travels as one frame:
//   sender   "<" length ">"    decimal ASCII digits, no sign, no leading zeros
//   receiver "ACK"
//   sender   the payload (exactly `length` bytes), then the end mark 0x04
//   receiver "ACK"
// Texts on the wire are 8-bit code page 949.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/Result.h"

namespace dastrel::wire {

inline constexpr std::uint16_t kDefaultPort = 3999;

// Request and receive buffers hold this much; a request payload never exceeds it.
inline constexpr std::size_t kBufferSize = 8192;

// --- framing -----------------------------------------------------------------
inline constexpr char kHeaderOpen = '<';
inline constexpr char kHeaderClose = '>';
inline constexpr std::string_view kAck = "ACK";
inline constexpr std::uint8_t kEndMark = 0x04;
// The length text between the brackets: 119 characters at most (the 120th
// without ">" fails the frame). Leading zeros are accepted when reading.
inline constexpr std::size_t kMaxLengthText = 119;
// Bounds a receiver puts on what the peer controls.
inline constexpr std::size_t kMaxFrameLength = 64 * 1024;  // allocation cap for one payload
inline constexpr std::size_t kMaxSkippedBytes = 8192;       // noise before "<" or before "ACK"

// "<" length ">".
std::string EncodeFrameHeader(std::size_t length);

enum class LengthTextError {
  kEmpty = 1,  // "<>"
  kNotDigits,  // a letter, a sign, a space ...
  kZero,       // the value 0 (a frame carries at least one byte)
  kTooLarge,   // above the cap the receiver allows
};

// The value of a length text as received between the brackets; a failure's
// Error.code is a LengthTextError.
common::Result<std::size_t> ParseLengthText(std::string_view text, std::size_t cap);

// --- requests ----------------------------------------------------------------
inline constexpr std::uint8_t kMemberInfoCommand = 'D';
inline constexpr std::uint8_t kPasswordCheckCommand = 'C';

// 'D': the command, four zero bytes, the member's cookie (no NUL).
inline constexpr std::size_t kMemberInfoCookieOffset = 5;
inline constexpr std::size_t kMaxCookieLength = kBufferSize - kMemberInfoCookieOffset;

// 'C': the command, the ID length and the password length as two 4-bit
// halves each (high half first), the ID, a NUL, the password, a NUL.
inline constexpr std::size_t kPasswordCheckIdLengthHigh = 1;
inline constexpr std::size_t kPasswordCheckIdLengthLow = 2;
inline constexpr std::size_t kPasswordCheckPasswordLengthHigh = 3;
inline constexpr std::size_t kPasswordCheckPasswordLengthLow = 4;
inline constexpr std::size_t kPasswordCheckIdOffset = 5;
inline constexpr std::size_t kPasswordCheckFixedBytes = 7;  // command, 4 length halves, 2 NULs
inline constexpr std::size_t kMaxCredentialLength = 255;    // what two 4-bit halves can carry

struct MemberInfoRequest {
  std::string cookie;
};
struct PasswordCheckRequest {
  std::string id;
  std::string password;
};
using Request = std::variant<MemberInfoRequest, PasswordCheckRequest>;

// Refuse what the request buffer or the length halves cannot carry.
common::Result<std::vector<std::uint8_t>> EncodeMemberInfoRequest(std::string_view cookie);
common::Result<std::vector<std::uint8_t>> EncodePasswordCheckRequest(std::string_view id,
                                                                     std::string_view password);
common::Result<Request> DecodeRequest(std::span<const std::uint8_t> payload);

// --- reply -------------------------------------------------------------------
inline constexpr std::uint8_t kReplyTag = 'r';
inline constexpr std::uint8_t kStatusOk = 'O';
inline constexpr std::uint8_t kStatusError = 'E';
// Any other status byte is a refusal, with the reason code in the next byte.
inline constexpr std::size_t kReplyTagOffset = 0;
inline constexpr std::size_t kReplyStatusOffset = 1;
inline constexpr std::size_t kReplyReasonOffset = 2;
inline constexpr std::size_t kReplyDataOffset = 5;  // bytes 3 and 4 carry nothing

struct Reply {
  std::uint8_t status = 0;
  bool hasReason = false;  // the payload reaches the reason byte
  std::int8_t reason = 0;
  std::span<const std::uint8_t> data;  // from kReplyDataOffset on; empty when shorter
};

// The payload as a reply; an error when it is shorter than tag and status or
// does not start with the tag.
common::Result<Reply> DecodeReply(std::span<const std::uint8_t> payload);
std::vector<std::uint8_t> EncodeReply(std::uint8_t status, std::int8_t reason,
                                      std::span<const std::uint8_t> data);

}  // namespace dastrel::wire
