// SPDX-License-Identifier: MIT
#include "Resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <system_error>

namespace resample {

namespace {

constexpr double kSupport = 3.0;

double sinc(double x) {
    if (x == 0.0) return 1.0;
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

double lanczos3(double x) {
    return std::abs(x) < kSupport ? sinc(x) * sinc(x / kSupport) : 0.0;
}

std::uint8_t clampToByte(std::int32_t value) {
    // Round, then keep the overshoot of the negative lobes inside the byte.
    value = (value + (1 << (Kernel::kShift - 1))) >> Kernel::kShift;
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

} // namespace

Kernel::Kernel(int from, int to) : m_to(to) {
    const double factor = double(to) / double(from);
    // Shrinking widens the window so that it covers every source sample.
    const double blur = factor < 1.0 ? factor : 1.0;
    const double support = kSupport / blur;
    m_taps = std::min(from, int(std::ceil(support * 2.0)) + 1);
    m_first.resize(std::size_t(to));
    m_weights.assign(std::size_t(to) * std::size_t(m_taps), 0);
    std::vector<double> w(static_cast<std::size_t>(m_taps));
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) / factor;
        int first = std::max(0, int(std::floor(centre - support + 0.5)));
        first = std::min(first, from - m_taps);
        double sum = 0.0;
        for (int k = 0; k < m_taps; ++k) {
            w[std::size_t(k)] = lanczos3((first + k + 0.5 - centre) * blur);
            sum += w[std::size_t(k)];
        }
        m_first[std::size_t(i)] = first;
        std::int32_t* out = m_weights.data() + std::size_t(i) * std::size_t(m_taps);
        std::int32_t total = 0;
        int largest = 0;
        for (int k = 0; k < m_taps; ++k) {
            out[k] = std::int32_t(std::lround(w[std::size_t(k)] / sum * (1 << kShift)));
            total += out[k];
            if (out[k] > out[largest]) largest = k;
        }
        // Rounding must not brighten or darken a flat area.
        out[largest] += (1 << kShift) - total;
    }
}

void resampleRow(const Kernel& kernel, const std::uint8_t* in, std::uint8_t* out) {
    const int taps = kernel.taps();
    for (int i = 0; i < kernel.to(); ++i) {
        const std::uint8_t* src = in + std::size_t(kernel.first(i)) * 3;
        const std::int32_t* w = kernel.weights(i);
        std::int32_t r = 0, g = 0, b = 0;
        for (int k = 0; k < taps; ++k, src += 3) {
            r += w[k] * src[0];
            g += w[k] * src[1];
            b += w[k] * src[2];
        }
        out[0] = clampToByte(r);
        out[1] = clampToByte(g);
        out[2] = clampToByte(b);
        out += 3;
    }
}

void resampleColumns(const Kernel& kernel, const Rgb8& in, int first, int last, const RowSink& sink) {
    const std::size_t rowBytes = std::size_t(in.width) * 3;
    std::vector<std::int32_t> sums(rowBytes);
    Bytes row(rowBytes);
    for (int y = first; y < last; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        const std::int32_t* w = kernel.weights(y);
        for (int k = 0; k < kernel.taps(); ++k) {
            const std::uint8_t* src = in.row(kernel.first(y) + k);
            const std::int32_t weight = w[k];
            for (std::size_t i = 0; i < rowBytes; ++i)
                sums[i] += weight * src[i];
        }
        for (std::size_t i = 0; i < rowBytes; ++i)
            row[i] = clampToByte(sums[i]);
        sink(y, row.data());
    }
}

void resampleColumnsInParallel(const Kernel& kernel, const Rgb8& in, const RowSink& sink) {
    const int half = kernel.to() / 2;
    Beside lower([&] { resampleColumns(kernel, in, half, kernel.to(), sink); });
    resampleColumns(kernel, in, 0, half, sink);
    lower.join();
}

Rgb8 lanczos(const Rgb8& in, int width, int height) {
    const Kernel across(in.width, width);
    Rgb8 wide{width, in.height, Bytes(std::size_t(width) * std::size_t(in.height) * 3)};
    for (int y = 0; y < in.height; ++y)
        resampleRow(across, in.row(y), wide.row(y));
    Rgb8 out{width, height, Bytes(std::size_t(width) * std::size_t(height) * 3)};
    resampleColumnsInParallel(Kernel(in.height, height), wide,
                              [&out](int y, const std::uint8_t* rgb) { std::copy_n(rgb, out.width * 3, out.row(y)); });
    return out;
}

Beside::Beside(std::function<void()> work) {
    try {
        m_thread = std::thread(work);
    } catch (const std::system_error&) {
        work();
    }
}

Beside::~Beside() {
    join();
}

void Beside::join() {
    if (m_thread.joinable()) m_thread.join();
}

} // namespace resample
