// The table of what the user reads. Every switch here names every code of
// its enumeration and has no default: the build treats a missing case as an
// error (-Werror=switch), so a new code cannot come without its sentence.
#include "common/ErrorText.h"

#include <cstdio>

namespace common {

std::string_view ErrorSentence(HttpError code) {
  switch (code) {
    case HttpError::kBadUrl:
      return "서비스 주소가 올바르지 않습니다. 설정에서 서버를 다시 선택해 주세요.";
    case HttpError::kConnect:
      return "서비스에 연결할 수 없습니다. 인터넷 연결을 확인한 뒤 다시 시도해 주세요.";
    case HttpError::kTimeout:
      return "서비스가 제시간에 응답하지 않았습니다. 잠시 후 다시 시도해 주세요.";
    case HttpError::kStatus:
      return "서비스 서버가 요청을 처리하지 못하고 오류로 응답했습니다. 잠시 후 다시 시도해 주세요.";
    case HttpError::kTls:
      return "서비스와 보안 연결을 맺을 수 없습니다. 컴퓨터의 날짜와 시간이 맞는지 확인한 뒤 다시 시도해 주세요.";
    case HttpError::kTooLarge:
      return "서비스의 응답이 너무 커서 받지 않았습니다. 잠시 후 다시 시도해 주세요.";
    case HttpError::kBusy:
      return "앞서 보낸 요청이 아직 끝나지 않았습니다. 끝날 때까지 기다린 뒤 다시 시도해 주세요.";
    case HttpError::kTransfer:
      return "서비스와 주고받던 중 연결이 끊어졌습니다. 인터넷 연결을 확인한 뒤 다시 시도해 주세요.";
    case HttpError::kCancelled:
      return "서비스 요청을 취소했습니다. 필요하면 다시 시도해 주세요.";
  }
  return {};
}

std::string_view ErrorSentence(NetError code) {
  switch (code) {
    case NetError::kFailed:
      return "네트워크 연결에 실패했습니다. 네트워크 연결을 확인한 뒤 다시 시도해 주세요.";
    case NetError::kTimeout:
      return "서버가 제시간에 응답하지 않았습니다. 잠시 후 다시 시도해 주세요.";
    case NetError::kClosed:
      return "서버가 응답을 다 보내기 전에 연결을 끊었습니다. 잠시 후 다시 시도해 주세요.";
    case NetError::kCancelled:
      return "서버에 연결하던 중 취소했습니다. 필요하면 다시 시도해 주세요.";
  }
  return {};
}

std::string_view ErrorSentence(FileError code) {
  switch (code) {
    case FileError::kNotFound:
      return "파일이나 폴더가 없습니다. 위치와 이름을 확인해 주세요.";
    case FileError::kAccessDenied:
      return "권한이 없거나 읽기 전용입니다. 파일의 속성과 폴더의 권한을 확인해 주세요.";
    case FileError::kInUse:
      return "다른 프로그램이 사용하고 있습니다. 그 프로그램을 닫은 뒤 다시 시도해 주세요.";
    case FileError::kDiskFull:
      return "디스크 공간이 부족합니다. 필요 없는 파일을 지워 공간을 만든 뒤 다시 시도해 주세요.";
    case FileError::kIsFolder:
      return "파일이 아니라 폴더입니다. 파일을 다시 골라 주세요.";
    case FileError::kExists:
      return "같은 이름의 파일이 이미 있습니다. 다른 이름을 골라 주세요.";
    case FileError::kTooLarge:
      return "파일이 너무 큽니다. 올바른 파일인지 확인해 주세요.";
    case FileError::kFailed:
      return "디스크나 파일에 문제가 있을 수 있습니다. 다시 시도하고, 계속되면 디스크를 점검해 주세요.";
  }
  return {};
}

namespace {

std::string_view FilePredicate(FileOp op) {
  switch (op) {
    case FileOp::kOpen: return "파일을 열 수 없습니다.";
    case FileOp::kCreate: return "파일을 만들 수 없습니다.";
    case FileOp::kRead: return "파일을 읽을 수 없습니다.";
    case FileOp::kWrite: return "파일에 쓸 수 없습니다.";
    case FileOp::kMeasure: return "파일의 크기를 알 수 없습니다.";
    case FileOp::kSeek: return "파일 안에서 위치를 옮길 수 없습니다.";
    case FileOp::kSave: return "파일을 저장할 수 없습니다.";
    case FileOp::kRemove: return "파일을 지울 수 없습니다.";
    case FileOp::kRename: return "파일을 바꿔 쓸 수 없습니다.";
    case FileOp::kList: return "폴더를 열 수 없습니다.";
  }
  return "파일을 다룰 수 없습니다.";
}

}  // namespace

std::string FileErrorSentence(FileOp op, std::string_view fileName, FileError cause) {
  std::string text;
  if (!fileName.empty()) {
    text += "'";
    text += fileName;
    text += "' ";
  }
  text += FilePredicate(op);
  const std::string_view why = ErrorSentence(cause);
  if (!why.empty()) {
    text += ' ';
    text += why;
  }
  return text;
}

std::string_view ErrorSentence(PlayerError code) {
  switch (code) {
    case PlayerError::kNotConnected:
      // The program's own two lines for a player that cannot be opened.
      return "디바이스가 연결되지 않았거나\n다른 어플리케이션이 사용중 입니다.";
  }
  return {};
}

std::string_view ErrorSentence(RegistryError code) {
  switch (code) {
    case RegistryError::kAccessDenied:
      return "레지스트리에 값을 쓸 권한이 없습니다. 관리자 권한이 있는 계정으로 다시 시도해 주세요.";
    case RegistryError::kFailed:
      return "레지스트리의 값을 읽거나 쓸 수 없습니다. 다시 시도해 주세요.";
  }
  return {};
}

std::string_view ErrorSentence(ComError code) {
  switch (code) {
    case ComError::kUnavailable:
      return "회원 확인 모듈(Dastrel)을 시작할 수 없습니다. 프로그램을 다시 설치한 뒤 다시 시도해 주세요.";
    case ComError::kCallFailed:
      return "회원 확인 중 오류가 생겼습니다. 잠시 후 다시 시도해 주세요.";
  }
  return {};
}

std::string_view ErrorSentence(FtpError code) {
  switch (code) {
    case FtpError::kBadAddress:
      return "업데이트 서버의 주소나 파일 경로가 올바르지 않습니다. 설정 파일의 업데이트 서버 값을 확인해 주세요.";
    case FtpError::kConnect:
      return "업데이트 서버에 연결할 수 없습니다. 인터넷 연결을 확인한 뒤 다시 시도해 주세요.";
    case FtpError::kLogin:
      return "업데이트 서버가 로그인을 거부했습니다. 설정 파일의 업데이트 계정을 확인해 주세요.";
    case FtpError::kNoFile:
      return "업데이트 할 파일이 없습니다.";
    case FtpError::kTimeout:
      return "업데이트 서버가 제시간에 응답하지 않았습니다. 잠시 후 다시 시도해 주세요.";
    case FtpError::kTransfer:
      return "업데이트 파일을 받던 중 연결이 끊어졌습니다. 인터넷 연결을 확인한 뒤 다시 시도해 주세요.";
    case FtpError::kCancelled:
      return "업데이트 받기를 취소했습니다. 필요하면 다시 시도해 주세요.";
  }
  return {};
}

std::string_view ErrorSentence(UpdateError code) {
  switch (code) {
    case UpdateError::kNoChecksum:
      return "업데이트 파일의 확인값(SHA-256)을 받을 수 없어 설치하지 않습니다. 잠시 후 다시 시도해 주세요.";
    case UpdateError::kSizeMismatch:
      return "받은 업데이트 파일의 크기가 서버의 파일과 달라 지웠습니다. 다시 시도해 주세요.";
    case UpdateError::kHashMismatch:
      return "받은 업데이트 파일이 확인값(SHA-256)과 맞지 않아 지웠습니다. 다시 시도하고, 계속되면 고객 지원에 "
             "알려 주세요.";
    case UpdateError::kStartFailed:
      return "업데이트 설치 프로그램을 시작할 수 없습니다. 프로그램 폴더의 setup.exe를 직접 실행해 주세요.";
  }
  return {};
}

std::string ErrorSentence(TextError code, std::string_view what) {
  switch (code) {
    case TextError::kUnencodable:
      if (what.empty()) {
        return "보내거나 저장할 수 없는 글자가 들어 있습니다. 그 글자를 빼거나 다른 글자로 바꾼 뒤 다시 시도해 주세요.";
      }
      return "'" + std::string(what) +
             "' 글자는 보내거나 저장할 수 없는 글자입니다. 이 글자를 빼거나 다른 글자로 바꾼 뒤 다시 시도해 주세요.";
    case TextError::kLoneSurrogate:
      return "깨진 글자가 들어 있어 보내거나 저장할 수 없습니다. 그 글자를 지우고 다시 입력해 주세요.";
    case TextError::kNotCp949:
      return "글이 한글 코드(CP949)에 맞지 않아 읽을 수 없습니다. 파일이나 받은 내용이 손상되지 않았는지 확인해 주세요.";
    case TextError::kNoCharacter:
      return "글에 한글 코드(CP949)에 없는 글자가 있어 읽을 수 없습니다. 파일이나 받은 내용이 손상되지 않았는지 확인해 "
             "주세요.";
    case TextError::kNotUtf8:
      return "글이 UTF-8 형식에 맞지 않아 읽을 수 없습니다. 파일이 손상되지 않았는지 확인해 주세요.";
  }
  return {};
}

std::string_view UnexpectedErrorSentence() {
  return "예기치 않은 오류가 생겼습니다. 프로그램을 다시 시작한 뒤 다시 시도해 주세요.";
}

std::string UserMessage(std::string_view sentence, std::string_view detail) {
  std::string text(sentence);
  if (!detail.empty()) {
    text += "\n(";
    text += detail;
    text += ')';
  }
  return text;
}

std::string DetailOf(std::string_view message) {
  const auto at = message.rfind("\n(");
  if (at == std::string_view::npos || message.back() != ')') return {};
  return std::string(message.substr(at + 2, message.size() - at - 3));
}

std::string SystemErrorDetail(std::int64_t number) { return "시스템 오류 " + std::to_string(number); }

std::string HexDetail(std::string_view label, std::uint32_t value) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(value));
  return std::string(label) + " " + hex;
}

}  // namespace common
