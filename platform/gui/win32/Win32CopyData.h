// WM_COPYDATA from another process, handed to a form as a copy of the
// sender's bytes (the sender's memory is valid only during the message).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/gui/Form.h"

namespace gui::win32 {

inline LRESULT DeliverCopyData(Form& form, LPARAM lParam) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (!data || data->cbData > Form::kMaxCopyData || (data->cbData != 0 && !data->lpData)) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(data->lpData);
  return form.UserCopyData(data->dwData, std::vector<std::uint8_t>(bytes, bytes + data->cbData));
}

}  // namespace gui::win32
