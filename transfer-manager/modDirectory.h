// The player's directory on the chosen medium, its memory figures and the
// format: the main window's view of the player kept current.
//
// ReadDeviceDirectory (declared in modFunctions.h, whose commands all end
// with it) is here: the state query (with the medium-full message), the
// probe of entry 1, the directory query (a new or unformatted medium leads
// to the format question), the directory blocks (an erased block means an
// abnormal state: the first time the user is asked to check the player,
// the second time to format), the player list's rows, the model code and
// firmware version, then GetMemoryInfo.
#pragma once

#include <cstdint>
#include <string>

#include "transfer-manager/frmShape.h"

namespace halvern {

// Counts the directory reads that filled the player list this run: a
// command can tell whether its rows were replaced by a fresh read.
unsigned DirectoryReads();

// A byte count of the memory labels: kilobytes rounded, "###,##0 KB".
std::string MemoryText(std::uint64_t bytes);

// The medium's total, used and free memory into the labels, freeBytes. The
// free space (1 = none); 0 when the player did not answer (then the
// connection question was asked: its Retry reads the directory again and
// gives 1 when that read succeeded).
std::uint32_t GetMemoryInfo(ShapeForm& form);

// Formats the chosen medium after the question, reads the directory again
// and, on the built-in memory, puts the model's image files back. True when
// all of that succeeded, and then "Format complete!!" is shown; otherwise
// "Not Format!!" (the player refused, an image file is missing or was not
// written, or the last directory read failed).
bool FormatMedia(ShapeForm& form);
// The format picture.
void imgFormat_Click(ShapeForm& form);

// The medium's name in the format question: "Built-in Memory" or "SMC".
std::string MediumName();

}  // namespace halvern
