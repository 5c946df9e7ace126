// SPDX-License-Identifier: MIT
#include "ScreenInfo.h"

namespace platform {
std::optional<QSize> primaryScreenSize() { return std::nullopt; }
int primaryScreenDepth() { return 0; }
} // namespace platform
