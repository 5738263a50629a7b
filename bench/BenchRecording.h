#pragma once
// A synthetic calibration set (model 0) and raw recordings made with it, for the
// benchmarks: a smooth banded kernel, H = the kernel with each column divided by
// its sum, log-spaced class diameters, and frames made by running random size
// distributions forward through the kernel, adding the background and undoing the
// transmission, so the inversion has real work to do.
#include "platform/NumText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace kavro::bench {

inline void writeNumbers(const std::string& path, const std::vector<double>& values)
{
    std::string text;
    for (double v : values)
        text += formatG(v, 17) + "\n";
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
        throw std::runtime_error("cannot write " + path);
}

inline std::vector<double> benchKernel()
{
    std::vector<double> k(1024);
    for (int r = 0; r < 32; ++r)
        for (int c = 0; c < 32; ++c) {
            const double d = (r - (31 - c)) / 3.0;
            k[static_cast<std::size_t>(32 * r + c)] = std::exp(-d * d) + 0.01;
        }
    return k;
}

inline std::vector<double> benchRingArea()
{
    std::vector<double> a;
    for (int i = 0; i < 32; ++i)
        a.push_back(1.0 / (1.0 + 0.1 * i));
    return a;
}

inline std::vector<double> benchBackground()
{
    std::vector<double> bg(40, 0.0);
    for (int i = 0; i < 32; ++i)
        bg[static_cast<std::size_t>(i)] = 20.0 + i;
    bg[32] = 4000.0;
    bg[35] = 2000.0;
    return bg;
}

// Every file of calibration set "a" in dir.
inline void writeBenchCalibration(const std::string& dir)
{
    const std::vector<double> k = benchKernel();
    std::vector<double> h = k;
    for (int c = 0; c < 32; ++c) {
        double sum = 0.0;
        for (int r = 0; r < 32; ++r)
            sum += k[static_cast<std::size_t>(32 * r + c)];
        for (int r = 0; r < 32; ++r)
            h[static_cast<std::size_t>(32 * r + c)] /= sum;
    }
    std::vector<double> diameters;
    for (int c = 0; c < 32; ++c)
        diameters.push_back(5.0 * std::pow(100.0, c / 31.0));
    writeNumbers(dir + "/M32x32_a.asc", k);
    writeNumbers(dir + "/H32_a.asc", h);
    writeNumbers(dir + "/Dias32_a.asc", diameters);
    writeNumbers(dir + "/Gain_a.asc", std::vector<double>(32, 1.0));
    writeNumbers(dir + "/RingArea_a.asc", benchRingArea());
    writeNumbers(dir + "/factory_zsc.asc", benchBackground());
    writeNumbers(dir + "/zsc.asc", benchBackground());
}

// frames raw records (80 bytes, big-endian words) written to path in one go per 64k frames.
inline void writeBenchRecording(const std::string& path, long long frames, unsigned seed = 1)
{
    const std::vector<double> k = benchKernel();
    const std::vector<double> area = benchRingArea();
    const std::vector<double> bg = benchBackground();
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 3.0);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot write " + path);
    std::string block;
    for (long long n = 0; n < frames; ++n) {
        // A log-normal bump somewhere in the size range, and the water's transmission.
        const double centre = 4.0 + 24.0 * uniform(random), width = 1.5 + 4.0 * uniform(random);
        const double tau = 0.4 + 0.6 * uniform(random), reference = 1500.0 + 500.0 * uniform(random);
        double x[32];
        for (int c = 0; c < 32; ++c)
            x[c] = 40.0 * std::exp(-0.5 * ((c - centre) / width) * ((c - centre) / width));
        std::uint16_t words[40];
        for (int r = 0; r < 32; ++r) {
            double corrected = 0.0;
            for (int c = 0; c < 32; ++c)
                corrected += k[static_cast<std::size_t>(32 * r + c)] * x[c];
            const double ring = corrected / area[static_cast<std::size_t>(r)] + bg[static_cast<std::size_t>(r)];
            const double raw = ring * tau * reference / bg[35] + noise(random);
            words[r] = static_cast<std::uint16_t>(std::clamp(std::lround(raw), 0L, 4095L));
        }
        words[32] = static_cast<std::uint16_t>(std::lround(tau * 2.0 * reference));
        words[33] = static_cast<std::uint16_t>(2400 + random() % 50);
        words[34] = static_cast<std::uint16_t>(random() % 4096);
        words[35] = static_cast<std::uint16_t>(std::lround(reference));
        words[36] = static_cast<std::uint16_t>(100 + n / 1000 % 3000);
        words[37] = static_cast<std::uint16_t>(1500 + random() % 20);
        words[38] = 0;
        words[39] = 4095;
        for (std::uint16_t w : words) {
            block += static_cast<char>(w >> 8);
            block += static_cast<char>(w & 0xFF);
        }
        if (block.size() >= 80u * 65536u || n + 1 == frames) {
            if (std::fwrite(block.data(), 1, block.size(), f) != block.size())
                throw std::runtime_error("cannot write " + path);
            block.clear();
        }
    }
    if (std::fclose(f) != 0)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace kavro::bench
