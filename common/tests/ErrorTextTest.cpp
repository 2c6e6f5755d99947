#include "common/ErrorText.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace common {
namespace {

// Every code of every layer, by name: a code added to a layer must be
// added here too (ErrorText.cpp does not build without its sentence).
const HttpError kHttpErrors[] = {HttpError::kBadUrl, HttpError::kConnect, HttpError::kTimeout,
                                 HttpError::kStatus, HttpError::kTls,     HttpError::kTooLarge,
                                 HttpError::kBusy,   HttpError::kTransfer, HttpError::kCancelled};
const NetError kNetErrors[] = {NetError::kFailed, NetError::kTimeout, NetError::kClosed, NetError::kCancelled};
const FileError kFileErrors[] = {FileError::kNotFound, FileError::kAccessDenied, FileError::kInUse,
                                 FileError::kDiskFull, FileError::kIsFolder,     FileError::kExists,
                                 FileError::kTooLarge, FileError::kFailed};
const FileOp kFileOps[] = {FileOp::kOpen, FileOp::kCreate, FileOp::kRead, FileOp::kWrite,  FileOp::kMeasure,
                           FileOp::kSeek, FileOp::kSave,   FileOp::kRemove, FileOp::kRename, FileOp::kList};
const RegistryError kRegistryErrors[] = {RegistryError::kAccessDenied, RegistryError::kFailed};
const ComError kComErrors[] = {ComError::kUnavailable, ComError::kCallFailed};
const FtpError kFtpErrors[] = {FtpError::kBadAddress, FtpError::kConnect,  FtpError::kLogin,    FtpError::kNoFile,
                               FtpError::kTimeout,    FtpError::kTransfer, FtpError::kCancelled};
const UpdateError kUpdateErrors[] = {UpdateError::kNoChecksum, UpdateError::kSizeMismatch, UpdateError::kHashMismatch,
                                     UpdateError::kStartFailed};
const TextError kTextErrors[] = {TextError::kUnencodable, TextError::kLoneSurrogate, TextError::kNotCp949,
                                 TextError::kNoCharacter, TextError::kNotUtf8};

bool HasHangul(const std::string& text) {
  // UTF-8 of U+AC00..U+D7A3 starts with EA..ED.
  for (unsigned char c : text) {
    if (c >= 0xEA && c <= 0xED) return true;
  }
  return false;
}

// A sentence as the user reads it: Korean, on one line, finished, with
// nothing of a format or of a query in it.
void ExpectSentence(const std::string& text, const std::string& label) {
  EXPECT_FALSE(text.empty()) << label;
  EXPECT_TRUE(HasHangul(text)) << label << ": " << text;
  EXPECT_EQ(text.find('\n'), std::string::npos) << label << ": " << text;
  EXPECT_EQ(text.back(), '.') << label << ": " << text;
  for (const char* stray : {"%", "{", "?", "://", "  "}) {
    EXPECT_EQ(text.find(stray), std::string::npos) << label << ": " << stray << " in " << text;
  }
}

template <class Code, std::size_t N>
void ExpectDistinctSentences(const Code (&codes)[N], const std::string& layer) {
  std::set<std::string> seen;
  for (Code code : codes) {
    const std::string text(ErrorSentence(code));
    ExpectSentence(text, layer + " " + std::to_string(static_cast<int>(code)));
    EXPECT_TRUE(seen.insert(text).second) << layer << ": two codes say the same: " << text;
  }
}

TEST(ErrorTextTest, EveryCodeOfEveryLayerHasItsOwnSentence) {
  ExpectDistinctSentences(kHttpErrors, "http");
  ExpectDistinctSentences(kNetErrors, "net");
  ExpectDistinctSentences(kFileErrors, "file");
  ExpectDistinctSentences(kRegistryErrors, "registry");
  ExpectDistinctSentences(kComErrors, "com");
  ExpectDistinctSentences(kFtpErrors, "ftp");
  ExpectDistinctSentences(kUpdateErrors, "update");

  std::set<std::string> text;
  for (TextError code : kTextErrors) {
    const std::string sentence = ErrorSentence(code, "\u00E9");
    ExpectSentence(sentence, "text " + std::to_string(static_cast<int>(code)));
    EXPECT_TRUE(text.insert(sentence).second) << sentence;
  }
  ExpectSentence(std::string(UnexpectedErrorSentence()), "unexpected");
}

TEST(ErrorTextTest, PlayerTextsKeepTheProgramsOwnLines) {
  // The two prepared lines for a player that cannot be opened stay as written.
  EXPECT_EQ(ErrorSentence(PlayerError::kNotConnected), "디바이스가 연결되지 않았거나\n다른 어플리케이션이 사용중 입니다.");
}

TEST(ErrorTextTest, ValuesOutsideALayersCodesHaveNoSentence) {
  EXPECT_EQ(ErrorSentence(static_cast<HttpError>(0)), "");
  EXPECT_EQ(ErrorSentence(static_cast<HttpError>(99)), "");
  EXPECT_EQ(ErrorSentence(static_cast<NetError>(0)), "");
  EXPECT_EQ(ErrorSentence(static_cast<FileError>(99)), "");
  EXPECT_EQ(ErrorSentence(static_cast<TextError>(0), "x"), "");
}

TEST(ErrorTextTest, FileSentencesNameTheFileTheOperationAndTheCause) {
  std::set<std::string> predicates;
  for (FileOp op : kFileOps) {
    for (FileError cause : kFileErrors) {
      const std::string text = FileErrorSentence(op, "ORVEL.INI", cause);
      ExpectSentence(text, "file op " + std::to_string(static_cast<int>(op)));
      EXPECT_EQ(text.rfind("'ORVEL.INI' ", 0), 0u) << text;
      EXPECT_NE(text.find(ErrorSentence(cause)), std::string::npos) << text;
    }
    predicates.insert(FileErrorSentence(op, "", FileError::kFailed));
  }
  EXPECT_EQ(predicates.size(), std::size(kFileOps));  // every operation says what it was doing
  // Without a name the sentence starts with the predicate.
  EXPECT_EQ(FileErrorSentence(FileOp::kRead, "", FileError::kInUse).rfind("파일을 읽을 수 없습니다. ", 0), 0u);
}

TEST(ErrorTextTest, UnencodableCharacterIsNamedUnlessItCannotBeSeen) {
  EXPECT_NE(ErrorSentence(TextError::kUnencodable, "\u00E9").find("'\u00E9' 글자는"), std::string::npos);
  const std::string unnamed = ErrorSentence(TextError::kUnencodable, "");
  ExpectSentence(unnamed, "unnamed");
  EXPECT_EQ(unnamed.find("''"), std::string::npos);
}

TEST(ErrorTextTest, MessagesHaveTheSentenceThenTheDetailInParentheses) {
  EXPECT_EQ(UserMessage("문장입니다.", "HTTP 상태 500, 서버 a:1"), "문장입니다.\n(HTTP 상태 500, 서버 a:1)");
  EXPECT_EQ(UserMessage("문장입니다.", ""), "문장입니다.");
  // The detail comes back out for a caller that words the failure anew.
  EXPECT_EQ(DetailOf(UserMessage("문장입니다.", "시스템 오류 5, C:\\a (b).txt")), "시스템 오류 5, C:\\a (b).txt");
  EXPECT_EQ(DetailOf("문장입니다."), "");
  EXPECT_EQ(DetailOf("문장입니다.\n(미완"), "");
  EXPECT_EQ(DetailOf(""), "");
  EXPECT_EQ(SystemErrorDetail(32), "시스템 오류 32");
  EXPECT_EQ(SystemErrorDetail(-2), "시스템 오류 -2");
  EXPECT_EQ(HexDetail("HRESULT", 0x80040154u), "HRESULT 0x80040154");
  EXPECT_EQ(HexDetail("HRESULT", 5), "HRESULT 0x00000005");
}

}  // namespace
}  // namespace common
