// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The order the change cycle walks the queue in.
enum class OrderMode { Sequential, Random };

namespace ordermode {

// The queue file keeps the order as one byte, 1 sequential and 2 random; the change cycle
// walks in order only on 1, so any other byte reads as random.
constexpr std::uint8_t toStored(OrderMode mode) {
    return mode == OrderMode::Random ? 2 : 1;
}
constexpr OrderMode fromStored(std::uint8_t stored) {
    return stored == 1 ? OrderMode::Sequential : OrderMode::Random;
}

} // namespace ordermode
