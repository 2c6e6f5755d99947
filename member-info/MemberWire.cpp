#include "member-info/MemberWire.h"

#include <algorithm>
#include <limits>

namespace dastrel::wire {
namespace {

common::Error LengthError(LengthTextError e, const char* what) {
  return common::Error{static_cast<int>(e), what};
}

}  // namespace

std::string EncodeFrameHeader(std::size_t length) {
  std::string header(1, kHeaderOpen);
  header += std::to_string(length);
  header += kHeaderClose;
  return header;
}

common::Result<std::size_t> ParseLengthText(std::string_view text, std::size_t cap) {
  if (text.empty()) return LengthError(LengthTextError::kEmpty, "the frame length is empty");
  std::size_t value = 0;
  bool tooLarge = false;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return LengthError(LengthTextError::kNotDigits, "the frame length holds a character that is no digit");
    }
    // Keep reading after an overflow: a later letter still makes the text bad.
    if (!tooLarge) {
      const std::size_t digit = static_cast<std::size_t>(c - '0');
      if (digit > cap || value > (cap - digit) / 10) {
        tooLarge = true;
      } else {
        value = value * 10 + digit;
      }
    }
  }
  if (tooLarge) return LengthError(LengthTextError::kTooLarge, "the frame length is too large");
  if (value == 0) return LengthError(LengthTextError::kZero, "the frame length is zero");
  return value;
}

common::Result<std::vector<std::uint8_t>> EncodeMemberInfoRequest(std::string_view cookie) {
  if (cookie.size() > kMaxCookieLength) {
    return common::Error{0, "the cookie is longer than " + std::to_string(kMaxCookieLength) + " bytes"};
  }
  std::vector<std::uint8_t> payload(kMemberInfoCookieOffset + cookie.size(), 0);
  payload[0] = kMemberInfoCommand;
  std::copy(cookie.begin(), cookie.end(), payload.begin() + kMemberInfoCookieOffset);
  return payload;
}

common::Result<std::vector<std::uint8_t>> EncodePasswordCheckRequest(std::string_view id,
                                                                     std::string_view password) {
  if (id.size() > kMaxCredentialLength) {
    return common::Error{0, "the member ID is longer than " + std::to_string(kMaxCredentialLength) + " bytes"};
  }
  if (password.size() > kMaxCredentialLength) {
    return common::Error{0, "the password is longer than " + std::to_string(kMaxCredentialLength) + " bytes"};
  }
  const std::size_t i = id.size();
  const std::size_t p = password.size();
  std::vector<std::uint8_t> payload(i + p + kPasswordCheckFixedBytes, 0);
  payload[0] = kPasswordCheckCommand;
  payload[kPasswordCheckIdLengthHigh] = static_cast<std::uint8_t>((i >> 4) & 15);
  payload[kPasswordCheckIdLengthLow] = static_cast<std::uint8_t>(i & 15);
  payload[kPasswordCheckPasswordLengthHigh] = static_cast<std::uint8_t>((p >> 4) & 15);
  payload[kPasswordCheckPasswordLengthLow] = static_cast<std::uint8_t>(p & 15);
  std::copy(id.begin(), id.end(), payload.begin() + kPasswordCheckIdOffset);
  // payload[5 + i] stays 0
  std::copy(password.begin(), password.end(), payload.begin() + kPasswordCheckIdOffset + i + 1);
  // the last byte stays 0
  return payload;
}

common::Result<Request> DecodeRequest(std::span<const std::uint8_t> payload) {
  if (payload.empty()) return common::Error{0, "empty request"};
  const auto text = [&](std::size_t at, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(payload.data() + at), n);
  };
  switch (payload[0]) {
    case kMemberInfoCommand:
      if (payload.size() < kMemberInfoCookieOffset) return common::Error{0, "'D' request shorter than 5 bytes"};
      return Request{MemberInfoRequest{text(kMemberInfoCookieOffset, payload.size() - kMemberInfoCookieOffset)}};
    case kPasswordCheckCommand: {
      if (payload.size() < kPasswordCheckFixedBytes) return common::Error{0, "'C' request shorter than 7 bytes"};
      const auto half = [&](std::size_t at) { return static_cast<std::size_t>(payload[at]); };
      if (half(1) > 15 || half(2) > 15 || half(3) > 15 || half(4) > 15) {
        return common::Error{0, "'C' request length half above 15"};
      }
      const std::size_t i = (half(kPasswordCheckIdLengthHigh) << 4) | half(kPasswordCheckIdLengthLow);
      const std::size_t p = (half(kPasswordCheckPasswordLengthHigh) << 4) | half(kPasswordCheckPasswordLengthLow);
      if (payload.size() != i + p + kPasswordCheckFixedBytes) {
        return common::Error{0, "'C' request length does not match its ID and password lengths"};
      }
      if (payload[kPasswordCheckIdOffset + i] != 0 || payload.back() != 0) {
        return common::Error{0, "'C' request without its NUL separators"};
      }
      return Request{PasswordCheckRequest{text(kPasswordCheckIdOffset, i), text(kPasswordCheckIdOffset + i + 1, p)}};
    }
    default:
      return common::Error{0, "unknown request command"};
  }
}

common::Result<Reply> DecodeReply(std::span<const std::uint8_t> payload) {
  if (payload.size() <= kReplyStatusOffset) return common::Error{0, "reply shorter than its tag and status"};
  if (payload[kReplyTagOffset] != kReplyTag) return common::Error{0, "reply does not start with 'r'"};
  Reply reply;
  reply.status = payload[kReplyStatusOffset];
  if (payload.size() > kReplyReasonOffset) {
    reply.hasReason = true;
    reply.reason = static_cast<std::int8_t>(payload[kReplyReasonOffset]);
  }
  if (payload.size() > kReplyDataOffset) reply.data = payload.subspan(kReplyDataOffset);
  return reply;
}

std::vector<std::uint8_t> EncodeReply(std::uint8_t status, std::int8_t reason,
                                      std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> payload(kReplyDataOffset + data.size(), 0);
  payload[kReplyTagOffset] = kReplyTag;
  payload[kReplyStatusOffset] = status;
  payload[kReplyReasonOffset] = static_cast<std::uint8_t>(reason);
  std::copy(data.begin(), data.end(), payload.begin() + kReplyDataOffset);
  return payload;
}

}  // namespace dastrel::wire
