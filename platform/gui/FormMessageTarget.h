// A platform::MessageTarget that hands a worker thread's reports to a form:
// Send runs the form's handler of that message number on the GUI thread and
// returns once it has run. After the form or the application is gone, Send
// returns 0 at once. Made on the GUI thread.
#pragma once

#include <memory>
#include <thread>

#include "platform/MessageTarget.h"

namespace gui {

class CrossThreadQueue;
class Form;

class FormMessageTarget : public platform::MessageTarget {
 public:
  explicit FormMessageTarget(Form& form);
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

 private:
  std::weak_ptr<Form*> form_;
  std::shared_ptr<CrossThreadQueue> queue_;
  std::thread::id guiThread_;
};

}  // namespace gui
