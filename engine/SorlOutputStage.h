// Last stage before the host's buffers: volume, the Output Switch level, the
// pan law, a hard clamp and a 20 ms gain ramp for muting and resuming.
#pragma once

#include "SorlStereo.h"

class CSorlOutputStage {
public:
    void SetSampleRate(float sampleRate);
    void SetOutputSwitch(float value);
    void SetMute(bool flag);
    void SetRampGain(float gain);

    float Level() const { return level_; }
    bool Muted() const { return muted_; }
    float RampGain() const { return rampGain_; }

    // volume and pan are the control bank's current values (volume + 1 and
    // pan 0..2); advances the ramp by one sample.
    SorlStereo Render(float volume, float pan, SorlStereo effect);

private:
    void AdvanceRamp();

    float level_ = 1.0f;
    float rampGain_ = 0.0f;
    float rampStep_ = 0.0f;
    bool muted_ = false;
};
