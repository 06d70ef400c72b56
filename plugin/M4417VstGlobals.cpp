// Global settings: tuning, reception switches and the assignable controllers.
#include "M4417Vst.h"

#include "GlobalSettings.h"
#include "ParameterConversions.h"
#include "SorlDsp.h"

#include <algorithm>
#include <cmath>
#include <mutex>

using sorrel::GlobalSettingKind;

void CM4417Vst::setGlobalSetting(VstInt32 index, float value)
{
    if (index < 0 || index >= sorrel::kGlobalSettingCount || std::isnan(value))
        return;
    std::lock_guard<CMoxSemaphore> guard(lock);
    storeGlobalSetting(index, std::clamp(value, 0.0f, 1.0f));
}

void CM4417Vst::storeGlobalSetting(VstInt32 index, float value)
{
    sorrel::GlobalBlock& global = getGlobalBlock();
    const sorrel::GlobalSetting setting = sorrel::globalSetting(index);
    float stored = value;
    switch (setting.kind) {
    case GlobalSettingKind::MasterTune:
        global.masterTune = value;
        break;
    case GlobalSettingKind::Scale:
        global.scale = value;
        break;
    case GlobalSettingKind::ScaleOffset: {
        // The fixed scales keep their offsets.
        if (sorrel::selectedScale(global) < sorrel::kFixedScales)
            return;
        const int cents = sorrel::toStep(value, sorrel::kScaleOffsetPositions, sorrel::kLowestScaleOffset);
        global.scaleTable[sorrel::selectedScale(global)][setting.item] = static_cast<std::int8_t>(cents);
        stored = sorrel::fromStep(cents, sorrel::kScaleOffsetPositions, sorrel::kLowestScaleOffset);
        break;
    }
    case GlobalSettingKind::Reception:
        global.reception[setting.item] = value;
        break;
    case GlobalSettingKind::AssignController: {
        int controller = sorrel::toStep(value, 128, 0) & 127;
        if (controller >= sorrel::kMappedControllers)
            controller = sorrel::kNoAssignSlot;
        // A controller feeds one slot at most: the slot it leaves shows "No Assign".
        for (int other = 0; other < sorrel::kAssignableControllers; ++other) {
            const int number = global.assignable[other].controller;
            if (other != setting.item && number < sorrel::kMappedControllers && number == controller)
                storeGlobalSetting(index - setting.item + other, 1.0f);
        }
        global.assignable[setting.item].controller = static_cast<std::uint8_t>(controller);
        stored = sorrel::fromStep(controller, 128, 0);
        break;
    }
    case GlobalSettingKind::AssignBipolar:
        global.assignable[setting.item].bipolar = sorrel::isOn(value) ? 1 : 0;
        stored = sorrel::isOn(value) ? 1.0f : 0.0f;
        break;
    case GlobalSettingKind::ScaleKey:
        global.scaleKey = value;
        break;
    case GlobalSettingKind::None:
        return;
    }

    if (setting.tellsEngine)
        engine->SetTuning(index, stored);
    if (setting.kind == GlobalSettingKind::Scale) {
        for (int note = 0; note < sorrel::kScaleNotes; ++note) {
            const float offset = sorrel::scaleOffsetValue(global, note);
            engine->SetTuning(2 + note, offset);
            notify([=](CM4417VstListener& editor) { editor.OnGlobalChanged(2 + note, offset, true); });
        }
    }
    notify([=](CM4417VstListener& editor) { editor.OnGlobalChanged(index, stored, true); });
}

float CM4417Vst::getGlobalSetting(VstInt32 index) { return sorrel::readGlobalSetting(getGlobalBlock(), index); }

void CM4417Vst::formatGlobalSetting(VstInt32 index, char* text, VstInt32 length)
{
    if (length > 0)
        sorrel::formatGlobalSetting(getGlobalBlock(), index, text, static_cast<std::size_t>(length));
}

VstInt32 CM4417Vst::getGlobalSettingCount() { return sorrel::kGlobalSettingCount; }

void CM4417Vst::sendTuningToEngine()
{
    const sorrel::GlobalBlock& global = getGlobalBlock();
    engine->SetTuning(0, std::clamp(global.masterTune, 0.0f, 1.0f));
    for (int note = 0; note < sorrel::kScaleNotes; ++note)
        engine->SetTuning(2 + note, sorrel::scaleOffsetValue(global, note));
}
