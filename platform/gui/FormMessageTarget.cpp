#include "platform/gui/FormMessageTarget.h"

#include "platform/gui/Application.h"
#include "platform/gui/Form.h"

namespace gui {

FormMessageTarget::FormMessageTarget(Form& form)
    : form_(form.LifeToken()), queue_(App().WorkerQueue()), guiThread_(std::this_thread::get_id()) {}

std::intptr_t FormMessageTarget::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  std::intptr_t result = 0;
  // Runs on the GUI thread, where the application still exists while the
  // queue is open.
  auto deliver = [&] {
    if (auto form = form_.lock()) result = App().backend().Send(**form, message, wParam, lParam);
  };
  if (std::this_thread::get_id() == guiThread_) {
    if (Application::Exists()) deliver();
  } else {
    queue_->Call(deliver);
  }
  return result;
}

}  // namespace gui
