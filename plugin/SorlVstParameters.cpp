// The change functions of the parameters: the one path every parameter change takes.
#include "SorlVst.h"

#include "ParameterConversions.h"
#include "ParameterIndices.h"
#include "SorlDsp.h"

#include <algorithm>
#include <cmath>

using namespace sorrel;

namespace {

float switchValue(float value) { return isOn(value) ? 1.0f : 0.0f; }

} // namespace

void CSorlVst::applyParameter(VstInt32 index, float value, VstInt32 deltaFrames, bool force)
{
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(sorrel::kParameterCount) || std::isnan(value))
        return;
    value = std::clamp(value, 0.0f, 1.0f);
    if (index != kParamPitchBend && index != kParamModulation && value != getParameter(index))
        setEdited(true);

    using Change = sorrel::ParameterChange;
    switch (sorrel::parameterInfo(index).change) {
    case Change::Nothing:
        break;
    case Change::Common:
        changeCommon(index, value, deltaFrames);
        break;
    case Change::StoreOnly:
        storeAndNotify(index, sorrel::quantiseParameter(index, value));
        break;
    case Change::Arpeggio:
        changeArpeggio(value, force);
        break;
    case Change::Hold:
        changeHold(value);
        break;
    case Change::KeyAssign:
        changeKeyAssign(value, force);
        break;
    case Change::Tempo:
        storeAndNotify(index, value);
        if (!isMidiSync())
            setTempo(sorrel::mapRange(value, 20.0f, 400.0f));
        break;
    case Change::MidiSync:
        storeAndNotify(index, switchValue(value));
        setTempo(effectiveTempo());
        break;
    case Change::MgTempoSync:
        storeAndNotify(index, switchValue(value));
        engine->SetMgTempoSync(isOn(value));
        updateMgTempoRate(effectiveTempo());
        break;
    case Change::MgRate:
        storeAndNotify(index, sorrel::quantiseParameter(index, value));
        updateMgTempoRate(effectiveTempo());
        break;
    case Change::ArpTempoSync:
        storeAndNotify(index, switchValue(value));
        updateArpTempoRate(effectiveTempo());
        engine->QueueArpClockMode(static_cast<std::uint32_t>(deltaFrames), isOn(value));
        break;
    case Change::ArpRate:
        storeAndNotify(index, sorrel::quantiseParameter(index, value));
        updateArpTempoRate(effectiveTempo());
        break;
    case Change::VoicesTotal:
        changeVoicesTotal(value);
        break;
    case Change::VoicesUnison:
        changeVoicesUnison(value);
        break;
    case Change::ExtMod1Source:
        changeExtModSource(0, value, deltaFrames, force);
        break;
    case Change::ExtMod2Source:
        changeExtModSource(1, value, deltaFrames, force);
        break;
    case Change::CompareTrigger:
        changeCompareTrigger();
        break;
    case Change::ExclusionChannel:
        changeExclusionChannel(value);
        break;
    }
}

void CSorlVst::storeValue(VstInt32 index, float value) { edit.setValue(index, value); }

void CSorlVst::storeAndNotify(VstInt32 index, float value)
{
    storeValue(index, value);
    notifyParameterChanged(index, value, false);
}

void CSorlVst::changeCommon(VstInt32 index, float value, VstInt32 deltaFrames)
{
    const float stored = sorrel::quantiseParameter(index, value);
    storeValue(index, stored);
    sendToEngine(sorrel::parameterInfo(index).engineInput, stored, deltaFrames);
    notifyParameterChanged(index, stored, false);
}

void CSorlVst::changeArpeggio(float value, bool force)
{
    if (!force && isOn(edit.value(kParamArpeggio)) == isOn(value))
        return;
    const float stored = switchValue(value);
    storeValue(kParamHold, 0.0f);
    storeValue(kParamArpeggio, stored);
    sendToEngine(kEngineArpeggio, stored, 0);
    notifyParameterChanged(kParamHold, 0.0f, false);
    notifyParameterChanged(kParamArpeggio, stored, false);
}

void CSorlVst::changeHold(float value)
{
    // The arpeggiator owns the held keys while it runs.
    if (isOn(edit.value(kParamArpeggio))) {
        notifyParameterChanged(kParamHold, 0.0f, false);
        return;
    }
    const float stored = switchValue(value);
    storeValue(kParamHold, stored);
    sendToEngine(kEngineHold, stored, 0);
    notifyParameterChanged(kParamHold, stored, false);
}

void CSorlVst::changeKeyAssign(float value, bool force)
{
    const int mode = toStep(value, 3, 0);
    const float stored = fromStep(mode, 3, 0);
    startFade(20, 20, 0.0f);
    if (!force && edit.value(kParamKeyAssign) == stored)
        return;
    storeAndNotify(kParamHold, 0.0f);
    storeValue(kParamKeyAssign, stored);
    sendToEngine(kEngineKeyAssignChord + mode, 1.0f, 0);
    notifyParameterChanged(kParamKeyAssign, stored, false);
}

void CSorlVst::changeVoicesTotal(float value)
{
    const int total = toStep(value, 32, 1);
    if (total < toStep(edit.value(kParamVoicesUnison), 16, 1))
        applyParameter(kParamVoicesUnison, fromStep(total, 16, 1), 0, false);
    const float stored = fromStep(total, 32, 1);
    storeValue(kParamVoicesTotal, stored);
    startFade(20, 20, 0.0f);
    sendToEngine(kEngineVoicesTotal, stored, 0);
    notifyParameterChanged(kParamVoicesTotal, stored, false);
}

void CSorlVst::changeVoicesUnison(float value)
{
    const int unison = std::min(toStep(value, 16, 1), toStep(edit.value(kParamVoicesTotal), 32, 1));
    const float stored = fromStep(unison, 16, 1);
    storeValue(kParamVoicesUnison, stored);
    startFade(20, 20, 0.0f);
    sendToEngine(kEngineVoicesUnison, stored, 0);
    notifyParameterChanged(kParamVoicesUnison, stored, false);
}

void CSorlVst::changeExtModSource(VstInt32 input, float value, VstInt32 deltaFrames, bool force)
{
    const VstInt32 own = input == 0 ? kParamExtMod1Source : kParamExtMod2Source;
    const VstInt32 other = input == 0 ? kParamExtMod2Source : kParamExtMod1Source;
    const int source = toStep(value, 9, 0);
    // Only the first input skips an unchanged source and recentres its value.
    if (input == 0) {
        if (!force && source == toStep(edit.value(own), 9, 0))
            return;
        engine->QueueExtModValue(0, 0.5f, static_cast<std::uint32_t>(deltaFrames));
    }
    // One source feeds at most one input.
    if (source != 0 && source == toStep(edit.value(other), 9, 0))
        applyParameter(other, 0.0f, deltaFrames, false);
    const float stored = fromStep(source, 9, 0);
    storeValue(own, stored);
    engine->SetExtModSource(input, source);
    notifyParameterChanged(own, stored, false);
}

void CSorlVst::changeCompareTrigger()
{
    if (!hostIsOrchardHub())
        return;
    compare = edit;
    setEdited(false);
}

void CSorlVst::changeExclusionChannel(float value)
{
    if (hostIsOrchardHub())
        exclusionChannel = toStep(value, 17, -1);
}
