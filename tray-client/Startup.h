// The tray client's start after the single-instance guard: the application
// title and the four start-up forms, in their order.
#pragma once

#include "platform/gui/Application.h"
#include "tray-client/LoginForm.h"

namespace orvel {

inline constexpr const char* kApplicationTitle = "Tarnel For Corvane";
inline constexpr const char* kSingleInstanceName = "SharedExists";
inline constexpr std::size_t kSingleInstanceSize = 1024;

// Creates TfrmMain (the main form, never shown), TfrmConfig, TfrmExplorer
// and TfrmLogin, each one's creation handler running before the next form
// is made. Environment() must be filled first. `login` says where the login
// form's requests go (tests give their own).
void CreateStartupForms(gui::Application& app, TfrmLogin::Services login = {});

}  // namespace orvel
