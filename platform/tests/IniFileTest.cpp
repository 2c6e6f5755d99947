// The profile-file rules of the settings reader and writer.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/IniFile.h"

namespace platform {
namespace {

TEST(IniFileTest, ReadsWithoutCaseAndBlanksAndStripsQuotes) {
  auto ini = IniFile::Parse(
      "; comment\r\n[ServerInfo]\r\n  servername =  서울 zone \r\n[USERINFO]\nUSERID=\"a b\"\nPASSWD='x\nDUP=1\nDUP=2\n");
  EXPECT_EQ(ini.ReadString("SERVERINFO", "SERVERNAME", "?"), "서울 zone");
  EXPECT_EQ(ini.ReadString("userinfo", "userid", "?"), "a b");
  EXPECT_EQ(ini.ReadString("USERINFO", "PASSWD", "?"), "'x") << "an unmatched quote stays";
  EXPECT_EQ(ini.ReadString("USERINFO", "DUP", "?"), "1") << "the first occurrence wins";
  EXPECT_EQ(ini.ReadString("USERINFO", "SERVERNAME", "?"), "?") << "keys belong to their section";
}

TEST(IniFileTest, BooleansAreNonzeroIntegersElseTheDefault) {
  auto ini = IniFile::Parse("[S]\na=1\nb=0\nc=-3\nd=$10\ne=0x0\nf=yes\ng=\nh=99999999999\n");
  EXPECT_TRUE(ini.ReadBool("S", "a", false));
  EXPECT_FALSE(ini.ReadBool("S", "b", true));
  EXPECT_TRUE(ini.ReadBool("S", "c", false));
  EXPECT_EQ(ini.ReadInteger("S", "d", 0), 16);
  EXPECT_FALSE(ini.ReadBool("S", "e", true));
  EXPECT_TRUE(ini.ReadBool("S", "f", true)) << "not a number: the default";
  EXPECT_FALSE(ini.ReadBool("S", "f", false));
  EXPECT_TRUE(ini.ReadBool("S", "g", true));
  EXPECT_EQ(ini.ReadInteger("S", "h", 5), 5) << "out of range: the default";
  EXPECT_TRUE(ini.ReadBool("S", "missing", true));
}

TEST(IniFileTest, WritesInPlaceAtTheSectionEndOrInANewSection) {
  auto ini = IniFile::Parse("[A]\nk1=old\n\n[B]\nx=1\n");
  ini.WriteString("a", "K1", "new");
  ini.WriteString("A", "k2", "two");
  ini.WriteString("C", "y", "3");
  EXPECT_EQ(ini.Serialize(), "[A]\r\nK1=new\r\nk2=two\r\n\r\n[B]\r\nx=1\r\n[C]\r\ny=3\r\n");
  ini.WriteString("C", "y", "");
  EXPECT_EQ(ini.Read("C", "y"), std::optional<std::string>(""));
}

TEST(IniFileTest, AValueWithALineBreakAddsNoSectionsOrKeys) {
  auto ini = IniFile::Parse("[SERVERINFO]\r\nSERVERNAME=old\r\n[STARTOPTION]\r\nAUTOSTART=0\r\n");
  ini.WriteString("SERVERINFO", "SERVERNAME", "zone\r\n[STARTOPTION]\r\nAUTOSTART=1");
  ini.WriteString("USERINFO", "USERID", "id\nPASSWD=00");
  auto again = IniFile::Parse(ini.Serialize());
  EXPECT_EQ(again.ReadString("SERVERINFO", "SERVERNAME", "?"), "zone");
  EXPECT_FALSE(again.ReadBool("STARTOPTION", "AUTOSTART", true)) << "no section came in with the value";
  EXPECT_EQ(again.ReadString("USERINFO", "USERID", "?"), "id");
  EXPECT_EQ(again.Read("USERINFO", "PASSWD"), std::nullopt);
  EXPECT_EQ(again.Serialize(), ini.Serialize());
}

TEST(IniFileTest, SavesAtomicallyAndAMissingFileIsEmpty) {
  const auto dir = std::filesystem::path(::testing::TempDir()) / "ini_file_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const auto path = dir / "ORVEL.INI";
  auto empty = IniFile::Load(path);
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty->Serialize(), "");
  IniFile ini;
  ini.WriteBool("STARTOPTION", "AUTOSTART", true);
  ASSERT_TRUE(ini.Save(path).ok());
  auto back = IniFile::Load(path);
  ASSERT_TRUE(back.ok());
  EXPECT_TRUE(back->ReadBool("STARTOPTION", "AUTOSTART", false));
  std::filesystem::resize_file(path, IniFile::kMaxBytes + 1);
  EXPECT_FALSE(IniFile::Load(path).ok()) << "an oversized file is refused";
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform
