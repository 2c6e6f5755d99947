// The content side of the fake channel service, apart from HTTP: the bytes
// of a served file, their digest, and which files a "syncreq" list asks for
// among a user's channels. The served bytes are a fixed pseudo-random stream
// of the file's name, so a test can make the same bytes to compare with.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/Sha256.h"
#include "tools/fake-service/FakeServiceData.h"

namespace fake_service {

struct PreparedFile {
  std::string name;  // served name (code page 949), the channel's file as ".sa3"
  std::uint64_t size = 0;
};

// The bytes of the served file `name` from `offset` on, as many as `out` holds.
void FillContent(std::string_view name, std::uint64_t offset, std::span<std::uint8_t> out);
common::Sha256::Digest ContentDigest(std::string_view name, std::uint64_t size);

// The files the sync list of a "syncreq" ("name/sequence/" or "name/date/"
// per channel, code page 949) asks for: every channel of the user it names
// with today's file, in list order, each once.
std::vector<PreparedFile> MatchSyncList(const User& user, const ServiceData& data, std::string_view syncList);

}  // namespace fake_service
