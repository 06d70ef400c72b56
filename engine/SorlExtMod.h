// The per-voice side of the two external modulation inputs: a voice whose
// input source is Velocity or KBD Track gets fixed offsets to pulse width,
// cutoff, MG level and VCA gain when its note starts, scaled by the amounts
// in force at that moment. The global sources reach the stages through the
// control bank instead.
#pragma once

class CSorlControlBank;
struct SorlSettings;

// Both inputs' contributions, summed.
struct SorlExtModOffsets {
    float pulseWidth = 0.0f; // table steps
    float cutoff = 0.0f;     // cutoff positions
    float mgLevel = 0.0f;
    float vcaGain = 0.0f;
};

class CSorlExtMod {
public:
    CSorlExtMod(const SorlSettings& settings, const CSorlControlBank& controls);

    // velocity 0..1
    SorlExtModOffsets VoiceOffsets(int note, float velocity) const;

private:
    const SorlSettings& settings_;
    const CSorlControlBank& controls_;
};
