// The upload command of the main window (player to PC): every selected
// entry of the player list becomes a file on the PC. The first file's place
// is chosen in the "Save to disk" dialog; the rest of the same command go,
// under their own names, into the folder chosen for the first.
//
// An entry's header block is read with the device layer's plain calls, its
// data blocks through the transport library. A step that fails waits for
// the player (PingDevice); when the player is back the entry starts again
// (its target and the answer to the overwrite question are kept), else the
// command ends with the connection question.
//
// A file is written beside its target under a temporary name and takes the
// target's name only once every byte is there: a failed, cancelled or
// restarted entry never leaves a part of a file under the user's name, and
// an existing file is replaced only by a whole one. Names from the player
// become PC names only when common::CheckFileName accepts them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "transfer-manager/frmShape.h"

namespace halvern {

// The model that may upload; the command does nothing on any other.
bool UploadAllowed();

// The command: imgUpload's click and the drop of player rows on the PC list.
void imgUpload_Click(ShapeForm& form);

// The folder of the last target chosen in the Save dialog during this run
// ("" until the first choice).
const std::string& LastSaveFolder();

// Connects the command to the main window (the picture and the drop) and
// forgets the last chosen folder: a program start.
void InstallUpload(ShapeForm& form);

// The transfer rate as the progress window's status bar shows it, for a
// download and an upload alike: the
// pattern "@@@,@@@" (digits from the right, a comma after the third slot,
// blanks where there are no digits; longer numbers keep all digits).
std::string RateText(std::uint64_t bytesPerSecond);
// "0#:0#:0#" of a number of seconds.
std::string RemainText(std::uint64_t seconds);

}  // namespace halvern
