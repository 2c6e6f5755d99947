// A headless application for one test.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/gui/Application.h"
#include "platform/gui/headless/HeadlessBackend.h"

namespace gui::testing {

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() {
    auto backend = std::make_unique<headless::HeadlessBackend>();
    backend_ = backend.get();
    app_ = std::make_unique<Application>(std::move(backend));
    app_->SetTitle("Test");
  }
  headless::HeadlessBackend& backend() { return *backend_; }
  Application& app() { return *app_; }

 private:
  headless::HeadlessBackend* backend_;
  std::unique_ptr<Application> app_;
};

}  // namespace gui::testing
