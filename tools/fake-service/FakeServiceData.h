// The fake channel service's data file: zones, users and their channels.
//
// A UTF-8 text file, one record a line, fields separated by "|"; blank
// lines and lines starting with "#" are skipped:
//
//   zone|<number>|<name>|<host>|<content address>|<content port>
//   user|<id>|<password>[|<login answer>]
//   channel|<user id>|<content type>|<name>|<sequence>|<file>|<size>|<date>|<previous file>|<previous size>|<received at>|<purchase number>
//   file|<name>|<bytes>
//
// A zone host of "{self}" stands for the fake service's own address and a
// content port of "{port}" for its port (it serves the content side too). The
// optional login answer (1, 2 or 3) makes every login of that user answer
// with that code. A channel's file is served from the content side under
// its name with the extension ".sa3"; it holds <size> x 1024 bytes unless a
// "file" record gives that name its exact length. Everything is held in
// code page 949 once loaded.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/Result.h"
#include "tray-client/ServiceProtocol.h"

namespace fake_service {

struct User {
  std::string password;
  std::string loginAnswer;  // empty: answer by the password
  std::vector<orvel::service::ChannelRecord> channels;
};

struct ServiceData {
  std::vector<orvel::service::ZoneRecord> zones;
  std::map<std::string, User> users;  // by id (code page 949)
  std::map<std::string, std::uint64_t> fileSizes;  // by served name
};

common::Result<ServiceData> ParseServiceData(std::string_view utf8Text);

}  // namespace fake_service
