// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// Lanczos resampling of 8-bit RGB pictures, in two separable passes with fixed-point
// weights. A downscale widens the filter by the scale, so every source pixel counts.
namespace resample {

// Leaves new elements uninitialised: every byte of a picture buffer is written before it is
// read, and clearing megabytes first costs as much as a resampling pass.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = UninitialisedAllocator<U>; };
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using Bytes = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

struct Rgb8 {
    int width = 0;
    int height = 0;
    Bytes pixels; // width * height RGB triplets, rows top to bottom

    std::uint8_t* row(int y) { return pixels.data() + std::size_t(y) * std::size_t(width) * 3; }
    const std::uint8_t* row(int y) const { return pixels.data() + std::size_t(y) * std::size_t(width) * 3; }
};

// The weights that make `to` samples out of `from` (a Lanczos-3 window).
class Kernel {
public:
    Kernel(int from, int to);
    int to() const { return m_to; }
    int taps() const { return m_taps; }
    // The first source sample of output sample i, and its taps() weights (sum 1 << kShift).
    int first(int i) const { return m_first[std::size_t(i)]; }
    const std::int32_t* weights(int i) const { return m_weights.data() + std::size_t(i) * std::size_t(m_taps); }

    static constexpr int kShift = 14;

private:
    int m_to = 0;
    int m_taps = 0;
    std::vector<int> m_first;
    std::vector<std::int32_t> m_weights;
};

// One row of RGB pixels, as many as the kernel was made from, to kernel.to() pixels.
void resampleRow(const Kernel& kernel, const std::uint8_t* in, std::uint8_t* out);

// Receives output row y as RGB triplets.
using RowSink = std::function<void(int y, const std::uint8_t* rgb)>;

// Output rows first to last - 1 of the column pass, each made from the rows of `in` the
// kernel names and handed to sink.
void resampleColumns(const Kernel& kernel, const Rgb8& in, int first, int last, const RowSink& sink);

// Every output row of the column pass, half of them made on a second thread; sink is then
// called from both threads, never twice for one row.
void resampleColumnsInParallel(const Kernel& kernel, const Rgb8& in, const RowSink& sink);

// The whole picture at width x height.
Rgb8 lanczos(const Rgb8& in, int width, int height);

// Runs work on a new thread when one can be had, else at once on this one; join() waits
// for it either way.
class Beside {
public:
    explicit Beside(std::function<void()> work);
    ~Beside();
    Beside(const Beside&) = delete;
    Beside& operator=(const Beside&) = delete;
    void join();

private:
    std::thread m_thread;
};

} // namespace resample
