// SPDX-License-Identifier: MIT
#include "platform/x11/ScreenInfo.h"

// gtest and Qt before Xlib, whose macros (None, Bool, Status) clash with them.
#include <gtest/gtest.h>

#include "X11TestSupport.h"
#include "XvfbSession.h"

#include <cstdlib>
#include <utility>

namespace {

class ColorDepthTable : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ColorDepthTable, NormalisesBitsPerPixel) {
    const auto [bits, expected] = GetParam();
    EXPECT_EQ(platform::normaliseColorDepth(bits), expected) << bits << " bits per pixel";
}

INSTANTIATE_TEST_SUITE_P(Depths, ColorDepthTable,
                         ::testing::Values(std::pair{1, 1}, std::pair{2, 2}, std::pair{3, 3}, std::pair{4, 4},
                                           std::pair{5, 4}, std::pair{6, 4}, std::pair{7, 4}, std::pair{8, 8},
                                           std::pair{9, 8}, std::pair{12, 8}, std::pair{14, 8}, std::pair{15, 24},
                                           std::pair{16, 24}, std::pair{24, 24}, std::pair{32, 24},
                                           // an unreadable depth must not mean "reduce to one colour"
                                           std::pair{0, 24}, std::pair{-1, 24}));

struct ServerShape {
    int width;
    int height;
    int depth;
};

class ScreenInfoUnderXvfb : public ::testing::TestWithParam<ServerShape> {};

TEST_P(ScreenInfoUnderXvfb, ReportsTheServersScreen) {
    const ServerShape shape = GetParam();
    XvfbSession::Options options;
    options.size = QSize(shape.width, shape.height);
    options.depth = shape.depth;
    XvfbSession x(options);
    ASSERT_TRUE(x.isRunning()) << x.errorString().toStdString();
    const auto size = platform::primaryScreenSize();
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(*size, QSize(shape.width, shape.height));
    EXPECT_EQ(platform::primaryScreenDepth(), shape.depth);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ScreenInfoUnderXvfb,
                         ::testing::Values(ServerShape{1024, 768, 24}, ServerShape{800, 600, 16},
                                           ServerShape{640, 480, 8}));

TEST(ScreenInfo, WithoutDisplayReportsNothing) {
    x11test::DisplayGuard guard;
    ::unsetenv("DISPLAY");
    EXPECT_FALSE(platform::primaryScreenSize().has_value());
    EXPECT_EQ(platform::primaryScreenDepth(), 0);
    ::setenv("DISPLAY", ":4999", 1);
    EXPECT_FALSE(platform::primaryScreenSize().has_value());
    EXPECT_EQ(platform::primaryScreenDepth(), 0);
}

} // namespace
