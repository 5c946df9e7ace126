// SPDX-License-Identifier: MIT
#pragma once

#include <QSize>

#include <optional>

namespace platform {
// Size of the primary screen, when a display can be reached.
std::optional<QSize> primaryScreenSize();
// Bits per pixel of the primary screen, or 0 when no display can be reached.
int primaryScreenDepth();
} // namespace platform
