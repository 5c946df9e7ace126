// SPDX-License-Identifier: MIT
// The QApplication of the test binary: made before the first test and destroyed after the
// last, while Qt's own globals still exist.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct GuiEnvironment : ::testing::Environment {
    void SetUp() override {
        app = std::make_unique<QApplication>(argc, argv);
        app->setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app.reset(); }

    int argc = 1;
    char name[9] = "test_gui";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

[[maybe_unused]] ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
