#include "GlobalSettings.h"

#include "ControllerNames.h"
#include "ParameterConversions.h"

#include <cstdio>

namespace sorrel {
namespace {

struct SettingRange {
    GlobalSettingKind kind;
    int first;
    int count;
    bool tellsEngine;
};

constexpr SettingRange kSettingRanges[] = {
    {GlobalSettingKind::MasterTune, 0, 1, true},
    {GlobalSettingKind::Scale, 1, 1, true},
    {GlobalSettingKind::ScaleOffset, 2, kScaleNotes, true},
    {GlobalSettingKind::Reception, 14, kReceptionSwitches, true},
    {GlobalSettingKind::AssignController, 22, kAssignableControllers, false},
    {GlobalSettingKind::AssignBipolar, 26, kAssignableControllers, false},
    {GlobalSettingKind::ScaleKey, 30, 1, false},
    {GlobalSettingKind::None, 31, 1, false},
};

constexpr const char* kScaleNames[kScales] = {
    "Equal Temp", "Pure Major", "Pure Minor", "User 1",  "User 2",  "User 3",  "User 4",  "User 5",
    "User 6",     "User 7",     "User 8",     "User 9",  "User 10", "User 11", "User 12", "User 13",
};

constexpr const char* kKeyNames[kScaleNotes] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                                "F#", "G ", "G#", "A ", "A#", "B "};

constexpr std::size_t kLongNameRoom = 16; // texts this long get the long controller names

int assignedController(const GlobalBlock& block, int slot)
{
    const int number = block.assignable[slot].controller;
    return number < kMappedControllers ? number : kNoAssignSlot;
}

} // namespace

GlobalSetting globalSetting(int index)
{
    for (const SettingRange& range : kSettingRanges) {
        if (index >= range.first && index < range.first + range.count)
            return {range.kind, index - range.first, range.tellsEngine};
    }
    return {GlobalSettingKind::None, 0, false};
}

int selectedScale(const GlobalBlock& block) { return toStep(block.scale, kScales, 0); }

const char* scaleName(int scale) { return kScaleNames[scale & (kScales - 1)]; }

float scaleOffsetValue(const GlobalBlock& block, int note)
{
    return fromStep(block.scaleTable[selectedScale(block)][note], kScaleOffsetPositions, kLowestScaleOffset);
}

float readGlobalSetting(const GlobalBlock& block, int index)
{
    if (index < 0 || index >= kGlobalSettingCount)
        return 0.0f;
    const GlobalSetting setting = globalSetting(index);
    switch (setting.kind) {
    case GlobalSettingKind::MasterTune:
        return block.masterTune;
    case GlobalSettingKind::Scale:
        return block.scale;
    case GlobalSettingKind::ScaleOffset:
        return scaleOffsetValue(block, setting.item);
    case GlobalSettingKind::Reception:
        return block.reception[setting.item];
    case GlobalSettingKind::AssignController:
        return fromStep(block.assignable[setting.item].controller, 128, 0);
    case GlobalSettingKind::AssignBipolar:
        return block.assignable[setting.item].bipolar != 0 ? 1.0f : 0.0f;
    case GlobalSettingKind::ScaleKey:
        return block.scaleKey;
    case GlobalSettingKind::None:
        break;
    }
    return 0.0f;
}

void formatGlobalSetting(const GlobalBlock& block, int index, char* text, std::size_t size)
{
    if (text == nullptr || size == 0)
        return;
    text[0] = '\0';
    if (index < 0 || index >= kGlobalSettingCount)
        return;
    const GlobalSetting setting = globalSetting(index);
    switch (setting.kind) {
    case GlobalSettingKind::MasterTune:
        std::snprintf(text, size, "%6.2f", mapRange(block.masterTune, 420.0f, 460.0f));
        break;
    case GlobalSettingKind::Scale:
        std::snprintf(text, size, "%s", scaleName(selectedScale(block)));
        break;
    case GlobalSettingKind::ScaleOffset: {
        const int cents = block.scaleTable[selectedScale(block)][setting.item];
        std::snprintf(text, size, cents >= 0 ? "+%02d" : "-%02d", cents >= 0 ? cents : -cents);
        break;
    }
    case GlobalSettingKind::Reception:
        std::snprintf(text, size, "%s", isOn(block.reception[setting.item]) ? "DIS" : "ENA");
        break;
    case GlobalSettingKind::AssignController: {
        const int controller = assignedController(block, setting.item);
        std::snprintf(text, size, "%s",
                      size >= kLongNameRoom ? longControllerName(controller) : shortControllerName(controller));
        break;
    }
    case GlobalSettingKind::AssignBipolar:
        std::snprintf(text, size, "%s", block.assignable[setting.item].bipolar != 0 ? "+-" : "+ ");
        break;
    case GlobalSettingKind::ScaleKey:
        std::snprintf(text, size, "%s", kKeyNames[toStep(block.scaleKey, kScaleNotes, 0)]);
        break;
    case GlobalSettingKind::None:
        break;
    }
}

} // namespace sorrel
