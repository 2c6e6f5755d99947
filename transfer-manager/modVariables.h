// The transfer manager's module state: the public variables that its forms
// and modules share. One instance per process (Vars()); tests reset it.
// The device handles and the command and block buffers live with the device
// layer (modDevice.h), the forms in the frm*.h headers.
#pragma once

#include <cstdint>
#include <string>

#include "common/File.h"
#include "player-link/Protocol.h"

namespace halvern {

struct Variables {
  // Start-up and main window.
  common::Path programFolder;  // the executable's folder
  std::string lastFolder;      // the PC folder remembered in the registry

  // Medium choice and selections.
  std::uint8_t cmdBase = playerlink::kInternalMemoryBase;  // 0x85 built-in memory, 0x75 card
  int selectedPcCount = 0;          // selected PC rows whose files exist
  std::uint64_t selectedPcBytes = 0;  // their total length
  std::string currentFolder;        // the folder last chosen in the tree
  bool dragFromDevice = false;
  bool dragFromPc = false;
  bool droppedOnDevice = false;
  bool droppedOnPc = false;

  // The player, as the last directory read saw it.
  std::string modelCode;          // "F010", "F011", "F012" for the known models
  int firmwareVersion = 0;        // in tenths
  std::int64_t freeBytes = 0;     // free space of the medium (answer to code 9)
  int deviceFileCount = 0;        // files on the medium
  int abnormalCount = 0;          // abnormal-state answers seen this run

  // Waits and transfers.
  bool waitActive = false;        // the device wait runs
  int waitTicks = 0;              // its tick counter
  bool transferCancelled = false;  // Cancel in the progress window
  bool modelChoicePending = false;  // the model window waits for the user
};

Variables& Vars();
// Back to the start-up values (tests).
void ResetVariables();

}  // namespace halvern
