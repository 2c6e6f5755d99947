// One conversation with the player at a time: a second Link of the same
// driver answers Busy while the first is open, from the same thread and
// from another, and the open one goes on undisturbed.
#include "player-link/Link.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "player-link/SimulatedPlayer.h"

namespace playerlink {
namespace {

class LinkTest : public ::testing::Test {
 protected:
  LinkTest() : player(std::make_shared<sim::SimulatedPlayer>()), driver(player) {}

  static bool Answers(Link& link) {
    return link.Command(kInternalMemoryBase, CommandCode::kTotalMemory, 0, kMode4).ok();
  }

  std::shared_ptr<sim::SimulatedPlayer> player;
  sim::SimulatedDriver driver;
};

TEST_F(LinkTest, SecondOpenAnswersBusyFromTheSameThread) {
  Link first(driver), second(driver);
  const auto opened = first.Open();
  ASSERT_TRUE(opened.all());
  EXPECT_FALSE(opened.busy);
  EXPECT_TRUE(Link::InConversation(driver));

  const auto refused = second.Open();
  EXPECT_TRUE(refused.busy);
  EXPECT_FALSE(refused.control || refused.inPipe || refused.outPipe);
  EXPECT_FALSE(second.isOpen());
  EXPECT_FALSE(Answers(second)) << "a busy Link sends nothing";
  second.Close();  // closing a Link that is not open leaves the other's conversation alone
  EXPECT_TRUE(first.isOpen());
  EXPECT_TRUE(Answers(first));

  first.Close();
  EXPECT_FALSE(Link::InConversation(driver));
  const auto again = second.Open();
  EXPECT_TRUE(again.all());
  EXPECT_FALSE(again.busy);
}

TEST_F(LinkTest, SecondOpenAnswersBusyFromAnotherThread) {
  Link first(driver);
  ASSERT_TRUE(first.Open().all());
  auto other = std::async(std::launch::async, [&] {
    Link link(driver);
    return link.Open();
  });
  const auto refused = other.get();
  EXPECT_TRUE(refused.busy);
  EXPECT_FALSE(refused.control);
  EXPECT_TRUE(Answers(first));
  first.Close();
  auto after = std::async(std::launch::async, [&] {
    Link link(driver);
    return link.Open().all() && Answers(link);
  });
  EXPECT_TRUE(after.get());
}

TEST_F(LinkTest, ReopeningTheOpenLinkIsNotBusy) {
  Link link(driver);
  ASSERT_TRUE(link.Open().all());
  const auto again = link.Open();
  EXPECT_TRUE(again.all());
  EXPECT_FALSE(again.busy);
  EXPECT_TRUE(Answers(link));
}

TEST_F(LinkTest, AFailedOpenHoldsNoConversation) {
  driver.Detach();
  Link absent(driver);
  const auto opened = absent.Open();
  EXPECT_FALSE(opened.control);
  EXPECT_FALSE(opened.busy) << "no player is not busy";
  EXPECT_FALSE(Link::InConversation(driver));
  driver.Attach(player);
  Link present(driver);
  EXPECT_TRUE(present.Open().all());
}

TEST_F(LinkTest, DestroyingTheOpenLinkEndsItsConversation) {
  {
    Link link(driver);
    ASSERT_TRUE(link.Open().all());
  }
  Link next(driver);
  EXPECT_TRUE(next.Open().all());
}

TEST_F(LinkTest, OtherDriversAreOtherConversations) {
  // Another process reaches the same player through a driver of its own;
  // the player's driver, not this rule, arbitrates between processes.
  sim::SimulatedDriver otherProcess(player);
  Link mine(driver), theirs(otherProcess);
  ASSERT_TRUE(mine.Open().all());
  EXPECT_TRUE(theirs.Open().all());
}

TEST_F(LinkTest, ManyThreadsNeverTalkAtOnce) {
  std::atomic<int> inside{0}, most{0}, answered{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        Link link(driver);
        if (!link.Open().control) continue;
        const int now = ++inside;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        answered += Answers(link);
        --inside;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(most.load(), 1);
  EXPECT_GT(answered.load(), 0);
}

}  // namespace
}  // namespace playerlink
