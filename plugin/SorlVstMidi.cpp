// The instrument's side of MIDI intake: notes with key sync, mapped controllers and
// the modulation sources.
#include "SorlVst.h"

#include "ParameterConversions.h"
#include "ParameterIndices.h"
#include "SorlDsp.h"

using namespace sorrel;

namespace {

constexpr VstInt32 kModulationController = 1;
constexpr int kSourcePressure = 3;
constexpr int kSourcePitchBend = 4;
constexpr int kSourceFirstAssignable = 5;

// 0 and 1 give 0.0, 64 gives 0.5, 127 gives 1.0.
float controllerFraction(VstInt32 value) { return fromStep(value - 1, 127, 0); }

struct TempoRedirect {
    VstInt32 parameter;
    VstInt32 syncSwitch;
    VstInt32 target;
};

// While synced to tempo, the rate knob's controller moves the note multiple instead.
constexpr TempoRedirect kTempoRedirects[] = {
    {kParamArpSpeed, kParamArpTempoSync, kParamArpTimes},
    {kParamMgFrequency, kParamMgTempoSync, kParamMgTimes},
};

} // namespace

void CSorlVst::noteOn(VstInt32 key, VstInt32 velocity, VstInt32 deltaFrames)
{
    notes.press(key, velocity);
    // With key sync the first key held restarts; without it, the first note after a program send.
    const bool firstHeld = notes.heldTotal() == 1;
    if (isMgKeySync() ? firstHeld : !notesPlayed)
        restartMg(deltaFrames);
    if (isArpKeySync() ? firstHeld : !notesPlayed)
        restartArpClock(deltaFrames);
    engine->QueueNote(static_cast<std::uint32_t>(deltaFrames), key, velocity);
    notify([=](CM4417VstListener& editor) { editor.OnNoteOn(key, velocity); });
    notesPlayed = true;
}

void CSorlVst::controllerReceived(std::uint8_t status, VstInt32 controller, VstInt32 value, VstInt32 deltaFrames)
{
    const float fraction = controllerFraction(value);
    if (controller == kModulationController)
        applyParameter(kParamModulation, fraction, deltaFrames, false);

    const GlobalBlock& global = getGlobalBlock();
    for (int slot = 0; slot < kAssignableControllers; ++slot) {
        if (global.assignable[slot].controller == controller) {
            const float sent = global.assignable[slot].bipolar != 0 ? fraction : fraction / 2.0f + 0.5f;
            queueExtModValue(kSourceFirstAssignable + slot, sent, deltaFrames);
        }
    }

    if ((status & 15) == exclusionChannel)
        return;
    notify([=](CM4417VstListener& editor) { editor.OnControlChangeReceived(controller, value); });

    VstInt32 parameter = global.controllerMap[controller & 127];
    if (parameter >= kMappedControllers)
        return;
    for (const TempoRedirect& redirect : kTempoRedirects) {
        if (parameter == redirect.parameter && isOn(edit.value(redirect.syncSwitch))) {
            parameter = redirect.target;
            break;
        }
    }
    applyParameter(parameter, fraction, deltaFrames, false);
}

void CSorlVst::channelPressure(VstInt32 value, VstInt32 deltaFrames)
{
    queueExtModValue(kSourcePressure, controllerFraction(value) / 2.0f + 0.5f, deltaFrames);
}

void CSorlVst::pitchBend(VstInt32 deltaFrames)
{
    const float bend = fromStep(lastPitchBend() - 1, 16383, 0);
    queueExtModValue(kSourcePitchBend, bend, deltaFrames);
    applyParameter(kParamPitchBend, bend, deltaFrames, false);
}
