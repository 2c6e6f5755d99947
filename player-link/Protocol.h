// The player link: the command request, the blocks on the two pipes and the
// numbers that govern them. Every reader and writer of the player's bytes,
// the programs and the simulated player alike, goes through this header.
//
// The driver exposes one control device and two pipes. A command is a 7-byte
// request sent as a device control call whose answer overwrites the request;
// data moves in blocks of exactly kBlockSize bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace playerlink {

inline constexpr std::size_t kBlockSize = 16384;
using Block = std::array<std::uint8_t, kBlockSize>;

// Device files of the driver (opened with CreateFileA).
inline constexpr const char* kControlDevicePath = "\\\\.\\Fusb10-0";
inline constexpr const char* kInPipePath = "\\\\.\\Fusb10-0\\PIPE00";   // player to PC
inline constexpr const char* kOutPipePath = "\\\\.\\Fusb10-0\\PIPE01";  // PC to player
// DeviceIoControl code of a command: device type 0x22, function 21, buffered, any access.
inline constexpr std::uint32_t kCommandControlCode = 0x220054;

// Medium bases: the command byte is base + code, modulo 256.
inline constexpr std::uint8_t kInternalMemoryBase = 0x85;
inline constexpr std::uint8_t kCardBase = 0x75;

enum class CommandCode : std::uint8_t {
  kTotalMemory = 0,     // answer: the medium's size in bytes
  kBeginWrite = 1,      // argument: blocks that follow (header included); answer: bytes the player can take
  kReadEntry = 2,       // argument: blocks wanted of the selected entry, its header first
  kEraseAll = 3,        // erase every entry of the medium
  kFormat = 4,          // format the medium
  kEntryBlock = 5,      // argument 1: a selection or order block follows on the out pipe
  kDirectoryInfo = 6,   // mode 8: answer bytes 6-7 = directory blocks, information block included
  kReadDirectory = 7,   // argument: that count; the directory blocks follow on the in pipe
  kDelete = 8,          // delete the selected entry
  kFreeMemory = 9,      // answer: free bytes of the medium (1 = none)
};
inline constexpr std::uint8_t kHighestCommandCode = 9;

inline constexpr std::uint8_t kMode4 = 4;  // answer of 7 bytes
inline constexpr std::uint8_t kMode8 = 8;  // answer of 8 bytes, with the count in bytes 6-7

// Answers with a meaning of their own.
inline constexpr std::uint32_t kAnswerMediumFull = 30717;        // to code 0
inline constexpr std::uint16_t kCountUnformattedMedium = 30718;  // count of code 6
inline constexpr std::uint32_t kAnswerNoFreeSpace = 1;           // to code 9

constexpr std::uint8_t CommandByte(std::uint8_t base, CommandCode code) {
  return static_cast<std::uint8_t>(base + static_cast<std::uint8_t>(code));
}

// DeviceCommand: the request and, in the same buffer, the answer.
namespace command {
inline constexpr std::size_t kCommandByte = 0;
inline constexpr std::size_t kArgument = 1;  // 32-bit big-endian
inline constexpr std::size_t kMode = 5;
inline constexpr std::size_t kZero = 6;
inline constexpr std::size_t kRequestSize = 7;
inline constexpr std::size_t kResult = 0;    // answer: 32-bit big-endian
inline constexpr std::size_t kCount = 6;     // answer in mode 8: 16-bit big-endian
inline constexpr std::size_t kBufferSize = 8;
}  // namespace command
using DeviceCommand = std::array<std::uint8_t, command::kBufferSize>;

struct CommandRequest {
  std::uint8_t commandByte = 0;
  std::uint32_t argument = 0;
  std::uint8_t mode = kMode4;
};

// The answer size a mode asks of the driver: 7 for mode 4, 8 for mode 8.
constexpr std::size_t AnswerSize(std::uint8_t mode) { return mode == kMode8 ? 8 : 7; }
constexpr bool IsValidMode(std::uint8_t mode) { return mode == kMode4 || mode == kMode8; }

DeviceCommand EncodeCommand(const CommandRequest& request);
// The request in the first kRequestSize bytes; nothing when the bytes are too
// few, the mode is neither 4 nor 8 or the last byte is not 0.
std::optional<CommandRequest> DecodeCommand(std::span<const std::uint8_t> request);

struct CommandAnswer {
  std::uint32_t result = 0;  // 0 = failure or refusal
  std::uint16_t count = 0;   // mode 8 only
  bool ok() const { return result != 0; }
};
// Decodes the `returned` answer bytes of `buffer`. An answer too short to hold
// the result gives 0; one too short to hold the count gives the count 0.
CommandAnswer DecodeAnswer(std::span<const std::uint8_t> buffer, std::size_t returned);
// Writes an answer of AnswerSize(mode) bytes (the simulated player's side).
void EncodeAnswer(std::span<std::uint8_t> buffer, std::uint8_t mode, const CommandAnswer& answer);

// Block counts. A file travels as its header block and ceil(size / kBlockSize)
// data blocks. Sizes are 64-bit; the header holds 32 bits, so a file of
// kMaxFileSize + 1 bytes or more cannot travel.
inline constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFull;
constexpr std::uint64_t DataBlockCount(std::uint64_t size) {
  return size / kBlockSize + (size % kBlockSize != 0 ? 1 : 0);
}
constexpr std::uint64_t FileBlockCount(std::uint64_t size) { return 1 + DataBlockCount(size); }

// FileHeaderBlock: the first block of every file and the layout of each
// directory entry block. Numbers little-endian; unused bytes 0xFF.
namespace header {
inline constexpr std::size_t kSize = 0;         // 32-bit file size
inline constexpr std::size_t kTag = 4;          // "t335x0"
inline constexpr std::size_t kTagLength = 6;
inline constexpr std::size_t kNameLength = 14;  // 16-bit byte length of the UTF-16 name
inline constexpr std::size_t kName = 16;        // UTF-16LE name
// Area of the transfer manager's audio information; the tray client keeps it 0xFF.
inline constexpr std::size_t kAudioInfo = 0x200;
// Names the tray client writes: at most this many units, with one zero unit behind.
inline constexpr std::size_t kShortNameUnits = 127;
// Names the transfer manager writes: at most this many units, no zero unit.
inline constexpr std::size_t kLongNameUnits = (kAudioInfo - kName) / 2;  // 248
// A reader takes at most this many name bytes (a zero-filled area of 1024
// bytes that keeps a zero unit at its end).
inline constexpr std::size_t kReadNameArea = 1024;
inline constexpr std::uint8_t kFill = 0xFF;
}  // namespace header
inline constexpr std::string_view kHeaderTag = "t335x0";

enum class NameEnd { kZeroUnit, kNone };

// Builds a header block: 0xFF everywhere, the size, the tag, the name's byte
// length and the name, with a zero unit behind it when asked. The name must
// already fit (see FitHeaderName).
Block BuildFileHeader(std::uint32_t size, std::u16string_view name, NameEnd end);

// A name for the header of at most `maxUnits` UTF-16 units: the name itself
// when it fits; else its file-name part alone (every reader keeps only that);
// nothing when even that is too long or the name is empty.
std::optional<std::u16string> FitHeaderName(std::u16string_view name, std::size_t maxUnits);

// The transfer manager's audio information area from header::kAudioInfo
// (little-endian; every byte not named stays header::kFill).
namespace audio {
inline constexpr std::size_t kSeconds = 0x200;   // 16-bit playing time in whole seconds
inline constexpr std::size_t kByteRate = 0x202;  // 16-bit bytes per second
inline constexpr std::size_t kFormat = 0x208;    // 16-bit, always kFormatValue
inline constexpr std::uint16_t kFormatValue = 3;
inline constexpr std::size_t kKind = 0x210;      // one letter, see FileKind
}  // namespace audio
// What a file is to the player: music, or one of the audio processor's
// decoder or encoder images.
enum class FileKind : std::uint8_t { kMusic = 'm', kDecoderImage = 'd', kEncoderImage = 'e' };
struct AudioInfo {
  std::uint16_t seconds = 0;
  std::uint16_t byteRate = 0;
  FileKind kind = FileKind::kMusic;
};
// A header block as the transfer manager writes it: the name with no zero
// unit behind it (at most header::kLongNameUnits units, see FitHeaderName),
// then the audio information area.
Block BuildAudioFileHeader(std::uint32_t size, std::u16string_view name, const AudioInfo& info);
// The audio information area of a header block (any bytes).
AudioInfo ParseAudioInfo(const Block& block);

struct FileHeader {
  std::uint32_t size = 0;
  std::u16string name;  // as stored: the sender's full path
};
bool HasHeaderTag(std::span<const std::uint8_t> block);
// Parses a header or directory entry block; nothing when it is shorter than a
// block or lacks the tag. The name length is clamped to the block and to the
// read area, rounded down to whole units, and the name ends at a zero unit.
std::optional<FileHeader> ParseFileHeader(std::span<const std::uint8_t> block);

// The part of a stored name after the last folder separator ('\' or '/').
std::u16string_view FileNamePart(std::u16string_view name);

// The directory's information block (first block after code 7).
namespace info {
inline constexpr std::size_t kIdentifier = 0;  // 32-bit little-endian
inline constexpr std::size_t kFirmware = 4;    // 16-bit little-endian, version times ten
inline constexpr std::size_t kModelLow = 8;    // model code: byte 9 then byte 8, in hexadecimal
inline constexpr std::size_t kModelHigh = 9;
}  // namespace info
struct InfoBlock {
  std::uint32_t identifier = 0;
  std::uint16_t firmwareTimesTen = 0;
  std::uint8_t modelLow = 0;
  std::uint8_t modelHigh = 0;
};
Block BuildInfoBlock(const InfoBlock& info);
std::optional<InfoBlock> ParseInfoBlock(std::span<const std::uint8_t> block);
// The identifier as the tray client shows it: 8 upper-case hexadecimal digits.
std::string IdentifierText(std::uint32_t identifier);
// The model code as the transfer manager reads it: byte 9, then byte 8, each
// in upper-case hexadecimal without leading zeros (0xF0, 0x12 give "F012").
std::string ModelCodeText(const InfoBlock& info);

// Entry blocks (after code 5). Byte 0 says what the block does.
namespace entryblock {
inline constexpr std::size_t kKind = 0;
inline constexpr std::uint8_t kSelect = 1;
inline constexpr std::uint8_t kReorder = 2;
// Selection block: byte 1 = 1, byte 2 = the entry number.
inline constexpr std::size_t kSelectFlag = 1;
inline constexpr std::size_t kSelectEntry = 2;
// OrderBlock: byte 1 = N, then N entry numbers in the new order.
inline constexpr std::size_t kOrderCount = 1;
inline constexpr std::size_t kOrderEntries = 2;
}  // namespace entryblock

// Entries are numbered from 1 in directory order; the number is one byte.
inline constexpr unsigned kHighestEntryNumber = 255;
// The entry number for a value, refusing what one byte cannot address.
std::optional<std::uint8_t> EntryNumber(std::uint64_t value);
// The entry number a decimal text names (surrounding blanks allowed); nothing
// for a text that is not a number or a number outside 1-255.
std::optional<std::uint8_t> ParseEntryNumber(std::string_view text);
// The entry number for a 0-based entry index given as decimal text (index 0
// is entry 1); nothing when the text is not a number or the entry is above 255.
std::optional<std::uint8_t> EntryNumberFromIndex(std::string_view text);

Block BuildSelectionBlock(std::uint8_t entry);
// An order block for the entry numbers in their new order; nothing for more
// entries than one byte can count.
std::optional<Block> BuildOrderBlock(std::span<const std::uint8_t> order);

struct EntryBlock {
  enum class Kind { kSelect, kReorder } kind = Kind::kSelect;
  std::uint8_t entry = 0;               // kSelect
  std::vector<std::uint8_t> order;      // kReorder
};
std::optional<EntryBlock> ParseEntryBlock(std::span<const std::uint8_t> block);

}  // namespace playerlink
