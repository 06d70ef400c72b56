// Spectral probes for the oscillator and wavetable tests.
#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <span>
#include <utility>
#include <vector>

// Magnitude of the DFT of samples at a whole number of cycles per window.
inline double CycleMagnitude(std::span<const float> samples, int cycles)
{
    std::complex<double> sum;
    const double step = 2.0 * std::numbers::pi * cycles / static_cast<double>(samples.size());
    for (std::size_t k = 0; k < samples.size(); ++k) {
        sum += static_cast<double>(samples[k]) * std::polar(1.0, -step * static_cast<double>(k));
    }
    return std::abs(sum);
}

// Power spectrum (bins 0..n/2) of a Blackman-Harris windowed block whose
// length is a power of two.
inline std::vector<double> PowerSpectrum(std::span<const float> samples)
{
    const std::size_t n = samples.size();
    std::vector<std::complex<double>> x(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double t = 2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
        const double window = 0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        x[k] = samples[k] * window;
    }
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(x[i], x[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const auto turn = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(len));
        for (std::size_t start = 0; start < n; start += len) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto even = x[start + k];
                const auto odd = x[start + k + len / 2] * w;
                x[start + k] = even + odd;
                x[start + k + len / 2] = even - odd;
                w *= turn;
            }
        }
    }
    std::vector<double> power(n / 2 + 1);
    for (std::size_t k = 0; k < power.size(); ++k) {
        power[k] = std::norm(x[k]);
    }
    return power;
}
