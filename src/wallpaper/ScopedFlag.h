// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <utility>

// Raises a flag for the life of a scope and lowers it on every way out, exceptions
// included, so that a failed step never leaves the program believing it is still busy.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : ScopedFlag([&flag](bool on) { flag = on; }) {}
    // For flags behind a setter.
    explicit ScopedFlag(std::function<void(bool)> set) : m_set(std::move(set)) { m_set(true); }
    ~ScopedFlag() { m_set(false); }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    std::function<void(bool)> m_set;
};
