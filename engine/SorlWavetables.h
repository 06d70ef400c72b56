// Band-limited saw and square cycles, one row per MIDI note, shared
// read-only by every engine in the process. Each row holds 2048 samples of
// one cycle plus a guard copy of sample 0, so an interpolated read at the
// last sample needs no wrap.
#pragma once

#include <array>

class CSorlWavetables {
public:
    static constexpr int kRows = 128;
    static constexpr int kCycleLength = 2048;
    static constexpr int kRowLength = kCycleLength + 1;
    static constexpr float kPeak = 0.1f; // largest saw magnitude over all rows

    // Built on first use, exactly once even when engines on several threads
    // ask at the same moment; call it while constructing an engine so that
    // rendering never pays for the build.
    static const CSorlWavetables& Shared();

    // Rows laid end to end: row r starts at r * kRowLength.
    const float* Saw() const { return saw_.data(); }
    const float* Square() const { return square_.data(); }
    const float* SawRow(int row) const { return saw_.data() + row * kRowLength; }
    const float* SquareRow(int row) const { return square_.data() + row * kRowLength; }

    CSorlWavetables(const CSorlWavetables&) = delete;
    CSorlWavetables& operator=(const CSorlWavetables&) = delete;

private:
    CSorlWavetables();

    void BuildSaw();
    void BuildSquare();

    std::array<float, kRows * kRowLength> saw_{};
    std::array<float, kRows * kRowLength> square_{};
};
