// The content server's manifest, its file names and the small helpers of
// the channel fetch.
#include "tray-client/ContentProtocol.h"

#include <gtest/gtest.h>

#include "common/TextCodec.h"

namespace orvel::content {
namespace {

std::string Cp(const std::string& utf8) { return *common::Utf8ToCp949(utf8); }

ManifestFile File(std::string name, std::uint32_t size) {
  return {std::move(name), size, common::Sha256::Of(std::to_string(size))};
}

TEST(ContentManifestTest, RoundTripKeepsNamesSizesAndDigestsInOrder) {
  const std::vector<ManifestFile> files = {File(Cp("아침 뉴스 12.sa3"), 2097152), File("a%b+c&d=e.sa3", 0),
                                           File("last.sa3", kMaxFileSize)};
  const std::string text = EncodeManifest(files);
  EXPECT_EQ(text.rfind("ORVEL-CONTENT 1\nFILE 2097152 ", 0), 0u);
  auto manifest = ParseManifest(text);
  ASSERT_TRUE(manifest.ok()) << manifest.error().message;
  EXPECT_FALSE(manifest->message);
  ASSERT_EQ(manifest->files.size(), 3u);
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(manifest->files[i].name, files[i].name);
    EXPECT_EQ(manifest->files[i].size, files[i].size);
    EXPECT_EQ(manifest->files[i].sha256, files[i].sha256);
  }
  // Line ends with "\r" are read the same; an empty manifest is a manifest.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(ParseManifest(crlf)->files.size(), 3u);
  EXPECT_TRUE(ParseManifest(EncodeManifest({}))->files.empty());
}

TEST(ContentManifestTest, AMessageStandsInsteadOfFiles) {
  auto manifest = ParseManifest(EncodeManifestMessage(Cp("서버 점검 중입니다.\r\n내일 오세요.")));
  ASSERT_TRUE(manifest.ok());
  EXPECT_EQ(manifest->message, Cp("서버 점검 중입니다.\r\n내일 오세요."));
  EXPECT_TRUE(manifest->files.empty());
  EXPECT_FALSE(ParseManifest("ORVEL-CONTENT 1\nMESSAGE hi\nEND 0\n").ok());
  EXPECT_FALSE(ParseManifest("ORVEL-CONTENT 1\nMESSAGE 100%\n").ok());
}

TEST(ContentManifestTest, AnythingButAWholeManifestIsRefused) {
  const std::string digest(64, 'a');
  const std::string head = "ORVEL-CONTENT 1\n";
  for (const std::string& body : {
           std::string(),
           std::string("ORVEL-CONTENT 2\nEND 0\n"),
           head,                                                   // no END: cut short
           head + "FILE 1 " + digest + " a.sa3\n",                 // cut before END
           head + "FILE 1 " + digest + " a.sa3\nEND 0\n",          // END miscounts
           head + "FILE 1 " + digest + " a.sa3\nEND 1",            // last line without its end
           head + "END 0\nFILE 1 " + digest + " a.sa3\n",          // lines after END
           head + "DIR x\nEND 0\n",                                // unknown line
           head + "FILE -1 " + digest + " a.sa3\nEND 1\n",         // sizes are digits
           head + "FILE 2147483648 " + digest + " a.sa3\nEND 1\n", // over 32 bits signed
           head + "FILE " + std::to_string(kMaxFileSize + 1u) + " " + digest + " a.sa3\nEND 1\n",  // over any player
           head + "FILE 1 " + digest.substr(1) + " a.sa3\nEND 1\n",
           head + "FILE 1 " + digest + " \nEND 1\n",               // empty name
           head + "FILE 1 " + digest + " a%2\nEND 1\n",            // broken escape
           head + "FILE 1 " + digest + " A.SA3\nFILE 2 " + digest + " a.sa3\nEND 2\n",  // twice, by case
       }) {
    EXPECT_FALSE(ParseManifest(body).ok()) << body;
  }
  std::vector<ManifestFile> many(kMaxFiles + 1);
  for (std::size_t i = 0; i < many.size(); ++i) many[i] = File("f" + std::to_string(i), 1);
  EXPECT_FALSE(ParseManifest(EncodeManifest(many)).ok());
  many.pop_back();
  EXPECT_TRUE(ParseManifest(EncodeManifest(many)).ok());
  EXPECT_FALSE(ParseManifest(head + std::string(kMaxManifestBytes, '#')).ok());
  EXPECT_TRUE(ParseManifest(head + "FILE " + std::to_string(kMaxFileSize) + " " + digest + " a.sa3\nEND 1\n").ok());
  EXPECT_LE(kMaxFileSize, 1u << 30) << "no larger than a player's memory";
}

// Names that are one file on Windows, whatever the letters: the second
// would overwrite the first in LocalSync.
TEST(ContentManifestTest, NamesThatAreOneFileOnWindowsComeOnlyOnce) {
  for (const auto& [a, b] : {std::pair<const char*, const char*>{"Ω.sa3", "ω.sa3"}, {"Ａ.sa3", "ａ.sa3"},
                             {"Д.sa3", "д.sa3"}, {"News.SA3", "news.sa3"}}) {
    const auto twice = ParseManifest(EncodeManifest({File(Cp(a), 1), File(Cp(b), 2)}));
    EXPECT_FALSE(twice.ok()) << a << " " << b;
  }
  EXPECT_TRUE(ParseManifest(EncodeManifest({File(Cp("노래.sa3"), 1), File(Cp("노레.sa3"), 2)})).ok());
  EXPECT_TRUE(ParseManifest(EncodeManifest({File(Cp("Ω.sa3"), 1), File(Cp("Ｏ.sa3"), 2)})).ok());
}

TEST(ContentFileNameTest, OrdinaryNamesPass) {
  EXPECT_EQ(*CheckFileName("news012.sa3"), u"news012.sa3");
  EXPECT_EQ(*CheckFileName(Cp("아침 뉴스.sa3")), u"아침 뉴스.sa3");
  EXPECT_TRUE(CheckFileName("console.sa3").ok()) << "only the device name itself is reserved";
  EXPECT_TRUE(CheckFileName("COM10.sa3").ok());
  EXPECT_TRUE(CheckFileName(std::string(kMaxNameUnits, 'n')).ok());
}

TEST(ContentFileNameTest, NamesThatWouldLeaveLocalSyncOrFailOnWindowsAreRefused) {
  for (const std::string& name :
       {std::string(), std::string("."), std::string(".."), std::string("../x.sa3"), std::string("..\\x.sa3"),
        std::string("sub/x.sa3"), std::string("C:x.sa3"), std::string("x.sa3:stream"), std::string("a\tb.sa3"),
        std::string("a?.sa3"), std::string("a*.sa3"), std::string("a<b>.sa3"), std::string("a|b"), std::string("a\"b"),
        std::string("x.sa3."), std::string("x.sa3 "), std::string("CON"), std::string("con.sa3"),
        std::string("Nul .sa3"), std::string("COM1.sa3"), std::string("lpt9"), std::string("CONOUT$"),
        std::string(kMaxNameUnits + 1, 'n'), std::string("\x81\x20.sa3"), Cp("COM¹.sa3"), Cp("lpt²"),
        Cp("Com³ .sa3"), std::string("COM0.sa3")}) {
    EXPECT_FALSE(CheckFileName(name).ok()) << name;
  }
}

TEST(ContentFileNameTest, ThePathInLocalSyncMustFitWithItsTemporaryName) {
  const common::Path folder = common::Path("LocalSync");
  auto path = LocalSyncFilePath(folder, "a.sa3");
  ASSERT_TRUE(path.ok());
  EXPECT_EQ(*path, folder / "a.sa3");
  const std::size_t room = kMaxPathUnits - folder.u16string().size() - 1;
  EXPECT_TRUE(LocalSyncFilePath(folder, std::string(room, 'n')).ok());
  EXPECT_FALSE(LocalSyncFilePath(folder, std::string(room + 1, 'n')).ok());
  EXPECT_FALSE(LocalSyncFilePath(folder, "../a.sa3").ok());
}

TEST(ContentHelpersTest, PortsExtensionsAndAddresses) {
  EXPECT_EQ(PortOrDefault("8080"), 8080);
  for (const char* text : {"", "abc", "0", "65536", "-1", " 80", "80x"}) EXPECT_EQ(PortOrDefault(text), 9686) << text;

  EXPECT_EQ(ChangeFileExt("talk.mp3", ".sa3"), "talk.sa3");
  EXPECT_EQ(ChangeFileExt("talk", ".sa3"), "talk.sa3");
  EXPECT_EQ(ChangeFileExt("a.b.c", ".sa3"), "a.b.sa3");
  EXPECT_EQ(ChangeFileExt("C:\\dir.x\\talk", ".mp3"), "C:\\dir.x\\talk.mp3");
  EXPECT_EQ(LowerExtension("C:\\LocalSync\\News.SA3"), ".sa3");
  EXPECT_EQ(LowerExtension("dir.x/none"), "");

  EXPECT_EQ(ManifestUrl(BaseUrl("127.0.0.1", 9686), Cp("김 lee")),
            "http://127.0.0.1:9686/OrvelContent/manifest?userid=%B1%E8%20lee");
  EXPECT_EQ(FileUrl("http://h:1", "u", "a&b.sa3"), "http://h:1/OrvelContent/file?userid=u&name=a%26b.sa3");
  EXPECT_EQ(PercentDecode("a%26b%2fc"), "a&b/c");
  EXPECT_FALSE(PercentDecode("%G0"));
  EXPECT_FALSE(PercentDecode("%4"));
}

}  // namespace
}  // namespace orvel::content
