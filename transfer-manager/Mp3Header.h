// The bit rate of an MP3 file, from the first bytes of the file: the first
// MPEG audio frame of layer III (MPEG-1, MPEG-2 or MPEG-2.5) behind an
// optional ID3v2 tag. The player's header block carries the rate in bytes
// per second and the playing time in seconds.
//
// A frame counts when its header is valid (sync, version, layer III, a bit
// rate and a sample rate from the tables) and, when the next frame's place
// lies within the bytes looked at, a frame of the same version, layer and
// sample rate starts there; a stray 0xFF in a tag or in the data is passed
// over that way.
//
// Files of a variable bit rate: when the first frame holds a "Xing" or
// "VBRI" header with the file's frame count (the frames behind it), the
// rate is the file's average (its audio bytes behind that frame over its
// playing time); without one, the first frame's rate stands for the whole
// file. An "Info" header is the same header in a constant-rate file: the
// frame's own rate is the file's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace halvern {

// How many bytes of the file are looked at (one block of the player link).
inline constexpr std::size_t kMp3ProbeBytes = 16384;

struct Mp3Frame {
  enum class Version { kMpeg1, kMpeg2, kMpeg25 } version = Version::kMpeg1;
  unsigned bitRateKbps = 0;
  unsigned sampleRate = 0;
  bool padding = false;
  bool mono = false;
  std::size_t Bytes() const;            // the frame's length, header included
  unsigned SamplesPerFrame() const;     // 1152 (MPEG-1) or 576
  std::size_t SideInfoBytes() const;    // behind the 4 header bytes
};

// A layer III frame header in the first 4 bytes; nothing for anything else.
std::optional<Mp3Frame> ParseMp3FrameHeader(std::span<const std::uint8_t> bytes);

// The length of an ID3v2 tag at the start of `bytes` (its 10-byte header and
// footer included); 0 when there is none.
std::uint64_t Id3v2TagBytes(std::span<const std::uint8_t> bytes);

struct Mp3Rate {
  std::size_t frameOffset = 0;        // in the bytes given
  Mp3Frame frame;
  std::optional<std::uint32_t> vbrFrames;  // from a Xing or VBRI header
  std::uint32_t byteRate = 0;         // bytes per second, see above
};

// Looks for the first frame in `bytes` (the bytes actually read, nothing
// more); `audioBytes` is the length of the file from those bytes' start to
// its end, for the average rate of a VBR file.
std::optional<Mp3Rate> FindMp3Rate(std::span<const std::uint8_t> bytes, std::uint64_t audioBytes);

// size / rate rounded to whole seconds, halves to the even neighbour; 0 for
// a rate of 0.
std::uint64_t PlayingSeconds(std::uint64_t size, std::uint32_t byteRate);

}  // namespace halvern
