// What the transfer manager finds around it at start-up: its folder, the
// registry, the player's driver, the shell, the name of its single-instance
// guard and the folder it falls back to. Halvern.exe fills it from the
// system; tests fill it with a folder, an in-memory registry and the
// simulated player of their own.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/File.h"
#include "platform/Registry.h"
#include "player-link/Driver.h"
#include "transfer-manager/MediaControl.h"
#include "transfer-manager/SystemShell.h"
#include "transfer-manager/Transport.h"

namespace halvern {

inline constexpr const char* kSingleInstanceName = "HalvernTransferManager";

struct HalvernEnvironment {
  common::Path programFolder;
  platform::Registry* registry = nullptr;
  playerlink::Driver* driver = nullptr;
  SystemShell* shell = nullptr;
  std::string instanceName = kSingleInstanceName;
  // The folder shown when the remembered one is gone (the root of C:).
  std::string fallbackFolder = "C:\\";
  // Makes the preview's media interface (empty: the system's).
  std::function<std::unique_ptr<MediaControl>()> media;
};

HalvernEnvironment& Environment();

// The transport library loaded at start-up (null before, and after quit).
TransportLibrary* Transport();
void SetTransport(std::unique_ptr<TransportLibrary> library);

}  // namespace halvern
