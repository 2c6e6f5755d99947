#include <gtest/gtest.h>

#include "common/TextCodec.h"
#include "tray-client/ServiceProtocol.h"

namespace orvel::service {
namespace {

std::string Cp(const char* utf8) { return common::Utf8ToCp949(utf8).value(); }

TEST(ServiceReplyTest, HeaderIsTrimmedAndUpperCased) {
  auto reply = ParseServiceReply("@ login\t/ ack /1/more/");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->command, "LOGIN");
  EXPECT_EQ(reply->status, "ACK");
  EXPECT_EQ(reply->rest, "1/more/");

  // Only single-byte letters change case: the second byte of a Hangul
  // syllable may look like a lower-case letter.
  const std::string hangul = Cp("갵");  // 0x81 0x61
  ASSERT_EQ(hangul.size(), 2u);
  ASSERT_EQ(hangul[1], 'a');
  auto named = ParseServiceReply("@x" + hangul + "/ok/");
  ASSERT_TRUE(named);
  EXPECT_EQ(named->command, "X" + hangul);
  EXPECT_EQ(named->status, "OK");
}

TEST(ServiceReplyTest, WhatIsNoServiceReply) {
  EXPECT_FALSE(ParseServiceReply(""));
  EXPECT_FALSE(ParseServiceReply(" @LOGIN/ACK/0"));
  EXPECT_FALSE(ParseServiceReply("<html>@LOGIN/ACK/0</html>"));
  // Without a second "/" the status is empty and the rest is what follows.
  auto reply = ParseServiceReply("@LOGIN/1");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, "");
  EXPECT_EQ(reply->rest, "1");
  auto bare = ParseServiceReply("@");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->command, "");
}

TEST(ServiceReplyTest, EncoderAndParserAgree) {
  auto reply = ParseServiceReply(EncodeServiceReply("DNLISTS", "ACK", "a/b/c"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->command, "DNLISTS");
  EXPECT_EQ(reply->status, "ACK");
  EXPECT_EQ(reply->rest, "a/b/c");
}

TEST(ClassifyReplyTest, ResultByStatusAndCommand) {
  struct Case {
    const char* body;
    const char* text;
  } cases[] = {
      {"@LOGIN/ACK/0/demo", "0/demo"}, {"@login/ack/1", "1"},        {"@DNLISTS/ACK/x/y", "x/y"},
      {"@DNLISTS/ACK/", ""},           {"@DNLISTS/NAK/x/y", ""},    {"@LOGIN/NAK/3", "3"},
      {"@SYNCREQ/ACK/", "True"},       {"@SYNCREQ/NAK/", "False"},  {"@FLDNED/ack/whatever", "True"},
      {"@REGUSER/ERR/", "False"},      {"@ZONEINFO/ACK/1/2", "True"},
  };
  for (const auto& c : cases) {
    const auto result = ClassifyReply(c.body);
    EXPECT_TRUE(result.serviceReply) << c.body;
    EXPECT_EQ(result.text, c.text) << c.body;
    EXPECT_FALSE(result.userMissingNotice) << c.body;
  }
  for (const char* body : {"", " @LOGIN/ACK/0", "Internal Server Error"}) {
    const auto result = ClassifyReply(body);
    EXPECT_FALSE(result.serviceReply) << body;
    EXPECT_EQ(result.text, "") << body;
  }
}

TEST(ClassifyReplyTest, UserMissingNoticeOnlyForARefusedLogin) {
  const std::string missing = Cp("사용자가 존재하지 않습니다.");
  EXPECT_EQ(missing, UserMissingText());
  auto refused = ClassifyReply("@LOGIN/NAK/" + missing);
  EXPECT_TRUE(refused.userMissingNotice);
  EXPECT_EQ(refused.text, missing);
  EXPECT_EQ(LoginCode(refused), 0);  // the service's wording counts as a login
  EXPECT_FALSE(ClassifyReply("@LOGIN/ACK/" + missing).userMissingNotice);
  EXPECT_FALSE(ClassifyReply("@LOGIN/NAK/" + missing + "!").userMissingNotice);
}

TEST(ClassifyReplyTest, LoginCodes) {
  EXPECT_EQ(LoginCode(ClassifyReply("@LOGIN/ACK/0")), 0);
  EXPECT_EQ(LoginCode(ClassifyReply("@LOGIN/ACK/")), 0);
  EXPECT_EQ(LoginCode(ClassifyReply("@login/ack/1")), 1);
  EXPECT_EQ(LoginCode(ClassifyReply("@LOGIN/NAK/2")), 2);
  EXPECT_EQ(LoginCode(ClassifyReply("@LOGIN/ACK/3")), 3);
  EXPECT_EQ(LoginCode(ClassifyReply("@LOGIN/ACK/1/")), 0);  // only the bare codes are refusals
  EXPECT_EQ(LoginCode(ClassifyReply("")), kLoginNoAnswer);
  EXPECT_EQ(LoginCode(ClassifyReply(" @LOGIN/ACK/0")), kLoginNoAnswer);
}

TEST(ServiceUrlTest, AddressesOfTheDirectoryAndTheZone) {
  EXPECT_EQ(ZoneDirectoryBase(nullptr, false), "http://zone.tarnel.co.kr");
  EXPECT_EQ(ZoneDirectoryBase("", true), "https://zone.tarnel.co.kr");
  EXPECT_EQ(ZoneDirectoryBase("127.0.0.1:8080/", false), "http://127.0.0.1:8080");
  EXPECT_EQ(ZoneDirectoryBase("https://svc.example:444", false), "https://svc.example:444");
  EXPECT_EQ(ZoneListUrl("http://h:1"), "http://h:1/OrvelServer/zone.cgi?command=zoneinfo");
  EXPECT_EQ(LoginUrl(false, "zone1:8000"), "http://zone1:8000/OrvelServer/login.cgi?commend=");
  EXPECT_EQ(LoginUrl(true, "zone1"), "https://zone1/OrvelServer/login.cgi?commend=");
}

TEST(ServiceUrlTest, ValuesArePercentEncodedAsTheirBytes) {
  EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(PercentEncode("a b&c=d/e+f%?#"), "a%20b%26c%3Dd%2Fe%2Bf%25%3F%23");
  EXPECT_EQ(PercentEncode(Cp("한")), "%C7%D1");
  EXPECT_EQ(PercentEncode(std::string("\0\xff", 2)), "%00%FF");

  const std::string base = "http://z/OrvelServer/login.cgi?commend=";
  EXPECT_EQ(CommandUrl(base, Command::kLogin, "kim", "p&w"), base + "login&userid=kim&password=p%26w");
  EXPECT_EQ(CommandUrl(base, Command::kDnLists, "kim", "pw"), base + "dnlists&userid=kim&password=pw");
  EXPECT_EQ(CommandUrl(base, Command::kRegUser, "kim", "pw"), base + "reguser&userid=kim&password=pw");
  EXPECT_EQ(CommandUrl(base, Command::kSyncReq, "kim", "pw", "ch/3/"),
            base + "syncreq&userid=kim&password=pw&sync=ch%2F3%2F");
  EXPECT_EQ(CommandUrl(base, Command::kFldned, "kim", "pw", ""), base + "fldned&userid=kim&password=pw&down=");
}

TEST(ServiceUrlTest, PasswordIsRedacted) {
  const std::string base = "http://z/OrvelServer/login.cgi?commend=";
  EXPECT_EQ(RedactPassword(CommandUrl(base, Command::kSyncReq, "kim", "s3cr%t", "a/1/")),
            base + "syncreq&userid=kim&password=****&sync=a%2F1%2F");
  EXPECT_EQ(RedactPassword(base + "login&userid=x&password="), base + "login&userid=x&password=****");
  EXPECT_EQ(RedactPassword("http://z/?oldpassword=1"), "http://z/?oldpassword=1");
}

TEST(ZoneReplyTest, RecordsAndTheTrailingSlash) {
  auto list = ParseZoneReply("@ZONEINFO/ACK/1/Seoul/h1:80/c1/9686/2/Busan/h2/c2//");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->zones.size(), 2u);
  EXPECT_EQ(list->zones[0].name, "Seoul");
  EXPECT_EQ(list->zones[0].host, "h1:80");
  EXPECT_EQ(list->zones[0].contentAddress, "c1");
  EXPECT_EQ(list->zones[0].contentPort, "9686");
  EXPECT_EQ(list->zones[1].number, "2");
  EXPECT_EQ(list->zones[1].contentPort, "");
  EXPECT_FALSE(list->complete);

  auto complete = ParseZoneReply("@zoneinfo/whatever/1/Seoul/h1/c1/9686");
  ASSERT_TRUE(complete);
  EXPECT_TRUE(complete->complete);
  ASSERT_EQ(complete->zones.size(), 1u);
  EXPECT_EQ(complete->zones[0].contentPort, "9686");

  // A short record: missing fields stay empty, the rest is the last field.
  auto shortRecord = ParseZoneReply("@Z/ACK/1/Seoul");
  ASSERT_TRUE(shortRecord);
  ASSERT_EQ(shortRecord->zones.size(), 1u);
  EXPECT_EQ(shortRecord->zones[0].number, "1");
  EXPECT_EQ(shortRecord->zones[0].name, "");
  EXPECT_EQ(shortRecord->zones[0].contentPort, "Seoul");

  EXPECT_FALSE(ParseZoneReply(" @Z/ACK/1/a/b/c/d"));
  EXPECT_TRUE(ParseZoneReply("@Z/ACK/")->zones.empty());
}

TEST(ZoneReplyTest, EncoderAndParserAgree) {
  const std::vector<ZoneRecord> zones = {{"1", Cp("Teska넷"), "127.0.0.1:5", "10.0.0.1", "9686"},
                                         {"2", "B", "h", "", ""}};
  auto list = ParseZoneReply(EncodeServiceReply("ZONEINFO", "ACK", EncodeZoneRecords(zones)));
  ASSERT_TRUE(list);
  EXPECT_TRUE(list->complete);
  ASSERT_EQ(list->zones.size(), 2u);
  EXPECT_EQ(list->zones[0].name, zones[0].name);
  EXPECT_EQ(list->zones[1].host, "h");
  EXPECT_EQ(list->zones[1].contentPort, "");
}

TEST(ChannelListTest, TenFieldsWithAndWithoutTrailingSlash) {
  const std::string item = "0/News/12/n12.sa3/2048/20260101/n11.sa3/1990/07:00/P-1";
  auto one = ParseChannelList(item);
  ASSERT_EQ(one.items.size(), 1u);
  EXPECT_TRUE(one.complete);
  const ChannelRecord& c = one.items[0];
  EXPECT_EQ(c.ContentType, 0);
  EXPECT_EQ(c.ChannelName, "News");
  EXPECT_EQ(c.Sequence, 12);
  EXPECT_EQ(c.DnFileName, "n12.sa3");
  EXPECT_EQ(c.DnFileSize, 2048);
  EXPECT_EQ(c.DnFileDate, "20260101");
  EXPECT_EQ(c.PreFileName, "n11.sa3");
  EXPECT_EQ(c.PreFileSize, 1990);
  EXPECT_EQ(c.PreDownTime, "07:00");
  EXPECT_EQ(c.PurchaseNum, "P-1");

  auto trailing = ParseChannelList(item + "/");
  ASSERT_EQ(trailing.items.size(), 1u);
  EXPECT_FALSE(trailing.complete);
  EXPECT_EQ(trailing.items[0].PurchaseNum, "P-1");

  auto bare = ParseChannelList("just-text");
  ASSERT_EQ(bare.items.size(), 1u);
  EXPECT_TRUE(bare.complete);
  EXPECT_EQ(bare.items[0].PurchaseNum, "just-text");
  EXPECT_EQ(bare.items[0].ChannelName, "");
  EXPECT_EQ(bare.items[0].ContentType, 0);

  auto two = ParseChannelList(item + "/" + item);
  EXPECT_EQ(two.items.size(), 2u);
  EXPECT_TRUE(two.complete);
  EXPECT_TRUE(ParseChannelList("").items.empty());
  EXPECT_FALSE(ParseChannelList("").complete);
}

TEST(ChannelListTest, ServiceBytesAreKeptAsTheyCame) {
  auto list = ParseChannelList("1/Bad\xC7\x41/3/b/1/\xB3\xAF/p/1/t/P-\xFF");
  ASSERT_EQ(list.items.size(), 1u);
  ASSERT_TRUE(list.items[0].serviceBytes.has_value());
  EXPECT_EQ(list.items[0].serviceBytes->ChannelName, "Bad\xC7\x41");
  EXPECT_EQ(list.items[0].serviceBytes->DnFileDate, "\xB3\xAF");
  EXPECT_EQ(list.items[0].serviceBytes->PurchaseNum, "P-\xFF");
}

// A flood of "/" (a broken or hostile service) adds nothing, and no reply
// adds more than the bound.
TEST(ServiceListBoundsTest, EmptyRecordsAreSkippedAndListsAreBounded) {
  const std::string slashes(4 << 20, '/');
  auto zones = ParseZoneReply("@ZONEINFO/ACK/" + slashes);
  ASSERT_TRUE(zones);
  EXPECT_TRUE(zones->zones.empty());
  EXPECT_TRUE(ParseChannelList(slashes).items.empty());

  // Empty records between real ones are left out.
  auto mixed = ParseZoneReply("@Z/ACK/1/A/h/c/1//////2/B/h/c/2");
  ASSERT_TRUE(mixed);
  ASSERT_EQ(mixed->zones.size(), 2u);
  EXPECT_EQ(mixed->zones[1].name, "B");
  EXPECT_TRUE(mixed->complete);

  std::vector<ZoneRecord> manyZones(kMaxZones + 5, ZoneRecord{"1", "Z", "h", "c", "1"});
  auto bounded = ParseZoneReply(EncodeServiceReply("ZONEINFO", "ACK", EncodeZoneRecords(manyZones)));
  ASSERT_TRUE(bounded);
  EXPECT_EQ(bounded->zones.size(), kMaxZones);
  EXPECT_FALSE(bounded->complete) << "a list cut at the bound is not whole";

  std::vector<ChannelRecord> manyChannels(kMaxChannels + 1, ChannelRecord{0, "C", 1, "f", 1, "d", "p", 1, "t", "P"});
  auto channels = ParseChannelList(EncodeChannelList(manyChannels));
  EXPECT_EQ(channels.items.size(), kMaxChannels);
  EXPECT_FALSE(channels.complete);
}

TEST(ChannelListTest, NumbersThatAreNone) {
  auto list = ParseChannelList("x/a/99999999999/f/-5/d/p/ 7/t/n");
  ASSERT_EQ(list.items.size(), 1u);
  EXPECT_EQ(list.items[0].ContentType, 0);
  EXPECT_EQ(list.items[0].Sequence, 0);  // does not fit in 32 bits
  EXPECT_EQ(list.items[0].DnFileSize, -5);
  EXPECT_EQ(list.items[0].PreFileSize, 7);
  EXPECT_EQ(NumberOrZero(""), 0);
  EXPECT_EQ(NumberOrZero("12x"), 0);
  EXPECT_EQ(NumberOrZero("+3"), 3);
}

TEST(ChannelListTest, EncoderAndParserAgree) {
  const std::vector<ChannelRecord> items = {{1, Cp("날씨"), 0, "w.sa3", 512, "20260101", "v.sa3", 500, "t", "P-2"},
                                            {2, "Talk", 7, "No file", 0, "", "", 0, "", ""}};
  auto list = ParseChannelList(EncodeChannelList(items));
  EXPECT_TRUE(list.complete);
  ASSERT_EQ(list.items.size(), 2u);
  EXPECT_EQ(list.items[0].ChannelName, items[0].ChannelName);
  EXPECT_EQ(list.items[0].PreFileSize, 500);
  EXPECT_EQ(list.items[1].DnFileName, "No file");
  EXPECT_EQ(list.items[1].PurchaseNum, "");
}

TEST(ListTextTest, SyncAndDoneItems) {
  EXPECT_EQ(SyncItemText(0, "News", 12, "20260101"), "News/12/");
  EXPECT_EQ(SyncItemText(2, "Talk", 7, ""), "Talk/7/");
  EXPECT_EQ(SyncItemText(1, "Weather", 0, "20260101"), "Weather/20260101/");
  EXPECT_EQ(SyncItemText(3, "Other", 1, "x"), "");
  EXPECT_EQ(SyncItemText(-1, "Other", 1, "x"), "");
  EXPECT_EQ(DoneItemText("P-1", "News", 12), "P-1/News/12/");
}

}  // namespace
}  // namespace orvel::service
