// fake-service: a stand-in for the channel service on 127.0.0.1, for tests
// and the demo run.
//
//   fake-service --data FILE [--port N] [--lifetime SECONDS] [--stall-seconds S]
//                [--trickle-ms MS] [--tls-cert PEM --tls-key PEM]
//
// Serves the zone directory (/OrvelServer/zone.cgi?command=zoneinfo) and the
// zone command program (/OrvelServer/login.cgi?commend=...) from the data
// file, prints "port N" on its first line once it listens (port 0, the
// default, picks a free one) and stops by itself after --lifetime seconds
// (default 300).
//
// A successful "login" sets the cookie TarnelSession; "dnlists", "syncreq"
// and "fldned" are refused without it. Test controls, never part of the
// service:
//   /fake/fault?mode=M[&count=N]  the next N answers (0: all until changed)
//        are spoilt: notservice, blank (a blank before the "@"), empty,
//        http500, stall (answers after --stall-seconds), trickle (the
//        answer comes one byte every --trickle-ms, default 250), lowercase (command
//        and status in lower case), usermissing (login refused with the
//        "user does not exist" text), endless (a chunked answer that
//        never ends, as fast as the client reads); none clears it
//   /fake/log    one line per service request: path, command, decoded
//                values (UTF-8, the password left out), whether the
//                session cookie came along and the client's port (a new
//                one for every connection); /fake/log?raw=1 gives the
//                values as the bytes that came, not decoded
//   /fake/zone?number=N&name=X&host=H&content=A&port=P  adds a zone record
//                of these bytes (percent-encoded in the query) to the list
//   /fake/content-fault?mode=M[&file=NAME][&count=N][&text=T][&seconds=S]
//                spoils the content side's next N answers (0: all until
//                changed; default 1) that concern NAME (default: any file):
//                short (the file cut short, with a matching length), long
//                (bytes past the announced size), badhash (the manifest
//                announces a wrong SHA-256), stall (half the file, then a
//                pause of S seconds, default --stall-seconds), reset (half the file, then the
//                connection closes), 404 (the file is not found), message
//                (the manifest is the server message T), badname (the
//                manifest also lists a file of the raw name T, default
//                "..\evil.sa3"); none clears it
//   /fake/reset  clears the log, the faults, the sessions, the users
//                registered with "reguser" and the prepared files
//
// The content side (/OrvelContent/manifest, /OrvelContent/file, see
// tray-client/ContentProtocol.h) serves the files that the user's last
// acknowledged "syncreq" asked for; a zone whose content port is "{port}"
// points at it.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <initializer_list>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "common/File.h"
#include "common/TextCodec.h"
#include "tools/fake-service/FakeContent.h"
#include "tools/fake-service/FakeServiceData.h"
#include "tray-client/ContentProtocol.h"
#include "tray-client/ServiceProtocol.h"

namespace {

using orvel::service::EncodeServiceReply;

enum class Fault { kNone, kNotService, kBlank, kEmpty, kHttp500, kStall, kTrickle, kLowerCase, kUserMissing, kEndless };
enum class ContentFault { kNone, kShort, kLong, kBadHash, kStall, kReset, kNotFound, kMessage, kBadName };

struct Options {
  std::string dataFile;
  int port = 0;
  int lifetimeSeconds = 300;
  int stallSeconds = 5;
  int trickleMs = 250;
  std::string tlsCert;
  std::string tlsKey;
};

class FakeService {
 public:
  FakeService(fake_service::ServiceData data, int stallSeconds, int trickleMs)
      : initial_(std::move(data)), data_(initial_), stallSeconds_(stallSeconds), trickleMs_(trickleMs) {}

  void SetSelf(const std::string& self, int port) {
    for (auto* zones : {&initial_.zones, &data_.zones}) {
      for (auto& zone : *zones) {
        if (zone.host == "{self}") zone.host = self;
        if (zone.contentPort == "{port}") zone.contentPort = std::to_string(port);
      }
    }
  }

  void Install(httplib::Server& server) {
    server.Get("/OrvelServer/zone.cgi", [this](const httplib::Request& req, httplib::Response& res) {
      Answer(req, res, [&] { return ZoneInfo(req); });
    });
    server.Get("/OrvelServer/login.cgi", [this](const httplib::Request& req, httplib::Response& res) {
      Answer(req, res, [&] { return Command(req, res); });
    });
    server.Get("/fake/fault", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      const std::string mode = req.get_param_value("mode");
      static const std::pair<const char*, Fault> kModes[] = {
          {"none", Fault::kNone},           {"notservice", Fault::kNotService}, {"blank", Fault::kBlank},
          {"empty", Fault::kEmpty},         {"http500", Fault::kHttp500},       {"stall", Fault::kStall},
          {"trickle", Fault::kTrickle},     {"lowercase", Fault::kLowerCase},   {"usermissing", Fault::kUserMissing},
          {"endless", Fault::kEndless}};
      for (const auto& [name, fault] : kModes) {
        if (mode == name) {
          fault_ = fault;
          faultCount_ = req.has_param("count") ? std::atoi(req.get_param_value("count").c_str()) : 1;
          res.set_content("ok\n", "text/plain");
          return;
        }
      }
      res.status = 400;
      res.set_content("unknown mode\n", "text/plain");
    });
    server.Get(std::string(orvel::content::kManifestPath),
               [this](const httplib::Request& req, httplib::Response& res) { Manifest(req, res); });
    server.Get(std::string(orvel::content::kFilePath),
               [this](const httplib::Request& req, httplib::Response& res) { ContentFile(req, res); });
    server.Get("/fake/content-fault", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      static const std::pair<const char*, ContentFault> kModes[] = {
          {"none", ContentFault::kNone},       {"short", ContentFault::kShort},   {"long", ContentFault::kLong},
          {"badhash", ContentFault::kBadHash}, {"stall", ContentFault::kStall},   {"reset", ContentFault::kReset},
          {"404", ContentFault::kNotFound},    {"message", ContentFault::kMessage}, {"badname", ContentFault::kBadName}};
      for (const auto& [name, fault] : kModes) {
        if (req.get_param_value("mode") == name) {
          contentFault_ = fault;
          contentFaultFile_ = req.get_param_value("file");
          contentFaultCount_ = req.has_param("count") ? std::atoi(req.get_param_value("count").c_str()) : 1;
          contentFaultText_ = req.get_param_value("text");
          contentFaultSeconds_ = req.has_param("seconds") ? std::atoi(req.get_param_value("seconds").c_str()) : 0;
          res.set_content("ok\n", "text/plain");
          return;
        }
      }
      res.status = 400;
      res.set_content("unknown mode\n", "text/plain");
    });
    server.Get("/fake/log", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      if (req.get_param_value("raw") == "1") {
        res.set_content(rawLog_, "application/octet-stream");
      } else {
        res.set_content(log_, "text/plain; charset=utf-8");
      }
    });
    server.Get("/fake/zone", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      data_.zones.push_back({req.get_param_value("number"), req.get_param_value("name"), req.get_param_value("host"),
                             req.get_param_value("content"), req.get_param_value("port")});
      res.set_content("ok\n", "text/plain");
    });
    server.Get("/fake/reset", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      data_ = initial_;
      log_.clear();
      rawLog_.clear();
      sessions_.clear();
      prepared_.clear();
      fault_ = Fault::kNone;
      faultCount_ = 0;
      contentFault_ = ContentFault::kNone;
      res.set_content("ok\n", "text/plain");
    });
  }

 private:
  struct Reply {
    std::string command;  // upper case, as the service names itself
    std::string status;
    std::string rest;
  };

  template <class Handler>
  void Answer(const httplib::Request& req, httplib::Response& res, Handler handler) {
    Fault fault;
    Reply reply;
    {
      std::lock_guard lock(mutex_);
      fault = TakeFault();
      Log(req);
      reply = handler();
    }
    if (fault == Fault::kUserMissing && reply.command == "LOGIN") {
      reply.status = "NAK";
      reply.rest = orvel::service::UserMissingText();
    }
    if (fault == Fault::kLowerCase) {
      for (auto* text : {&reply.command, &reply.status}) {
        for (char& c : *text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
    }
    std::string body = EncodeServiceReply(reply.command, reply.status, reply.rest);
    switch (fault) {
      case Fault::kNotService: body = "<html><body>Service temporarily unavailable</body></html>"; break;
      case Fault::kBlank: body.insert(0, " "); break;
      case Fault::kEmpty: body.clear(); break;
      case Fault::kHttp500:
        res.status = 500;
        body = "Internal Server Error";
        break;
      case Fault::kStall: std::this_thread::sleep_for(std::chrono::seconds(stallSeconds_)); break;
      case Fault::kTrickle: {
        // One byte at a time; the provider ends when the client goes away.
        const auto pause = std::chrono::milliseconds(trickleMs_);
        res.set_content_provider(body.size(), "text/plain; charset=euc-kr",
                                 [body, pause](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                   std::this_thread::sleep_for(pause);
                                   return sink.write(body.data() + offset, 1);
                                 });
        return;
      }
      case Fault::kEndless: {
        // The reply's head, then 64 KiB pieces until the client goes away.
        res.set_chunked_content_provider("text/plain; charset=euc-kr",
                                         [body, filler = std::string(64 * 1024, '.')](std::size_t offset,
                                                                                      httplib::DataSink& sink) {
                                           if (offset == 0) return sink.write(body.data(), body.size());
                                           return sink.write(filler.data(), filler.size());
                                         });
        return;
      }
      default: break;
    }
    res.set_content(body, "text/plain; charset=euc-kr");
  }

  Fault TakeFault() {
    const Fault fault = fault_;
    if (fault_ != Fault::kNone && faultCount_ > 0 && --faultCount_ == 0) fault_ = Fault::kNone;
    return fault;
  }

  void Log(const httplib::Request& req) {
    std::string line = req.path;
    std::string raw = req.path;
    for (const char* key : {"command", "commend", "userid", "sync", "down", "name"}) {
      if (req.has_param(key)) {
        line += std::string(" ") + key + "=" + common::Cp949ToUtf8Lossy(req.get_param_value(key));
        raw += std::string(" ") + key + "=" + req.get_param_value(key);
      }
    }
    const std::string rest = std::string(" cookie=") + (SessionUser(req).empty() ? "no" : "yes") +
                             " peer=" + std::to_string(req.remote_port) + "\n";
    log_ += line + rest;
    rawLog_ += raw + rest;
  }

  // The user whose session cookie came with the request; empty without one.
  std::string SessionUser(const httplib::Request& req) const {
    const std::string cookies = req.get_header_value("Cookie");
    const std::string key = "TarnelSession=";
    auto at = cookies.find(key);
    if (at == std::string::npos) return {};
    at += key.size();
    const std::string token = cookies.substr(at, cookies.find(';', at) - at);
    auto it = sessions_.find(token);
    return it == sessions_.end() ? std::string() : it->second;
  }

  Reply ZoneInfo(const httplib::Request& req) {
    if (req.get_param_value("command") != "zoneinfo") return {"ZONEINFO", "NAK", ""};
    return {"ZONEINFO", "ACK", orvel::service::EncodeZoneRecords(data_.zones)};
  }

  Reply Command(const httplib::Request& req, httplib::Response& res) {
    const std::string command = req.get_param_value("commend");
    std::string upper = command;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string id = req.get_param_value("userid");
    const std::string password = req.get_param_value("password");
    auto user = data_.users.find(id);
    const bool known = user != data_.users.end();
    const bool passwordRight = known && user->second.password == password;

    if (command == "login") {
      if (!known) return {upper, "ACK", "2"};
      if (!user->second.loginAnswer.empty()) return {upper, "ACK", user->second.loginAnswer};
      if (!passwordRight) return {upper, "ACK", "1"};
      const std::string token = NewToken();
      sessions_[token] = id;
      res.set_header("Set-Cookie", "TarnelSession=" + token + "; Path=/OrvelServer");
      return {upper, "ACK", "0/" + id};
    }
    if (command == "reguser") {
      if (known || id.empty()) return {upper, "NAK", ""};
      data_.users[id].password = password;
      return {upper, "ACK", ""};
    }
    const bool session = passwordRight && SessionUser(req) == id;
    if (command == "dnlists") {
      if (!session) return {upper, "NAK", ""};
      return {upper, "ACK", orvel::service::EncodeChannelList(user->second.channels)};
    }
    if (command == "syncreq" || command == "fldned") {
      const std::string list = req.get_param_value(command == "syncreq" ? "sync" : "down");
      const bool ack = session && !list.empty();
      // What the user asked for is what the content side serves next.
      if (ack && command == "syncreq") prepared_[id] = fake_service::MatchSyncList(user->second, data_, list);
      return {upper, ack ? "ACK" : "NAK", ""};
    }
    return {upper.empty() ? "UNKNOWN" : upper, "NAK", ""};
  }

  // The content fault for a request about `file` among `modes`, used up
  // by one.
  ContentFault TakeContentFault(std::initializer_list<ContentFault> modes, const std::string& file) {
    if (contentFault_ == ContentFault::kNone) return ContentFault::kNone;
    if (std::find(modes.begin(), modes.end(), contentFault_) == modes.end()) return ContentFault::kNone;
    if (!file.empty() && !contentFaultFile_.empty() && file != contentFaultFile_) return ContentFault::kNone;
    const ContentFault fault = contentFault_;
    if (contentFaultCount_ > 0 && --contentFaultCount_ == 0) contentFault_ = ContentFault::kNone;
    return fault;
  }

  const common::Sha256::Digest& Digest(const fake_service::PreparedFile& file) {
    const std::string key = file.name + "/" + std::to_string(file.size);
    auto it = digests_.find(key);
    if (it == digests_.end()) it = digests_.emplace(key, fake_service::ContentDigest(file.name, file.size)).first;
    return it->second;
  }

  void Manifest(const httplib::Request& req, httplib::Response& res) {
    std::lock_guard lock(mutex_);
    Log(req);
    const std::string id = req.get_param_value("userid");
    if (TakeContentFault({ContentFault::kMessage}, "") == ContentFault::kMessage) {
      auto text = common::Utf8ToCp949(contentFaultText_.empty() ? "서버 점검 중입니다." : contentFaultText_);
      res.set_content(orvel::content::EncodeManifestMessage(text ? *text : "?"), "text/plain; charset=euc-kr");
      return;
    }
    std::vector<orvel::content::ManifestFile> files;
    if (TakeContentFault({ContentFault::kBadName}, "") == ContentFault::kBadName) {
      const std::string name = contentFaultText_.empty() ? "..\\evil.sa3" : contentFaultText_;
      files.push_back({name, 10, fake_service::ContentDigest(name, 10)});
    }
    for (const auto& file : prepared_[id]) {
      orvel::content::ManifestFile entry{file.name, static_cast<std::uint32_t>(file.size), Digest(file)};
      if (TakeContentFault({ContentFault::kBadHash}, file.name) == ContentFault::kBadHash) entry.sha256[0] ^= 0xFF;
      files.push_back(std::move(entry));
    }
    res.set_content(orvel::content::EncodeManifest(files), "text/plain; charset=euc-kr");
  }

  void ContentFile(const httplib::Request& req, httplib::Response& res) {
    ContentFault fault;
    std::uint64_t size = 0;
    int stallSeconds = stallSeconds_;
    const std::string name = req.get_param_value("name");
    {
      std::lock_guard lock(mutex_);
      Log(req);
      const auto& files = prepared_[req.get_param_value("userid")];
      auto it = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.name == name; });
      fault = TakeContentFault({ContentFault::kShort, ContentFault::kLong, ContentFault::kStall, ContentFault::kReset,
                                ContentFault::kNotFound}, name);
      if (it == files.end() || fault == ContentFault::kNotFound) {
        res.status = 404;
        res.set_content("not prepared\n", "text/plain");
        return;
      }
      size = it->size;
      if (contentFaultSeconds_ > 0) stallSeconds = contentFaultSeconds_;
    }
    const std::uint64_t half = size / 2;
    const std::uint64_t length = fault == ContentFault::kShort ? half : fault == ContentFault::kLong ? size + 100 : size;
    if (length == 0) {
      res.set_content("", "application/octet-stream");  // a provider of nothing would never answer
      return;
    }
    res.set_content_provider(
        static_cast<std::size_t>(length), "application/octet-stream",
        [name, fault, half, stallSeconds, stalled = std::make_shared<bool>(false)](
            std::size_t offset, std::size_t remaining, httplib::DataSink& sink) {
          std::vector<std::uint8_t> buffer(std::min<std::size_t>(remaining, 64 * 1024));
          std::size_t n = buffer.size();
          const bool halves = fault == ContentFault::kStall || fault == ContentFault::kReset;
          if (halves && offset < half) n = std::min<std::size_t>(n, static_cast<std::size_t>(half - offset));
          if (halves && offset >= half && n > 0) {
            if (fault == ContentFault::kReset) return false;  // the connection closes mid-file
            if (!*stalled) {
              *stalled = true;
              std::this_thread::sleep_for(std::chrono::seconds(stallSeconds));
            }
          }
          fake_service::FillContent(name, offset, std::span(buffer).first(n));
          return sink.write(reinterpret_cast<const char*>(buffer.data()), n);
        });
  }

  std::string NewToken() {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 24; ++i) token += kDigits[random_() % 16];
    return token;
  }

  fake_service::ServiceData initial_;
  fake_service::ServiceData data_;
  int stallSeconds_;
  int trickleMs_;
  std::mutex mutex_;
  std::string log_;
  std::string rawLog_;  // the same requests with their values as the bytes that came
  std::map<std::string, std::string> sessions_;  // token -> user id
  Fault fault_ = Fault::kNone;
  int faultCount_ = 0;
  std::map<std::string, std::vector<fake_service::PreparedFile>> prepared_;  // user id -> the last syncreq's files
  std::map<std::string, common::Sha256::Digest> digests_;
  ContentFault contentFault_ = ContentFault::kNone;
  std::string contentFaultFile_;
  int contentFaultCount_ = 0;
  std::string contentFaultText_;
  int contentFaultSeconds_ = 0;
  std::mt19937 random_{std::random_device{}()};
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--data") options.dataFile = value;
    else if (arg == "--port") options.port = std::atoi(value);
    else if (arg == "--lifetime") options.lifetimeSeconds = std::atoi(value);
    else if (arg == "--stall-seconds") options.stallSeconds = std::atoi(value);
    else if (arg == "--trickle-ms") options.trickleMs = std::atoi(value);
    else if (arg == "--tls-cert") options.tlsCert = value;
    else if (arg == "--tls-key") options.tlsKey = value;
    else return false;
  }
  return !options.dataFile.empty() && options.lifetimeSeconds > 0 && options.tlsCert.empty() == options.tlsKey.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << "usage: fake-service --data FILE [--port N] [--lifetime SECONDS] [--stall-seconds S]"
                 " [--trickle-ms MS] [--tls-cert PEM --tls-key PEM]\n";
    return 2;
  }
  auto text = common::ReadWholeFile(options.dataFile, 1 << 20);
  if (!text) {
    std::cerr << "fake-service: " << text.error().message << "\n";
    return 1;
  }
  auto data = fake_service::ParseServiceData(*text);
  if (!data) {
    std::cerr << "fake-service: " << options.dataFile << ": " << data.error().message << "\n";
    return 1;
  }

  std::unique_ptr<httplib::Server> server;
  if (options.tlsCert.empty()) {
    server = std::make_unique<httplib::Server>();
  } else {
    server = std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str());
  }
  if (!server->is_valid()) {
    std::cerr << "fake-service: the server cannot be set up (TLS certificate or key?)\n";
    return 1;
  }
  const int port = options.port == 0 ? server->bind_to_any_port("127.0.0.1") : options.port;
  if (port <= 0 || (options.port != 0 && !server->bind_to_port("127.0.0.1", port))) {
    std::cerr << "fake-service: cannot listen on 127.0.0.1\n";
    return 1;
  }
  FakeService service(std::move(*data), options.stallSeconds, options.trickleMs);
  service.SetSelf("127.0.0.1:" + std::to_string(port), port);
  service.Install(*server);
  server->set_keep_alive_max_count(1);

  std::mutex mutex;
  std::condition_variable stopped;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    if (!stopped.wait_for(lock, std::chrono::seconds(options.lifetimeSeconds), [&] { return done; })) {
      server->stop();
    }
  });
  std::printf("port %d\n", port);
  std::fflush(stdout);
  server->listen_after_bind();
  {
    std::lock_guard lock(mutex);
    done = true;
  }
  stopped.notify_one();
  watchdog.join();
  return 0;
}
