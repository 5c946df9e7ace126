// SPDX-License-Identifier: MIT
#include "GuiTestApp.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

int g_argc = 1;
char g_name[] = "test_gui";
char* g_argv[] = {g_name, nullptr};
std::unique_ptr<QApplication> g_app;

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override { guiTestApp(); }
    void TearDown() override { g_app.reset(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

QApplication* guiTestApp() {
    if (!g_app) {
        g_app = std::make_unique<QApplication>(g_argc, g_argv);
        g_app->setQuitOnLastWindowClosed(false);
    }
    return g_app.get();
}
