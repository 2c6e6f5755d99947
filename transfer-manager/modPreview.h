// Preview playback of PC files through the media control interface: one
// device at a time under the alias "mp", times in milliseconds, the
// interface's own error texts. The main window queues the selected files in
// lvwPlayList, plays the first, and its 500 ms timer Timer1 shows the
// position and goes on to the next file when one ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "transfer-manager/MediaControl.h"
#include "transfer-manager/frmShape.h"

namespace halvern {

inline constexpr const char* kMediaAlias = "mp";
// Time formats of the length and position queries.
inline constexpr int kTimeMs = 1;
inline constexpr int kTimeTmsf = 2;

// Opens the file (closing whatever was open first), shows its length and
// plays it; starts Timer1. A failure shows the interface's text and empties
// the play list.
void PlayFile(ShapeForm& form, const std::string& path);
// Closes the media, stops Timer1, enables imgPlay, empties lvwPlayList.
void StopPlayList(ShapeForm& form);
// "close mp"; harmless when nothing is open.
void CloseMedia();
// The length and position in the time format of the selector, blanks
// trimmed; empty when the interface failed (its text has been shown).
std::string GetMediaLength(int selector);
std::string GetMediaPosition(int selector);
// Whole seconds of a millisecond text, halves to even; 0 for a text that
// is not a number; at most 32767.
int MsToSeconds(std::string_view ms);
// The first seven characters of the device's mode ("playing", "stopped").
std::string GetMediaMode();
// Shows the interface's text for the code in an error box.
void GetMciError(std::uint32_t code);

// The main window's preview events.
void imgPlay_Click(ShapeForm& form);
void imgStop_Click(ShapeForm& form);
void Timer1_Timer(ShapeForm& form);

// Connects the preview to the main window over `media` (kept until the
// next install or ResetPreview).
void InstallPreview(ShapeForm& form, std::unique_ptr<MediaControl> media);
void ResetPreview();

}  // namespace halvern
