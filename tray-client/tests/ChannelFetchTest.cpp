// The channel fetch against the fake service's content side over real HTTP
// on 127.0.0.1 (natively libcurl, under Wine WinINet), events read from a
// queue that stands for the GUI thread.
#include "tray-client/ChannelFetch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "common/TextCodec.h"
#include "tools/fake-service/FakeServiceForTests.h"
#include "tray-client/ContentProtocol.h"
#include "tray-client/ServiceProtocol.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

struct Seen {
  int kind = 0;
  std::int32_t count = 0;
  std::int32_t length = 0;
  std::int32_t code = 0;
  std::string text;  // events 4 and 9
  std::string data;  // event 5
};

// The GUI thread's side: posted calls wait here until the test runs them.
class TestQueue {
 public:
  ChannelFetch::Poster Poster() {
    return [this](std::function<void()> call) {
      std::lock_guard lock(mutex_);
      calls_.push_back(std::move(call));
      ready_.notify_all();
      return true;
    };
  }
  // Runs queued calls until `until` is true or nothing comes for `wait`.
  bool RunUntil(const std::function<bool()>& until, std::chrono::milliseconds wait = 15s) {
    while (!until()) {
      std::function<void()> call;
      {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, wait, [&] { return !calls_.empty(); })) return false;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
    return true;
  }
  std::size_t Pending() {
    std::lock_guard lock(mutex_);
    return calls_.size();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> calls_;
};

// A content server in the test's hands: one file, "a.sa3", whose body goes
// to the sink in the pieces given, with a pause (until Resume) after the
// first `beforePause` of them.
class ScriptedClient final : public platform::http::HttpClient {
 public:
  struct Script {
    std::vector<std::string> pieces;
    std::size_t beforePause = SIZE_MAX;
    std::shared_future<void> resume;
    std::atomic<std::size_t> given{0};  // bytes handed to the sink so far
  };
  explicit ScriptedClient(std::shared_ptr<Script> script) : script_(std::move(script)) {}

  common::Result<std::string> Get(const std::string&, std::stop_token) override {
    std::string body;
    for (const auto& p : script_->pieces) body += p;
    return content::EncodeManifest({{"a.sa3", static_cast<std::uint32_t>(body.size()), common::Sha256::Of(body)}});
  }
  common::Result<void> GetStream(const std::string&, const platform::http::BodySink& sink, std::stop_token,
                                 std::chrono::milliseconds) override {
    for (std::size_t i = 0; i < script_->pieces.size(); ++i) {
      if (i == script_->beforePause && script_->resume.wait_for(15s) != std::future_status::ready) {
        return platform::http::MakeHttpError(platform::http::HttpError::kTimeout, "http://test/", "");
      }
      script_->given += script_->pieces[i].size();
      if (!sink(script_->pieces[i])) return platform::http::MakeHttpError(platform::http::HttpError::kTransfer, "http://test/", "");
    }
    return {};
  }

 private:
  std::shared_ptr<Script> script_;
};

class ChannelFetchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto port = fake_service::FakeServicePort(SYNC_SERVICE_DATA);
    ASSERT_TRUE(port.ok()) << port.error().message;
    port_ = *port;
  }

  void SetUp() override {
    control_ = platform::http::CreateHttpClient({});
    ASSERT_TRUE(control_->Get(Base() + "/fake/reset").ok());
    options_.connectTimeout = 2s;
    options_.readTimeout = 5s;
    options_.chunkBytes = 4096;
    options_.inFlightBytes = 16384;
  }

  static std::string Base() { return "http://127.0.0.1:" + std::to_string(port_); }
  static std::string Cp(const std::string& utf8) { return *common::Utf8ToCp949(utf8); }

  // Logs in as the sync user and asks for these channels ("name/key/" ...).
  void Prepare(const std::string& syncListUtf8) {
    const std::string login = Base() + std::string(service::kLoginPath);
    ASSERT_TRUE(control_->Get(service::CommandUrl(login, service::Command::kLogin, "sync", "sync1234")).ok());
    auto reply = control_->Get(
        service::CommandUrl(login, service::Command::kSyncReq, "sync", "sync1234", Cp(syncListUtf8)));
    ASSERT_TRUE(reply.ok());
    ASSERT_EQ(service::ClassifyReply(*reply).text, "True");
  }
  void ContentFault(const std::string& query) {
    ASSERT_TRUE(control_->Get(Base() + "/fake/content-fault?" + query).ok());
  }
  std::string Served(const std::string& name) {
    auto body = control_->Get(content::FileUrl(Base(), "sync", name));
    return body ? *body : std::string("?");
  }

  // Fetches for the sync user until the last event; gives every event.
  std::vector<Seen> Fetch(const std::function<void(ChannelFetch&, const Seen&)>& onEvent = {}) {
    std::vector<Seen> seen;
    ChannelFetch fetch(queue_.Poster(), options_);
    bool ended = false;
    EXPECT_TRUE(fetch.StartFetch("LocalSync", [&](int kind, ChannelEvent& e) {
      Seen s{kind, e.count, e.length, e.code};
      if (kind == kFetchFileBegins || kind == kFetchMessage) s.text = reinterpret_cast<const char*>(e.data);
      if (kind == kFetchData) s.data.assign(reinterpret_cast<const char*>(e.data), static_cast<std::size_t>(e.length));
      seen.push_back(s);
      ended = kind >= kFetchFinished && kind <= kFetchMessage;
      if (onEvent) onEvent(fetch, seen.back());
      return 0;
    }, "127.0.0.1", port_, "sync"));
    EXPECT_TRUE(queue_.RunUntil([&] { return ended; })) << "the fetch never ended";
    return seen;
  }

  // Per file: its name and the bytes its data events carried.
  static std::vector<std::pair<std::string, std::string>> Files(const std::vector<Seen>& seen) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const Seen& s : seen) {
      if (s.kind == kFetchFileBegins) files.emplace_back(s.text, "");
      if (s.kind == kFetchData && !files.empty()) files.back().second += s.data;
    }
    return files;
  }

  static int port_;
  std::unique_ptr<platform::http::HttpClient> control_;
  FetchOptions options_;
  TestQueue queue_;
};

int ChannelFetchTest::port_ = 0;

TEST_F(ChannelFetchTest, DeliversThePreparedFilesWholeAndInOrder) {
  Prepare("영어 회화/7/아침 뉴스/12/빈 채널/3/날씨/20260101/");
  const auto seen = Fetch();
  ASSERT_GE(seen.size(), 4u);
  EXPECT_EQ(seen[0].kind, kFetchConnected);
  EXPECT_EQ(seen[1].kind, kFetchServerInfo);
  EXPECT_EQ(seen[2].kind, kFetchFileCount);
  EXPECT_EQ(seen[2].count, 4);
  EXPECT_EQ(seen.back().kind, kFetchFinished);

  const auto files = Files(seen);
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].first, "talk007.sa3") << "the service's .mp3 name is fetched as .sa3";
  EXPECT_EQ(files[1].first, "news012.sa3");
  EXPECT_EQ(files[2].first, "empty.sa3");
  EXPECT_EQ(files[3].first, "weather0101.sa3");
  for (const auto& [name, data] : files) EXPECT_EQ(data, Served(name)) << name;
  for (const Seen& s : seen) {
    if (s.kind == kFetchFileBegins && s.text == "talk007.sa3") EXPECT_EQ(s.length, 16385);
    if (s.kind == kFetchData) {
      EXPECT_GT(s.length, 0);
      EXPECT_LE(s.length, 4096) << "data comes in pieces of at most chunkBytes";
    }
  }
}

TEST_F(ChannelFetchTest, NothingPreparedIsAnEmptyFetch) {
  const auto seen = Fetch();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[2].count, 0);
  EXPECT_EQ(seen[3].kind, kFetchFinished);
}

// Each fault of the content server ends the fetch with its error code; a
// file that went wrong never gets a successor's event 4.
TEST_F(ChannelFetchTest, EachContentFaultEndsTheFetchWithItsCode) {
  options_.readTimeout = 500ms;
  struct Case {
    const char* query;
    FetchError code;
    std::size_t filesBegun;
  };
  for (const Case& c : {Case{"mode=short&file=news012.sa3", FetchError::kShort, 2},
                        Case{"mode=long&file=talk007.sa3", FetchError::kTooLong, 1},
                        Case{"mode=badhash&file=news012.sa3", FetchError::kDigest, 2},
                        Case{"mode=stall&file=news012.sa3", FetchError::kTimeout, 2},
                        Case{"mode=reset&file=talk007.sa3", FetchError::kTransfer, 1},
                        Case{"mode=404&file=news012.sa3", FetchError::kStatus, 2},
                        Case{"mode=badname&text=..%5Cup.sa3", FetchError::kFileName, 0},
                        Case{"mode=badname&text=CON.sa3", FetchError::kFileName, 0}}) {
    SCOPED_TRACE(c.query);
    ASSERT_TRUE(control_->Get(Base() + "/fake/reset").ok());
    Prepare("영어 회화/7/아침 뉴스/12/날씨/20260101/");
    ContentFault(c.query);
    const auto seen = Fetch();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().kind, kFetchError);
    if (c.code == FetchError::kTransfer) {
      // A connection closed mid-file: libcurl knows the length was not
      // reached, WinINet takes the close for the end and the size check
      // finds the file short.
      EXPECT_TRUE(seen.back().code == static_cast<std::int32_t>(FetchError::kTransfer) ||
                  seen.back().code == static_cast<std::int32_t>(FetchError::kShort)) << seen.back().code;
    } else {
      EXPECT_EQ(seen.back().code, static_cast<std::int32_t>(c.code));
    }
    EXPECT_EQ(Files(seen).size(), c.filesBegun);
    if (c.filesBegun == 2) EXPECT_EQ(Files(seen)[0].second, Served("talk007.sa3")) << "the file before is whole";
  }
}

TEST_F(ChannelFetchTest, AServerMessageEndsTheFetchWithItsText) {
  Prepare("아침 뉴스/12/");
  ContentFault("mode=message&text=%EC%A0%90%EA%B2%80%20%EC%A4%91");  // "점검 중"
  const auto seen = Fetch();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[2].kind, kFetchMessage);
  EXPECT_EQ(seen[2].text, "점검 중");
}

TEST_F(ChannelFetchTest, AServerThatCannotBeReachedIsAnError) {
  std::vector<Seen> seen;
  ChannelFetch fetch(queue_.Poster(), options_);
  bool ended = false;
  ASSERT_TRUE(fetch.StartFetch("LocalSync", [&](int kind, ChannelEvent& e) {
    seen.push_back({kind, e.count, e.length, e.code});
    ended = true;
    return 0;
  }, "127.0.0.1", 9, "sync"));
  ASSERT_TRUE(queue_.RunUntil([&] { return ended; }));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].kind, kFetchError);
  EXPECT_EQ(seen[0].code, static_cast<std::int32_t>(FetchError::kConnect));
}

// Cancelling while a file stalls ends with 7; a second fetch may start then.
TEST_F(ChannelFetchTest, CancelDuringAFileAnswersWithEventSeven) {
  Prepare("영어 회화/7/아침 뉴스/12/");
  ContentFault("mode=stall&file=news012.sa3");
  bool stalledFileBegun = false;
  const auto seen = Fetch([&](ChannelFetch& fetch, const Seen& s) {
    if (s.kind == kFetchFileBegins) stalledFileBegun = s.text == "news012.sa3";
    if (s.kind == kFetchData && stalledFileBegun) fetch.CancelFetch();
  });
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().kind, kFetchCancelled);
}

// However slowly the GUI thread takes the data, no more than inFlightBytes
// wait for it; pieces smaller than chunkBytes go together while they wait,
// and the GUI thread is woken once per batch, not once per piece.
TEST_F(ChannelFetchTest, DataWaitingForTheGuiThreadStaysBounded) {
  auto script = std::make_shared<ScriptedClient::Script>();
  for (int i = 0; i < 200; ++i) script->pieces.push_back(std::string(1000, static_cast<char>('a' + i % 26)));
  ChannelFetch fetch(queue_.Poster(), options_, [script](const platform::http::HttpOptions&) {
    return std::make_unique<ScriptedClient>(script);
  });
  std::size_t handled = 0;
  std::size_t most = 0;
  std::size_t events = 0;
  std::size_t mostCalls = 0;
  std::string data;
  bool ended = false;
  int last = 0;
  ASSERT_TRUE(fetch.StartFetch("LocalSync", [&](int kind, ChannelEvent& e) {
    if (kind == kFetchData) {
      // In flight: what the sink was given and the GUI thread has not had.
      most = std::max(most, script->given - handled);
      handled += static_cast<std::size_t>(e.length);
      data.append(reinterpret_cast<const char*>(e.data), static_cast<std::size_t>(e.length));
      EXPECT_LE(static_cast<std::size_t>(e.length), options_.chunkBytes);
      ++events;
      mostCalls = std::max(mostCalls, queue_.Pending());
      std::this_thread::sleep_for(1ms);
    }
    ended = kind >= kFetchFinished && kind <= kFetchMessage;
    last = kind;
    return 0;
  }, "127.0.0.1", 1, "sync"));
  ASSERT_TRUE(queue_.RunUntil([&] { return ended; }));
  EXPECT_EQ(last, kFetchFinished);
  std::string sent;
  for (const auto& p : script->pieces) sent += p;
  EXPECT_EQ(data, sent);
  EXPECT_LE(most, options_.inFlightBytes + 1000) << "the data waiting, and the piece on its way";
  EXPECT_LT(events, script->pieces.size()) << "pieces that waited went together";
  EXPECT_LE(mostCalls, 1u) << "one wake-up of the GUI thread at a time";
}

// What came before a pause of the line reaches the GUI thread during the
// pause, however busy that thread was when it came: progress never waits
// for the next piece.
TEST_F(ChannelFetchTest, WhatCameBeforeAPauseIsHandedOverDuringIt) {
  auto script = std::make_shared<ScriptedClient::Script>();
  for (int i = 0; i < 40; ++i) script->pieces.push_back(std::string(300, static_cast<char>('a' + i % 26)));
  std::promise<void> resume;
  script->resume = resume.get_future().share();
  script->beforePause = 20;
  ChannelFetch fetch(queue_.Poster(), options_, [script](const platform::http::HttpOptions&) {
    return std::make_unique<ScriptedClient>(script);
  });
  std::size_t handled = 0;
  bool ended = false;
  ASSERT_TRUE(fetch.StartFetch("LocalSync", [&](int kind, ChannelEvent& e) {
    if (kind == kFetchData) {
      handled += static_cast<std::size_t>(e.length);
      std::this_thread::sleep_for(3ms);  // a GUI thread that is behind
    }
    ended = kind >= kFetchFinished && kind <= kFetchMessage;
    return 0;
  }, "127.0.0.1", 1, "sync"));
  EXPECT_TRUE(queue_.RunUntil([&] { return handled == 20u * 300; }, 5s)) << handled << " bytes before the pause";
  EXPECT_EQ(handled, 20u * 300);
  resume.set_value();
  ASSERT_TRUE(queue_.RunUntil([&] { return ended; }));
  EXPECT_EQ(handled, 40u * 300);
}

TEST_F(ChannelFetchTest, DroppingTheFetchStopsItAndItsEventsAreNotDelivered) {
  Prepare("영어 회화/7/아침 뉴스/12/");
  ContentFault("mode=stall&file=news012.sa3");
  int events = 0;
  {
    ChannelFetch fetch(queue_.Poster(), options_);
    ASSERT_TRUE(fetch.StartFetch("LocalSync", [&](int, ChannelEvent&) { return ++events; }, "127.0.0.1", port_,
                                 "sync"));
    EXPECT_FALSE(fetch.StartFetch("LocalSync", {}, "127.0.0.1", port_, "sync")) << "one fetch at a time";
    std::this_thread::sleep_for(200ms);
  }
  queue_.RunUntil([] { return false; }, 100ms);
  EXPECT_EQ(events, 0);
}

}  // namespace
}  // namespace orvel
