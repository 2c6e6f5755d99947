// The media control interface as the preview uses it: command strings on
// one device alias, their error codes and the interface's own error texts.
// On Windows it is the system's (mciSendString, mciGetErrorString); tests
// put a media device of their own in its place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace halvern {

class MediaControl {
 public:
  virtual ~MediaControl() = default;
  // Sends one command string; gives its error code (0 = done). With
  // `reply`, the reply text up to its first zero character.
  virtual std::uint32_t SendString(const std::string& command, std::string* reply) = 0;
  // The interface's text for an error code (UTF-8).
  virtual std::string ErrorText(std::uint32_t code) = 0;
};

// The system's media control interface (natively: one that has no device
// and answers every command with an error).
std::unique_ptr<MediaControl> CreateSystemMediaControl();

}  // namespace halvern
