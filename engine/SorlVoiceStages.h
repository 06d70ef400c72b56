// The engine's per-voice stages: the control-rate pitch and cutoff update,
// the envelopes, and the oscillator, filter and amplifier-and-mix passes
// over the voice groups in use. The oscillator and amplifier passes come in
// one function per switch setting, so the engine picks one when the switch
// changes and the per-sample path tests neither.
#pragma once

class CSorlDsp;

class CSorlVoiceStages {
public:
    using Stage = void (*)(CSorlDsp&);

    // wave 0 SAW, 1 PW, 2 PWM; sub octaves 0 off, 1 or 2.
    static Stage Oscillators(int wave, int subOctaves);
    // vcaMode 0 Gate, 1 EG; mgToVca when the MG destination is the VCA.
    static Stage AmplifierMix(int vcaMode, bool mgToVca);

    static void ControlRateVoices(CSorlDsp& dsp);
    static void Envelopes(CSorlDsp& dsp);
    static void Filters(CSorlDsp& dsp);

private:
    template <int Wave, int SubOctaves>
    static void RunOscillators(CSorlDsp& dsp);
    template <int VcaMode, bool MgToVca>
    static void RunAmplifiers(CSorlDsp& dsp);
};
