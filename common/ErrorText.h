// What the user reads when something fails: the failure codes of the
// platform layers (HTTP client, TCP sockets, files, text codec, player link,
// registry, member check over COM) and one Korean sentence for each, in one
// table (ErrorText.cpp), so every program says the same thing for the same
// failure.
//
// A message a user may read has two lines: the sentence, which says what
// failed and what to try, and the technical detail in parentheses (status
// code, system error number, the host or the file). The detail never holds
// a query string or a password. The layers build their Error messages in
// this form (UserMessage), so a program can show error.message as it is.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace common {

// Error.code of a failed HTTP request (platform/http).
enum class HttpError {
  kBadUrl = 1,     // not an http:// or https:// address (or not https:// with TLS on)
  kConnect = 2,    // host not found, connection refused, connect time-out
  kTimeout = 3,    // the server stopped sending for longer than the read time-out,
                   // or the whole request took longer than its deadline
  kStatus = 4,     // the server answered with an HTTP error status (400 and up)
  kTls = 5,        // TLS handshake or certificate verification failed
  kTooLarge = 6,   // the reply exceeded the client's body limit
  kBusy = 7,       // another request of this client is still running
  kTransfer = 8,   // any other failure while sending or receiving
  kCancelled = 9,  // the request was cancelled (its stop token), or the program is ending
};

// Error.code of a failed socket call (platform/net), where it matters to the caller.
enum class NetError {
  kFailed = 1,   // the platform call failed (the detail says which and why)
  kTimeout = 2,  // nothing happened within the time-out
  kClosed = 3,   // the peer closed the connection before all bytes came (ReceiveExactly)
  kCancelled = 4,  // the caller's stop token ended the wait (Connect)
};

// Error.code of a failed file operation (common/File), the same on every
// platform; the system's own number is in the message's detail line.
enum class FileError {
  kNotFound = 1,      // the file or a folder of its path is missing
  kAccessDenied = 2,  // no permission, read-only file or medium
  kInUse = 3,         // another program holds the file
  kDiskFull = 4,      // no room left on the medium
  kIsFolder = 5,      // the path names a folder
  kExists = 6,        // a file that must be new is already there
  kTooLarge = 7,      // larger than the caller accepts
  kFailed = 8,        // any other failure (device error, bad name, ...)
};

// What a file operation was doing when it failed: the verb of the sentence.
enum class FileOp { kOpen, kCreate, kRead, kWrite, kMeasure, kSeek, kSave, kRemove, kRename, kList };

// Failures of the text codec (common/TextCodec). Its Error.code stays the
// input offset; these name what was wrong there.
enum class TextError {
  kUnencodable = 1,   // a character code page 949 cannot carry
  kLoneSurrogate = 2, // broken UTF-16 (half of a surrogate pair)
  kNotCp949 = 3,      // bytes that are not code page 949 (or a lead byte cut off)
  kNoCharacter = 4,   // a code page 949 code that stands for no character
  kNotUtf8 = 5,       // bytes that are not UTF-8
};

// Failures of the player as the windows word them where no fixed text of
// their own applies. Every other player failure a window shows has its own
// fixed text, and the transfer threads report no cause a text could name.
enum class PlayerError {
  kNotConnected = 1,  // the control device does not open: absent, off, or held by another program
};

// Failures of the registry (platform/Registry).
enum class RegistryError {
  kAccessDenied = 1,  // the user may not write there (HKLM without administrator rights)
  kFailed = 2,        // any other failure
};

// Error.code of a failed FTP retrieval (platform/http's FTP client).
enum class FtpError {
  kBadAddress = 1,  // the host or the file's path cannot be used (empty, control characters)
  kConnect = 2,     // host not found, connection refused, connect time-out
  kLogin = 3,       // the server refused the user name or password
  kNoFile = 4,      // the server has no such file (or will not give it)
  kTimeout = 5,     // the server stopped sending, or the whole transfer took longer than allowed
  kTransfer = 6,    // the connection broke off, or another transfer failure
  kCancelled = 7,   // the transfer was cancelled (its stop token)
};

// Why a downloaded program update is not started.
enum class UpdateError {
  kNoChecksum = 1,    // the SHA-256 published beside the setup program is missing or malformed
  kSizeMismatch = 2,  // the file received is not as long as the server announced
  kHashMismatch = 3,  // the file's SHA-256 is not the published one
  kStartFailed = 4,   // the verified setup program could not be started
};

// Failures of the member check through the COM class of the member library.
enum class ComError {
  kUnavailable = 1,  // the class cannot be created (not registered, not part of the build)
  kCallFailed = 2,   // a call of the interface failed
};

// The sentence of a code: what failed and what to try. Empty for a value
// that is not one of the enumerators.
std::string_view ErrorSentence(HttpError code);
std::string_view ErrorSentence(NetError code);
std::string_view ErrorSentence(FileError code);
std::string_view ErrorSentence(PlayerError code);
std::string_view ErrorSentence(RegistryError code);
std::string_view ErrorSentence(ComError code);
std::string_view ErrorSentence(FtpError code);
std::string_view ErrorSentence(UpdateError code);
// The text codec's sentence; an unencodable character is named by `what`
// (the character itself; empty when it cannot be seen).
std::string ErrorSentence(TextError code, std::string_view what);
// "'<name>' 파일을 <verb> 수 없습니다. <cause and what to try>"
std::string FileErrorSentence(FileOp op, std::string_view fileName, FileError cause);

// The two-line form: sentence, line break, "(" detail ")". Without a detail
// only the sentence.
std::string UserMessage(std::string_view sentence, std::string_view detail);

// The detail of a message in that form (without the parentheses); empty
// when it has none. For a caller that words a layer's failure anew.
std::string DetailOf(std::string_view message);

// The detail items every layer writes the same way.
std::string SystemErrorDetail(std::int64_t number);        // "시스템 오류 5"
std::string HexDetail(std::string_view label, std::uint32_t value);  // "HRESULT 0x80040154"

// A failure whose what() is a text for the user (a UserMessage): the
// standard error report shows it as it is. Any other exception there gets
// the general sentence with its what() as the detail.
class UserFacingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// For exceptions that carry no text for the user (a programming fault, an
// exhausted memory): what the standard error report shows.
std::string_view UnexpectedErrorSentence();

}  // namespace common
