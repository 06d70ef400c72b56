// Tables of the voice filter. Cutoff position j (0..128) stands for
// 523.25 Hz * 2^((j - 64) / 12): one position per semitone, 13 Hz to 21.1 kHz.
// The coefficient and all-pass tables depend on the sample rate; the
// resonance limits and the saturation curve do not.
#pragma once

#include <array>

class CSorlFilterTables {
public:
    static constexpr int kLastPosition = 128;
    static constexpr int kPositions = kLastPosition + 1;
    static constexpr int kSaturationSteps = 2000; // per unit of feedback signal
    static constexpr int kSaturationSize = kSaturationSteps + 1;

    CSorlFilterTables();

    // Rebuilds the pole and all-pass coefficients for the rate fs.
    void SetSampleRate(float sampleRate);

    static double PositionHz(int position);

    // Pole coefficient a: each pole runs y := y + (y_prev - y) * a.
    float Coefficient(int position) const { return coefficient_[position]; }
    // Coefficient b of the feedback all-pass (z^-1 - b) / (1 - b z^-1).
    float Compensation(int position) const { return compensation_[position]; }
    // Largest feedback amount that stays musical at that cutoff.
    float ResonanceLimit(int position) const { return resonanceLimit_[position]; }
    // The three tables above whole, for reading four lanes at a time.
    const float* Coefficients() const { return coefficient_.data(); }
    const float* Compensations() const { return compensation_.data(); }
    const float* ResonanceLimits() const { return resonanceLimit_.data(); }
    // G(i) = tanh(4x) / (4x) at x = i / 2000.
    const float* Saturation() const { return saturation_.data(); }

private:
    void BuildResonanceLimits();
    void BuildSaturation();

    std::array<float, kPositions> coefficient_{};
    std::array<float, kPositions> compensation_{};
    std::array<float, kPositions> resonanceLimit_{};
    std::array<float, kSaturationSize> saturation_{};
};
