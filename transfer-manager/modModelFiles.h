// The model's image files: the files ".bot" that the player's audio
// processor loads from the built-in memory. A format erases them, so after
// formatting the built-in memory they are written back from the program's
// folder (a real installation keeps them beside Halvern.exe).
#pragma once

#include <string>
#include <vector>

#include "transfer-manager/frmShape.h"

namespace halvern {

// The image files a model needs, in the order they are written.
std::vector<std::string> ModelImageFiles(const std::string& modelCode, int firmwareVersion);

// Makes sure the model is known (asking the user when the player did not
// say), queues its image files and writes them in fast mode. True when they
// were written or none were needed; false when a file is missing or the
// write failed.
bool CheckModelFiles(ShapeForm& form);
// Queues the model's image files from the program's folder; false, after
// "<name> File is not exists!!!", at the first that is missing.
bool CheckBootFiles(ShapeForm& form);

}  // namespace halvern
