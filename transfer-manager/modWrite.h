// Writing queued PC files to the player ("download"): the hidden queue
// lvwTmpDownload (text = the name the player list shows, column 2 = the
// full PC path), the overwrite question, one file header block and the
// file's data blocks per file, with the progress window or, in fast mode
// (the model's image files after a format), without it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gui/ListView.h"
#include "player-link/Protocol.h"
#include "transfer-manager/frmShape.h"

namespace halvern {

// The state of the file being written.
struct WriteState {
  // A data block fell short while the player still answers: the file is
  // written again (at most kFileRepeats times).
  bool retryCurrentFile = false;
  std::uint32_t mp3ByteRate = 0;  // bytes per second; 0 when no rate was found
  std::uint32_t mp3Seconds = 0;   // playing time; 0 when no rate was found
};
WriteState& Writing();

inline constexpr int kFileRepeats = 3;
inline constexpr int kPauseBetweenFilesMs = 500;
inline constexpr int kFastPauseBetweenFilesMs = 100;
inline constexpr int kRepeatPauseMs = 2000;

// The queue's column of the full PC path.
inline constexpr int kQueuePathColumn = 2;

// Walks the queue: asks before a file whose name the player list already
// shows, writes each file. True when every row was handled; false when a
// write failed, the user cancelled in the progress window, or the player
// went away.
bool ConfirmOverwrite(ShapeForm& form, gui::ListView& queue, bool unused, bool fast);
// True when the player list has a row whose text is the queue row's text
// (exactly, letter case included).
bool IsFileOnDevice(ShapeForm& form, gui::ListView& queue, gui::ListView& deviceList, int row);
// Writes queue row `row` (0-based): 1 = handled (written, refused by the
// player, refused here with a message, or to be repeated), 0 = failed or
// given up.
int WriteFileToDevice(ShapeForm& form, gui::ListView& queue, int row, bool fast);
// The MP3 bit rate of a PC file into Writing().mp3ByteRate; true when an
// MPEG audio frame was found.
bool ReadFileHeader(const std::string& path);

// The kind of a queued file by its name: the audio processor's images of
// the older model, else music.
playerlink::FileKind KindOfName(const std::string& name);

}  // namespace halvern
