#include "RecordUpgrade.h"

#include "ParameterConversions.h"
#include "ParameterIndices.h"
#include "ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace sorrel {
namespace {

constexpr std::uint8_t kHoldParameter = 32;
constexpr int kOldHoldController = 64;
constexpr int kNewHoldController = 87;

// Parameters with positions whose values older releases snapped by another rule.
constexpr int kRequantised[] = {2, 3, 6, 12, 15, 16, 18, 23, 28, 33, 58, 59, 62, 63, 72, 73, 74, 75};

float earlierSnap(int index, float value)
{
    const ParameterDescriptor& descriptor = parameterDescriptor(index);
    const int n = descriptor.positions;
    const int lo = static_cast<int>(descriptor.minimum);
    const float position = std::clamp(static_cast<float>(n) * value, 0.0f, static_cast<float>(n - 1));
    return fromStep(lo + static_cast<int>(position), n, lo);
}

void repairProgram(ProgramRecord& record)
{
    static const ProgramRecord init = initProgram();
    for (int index = 0; index < kParameterCount; ++index) {
        if (!std::isfinite(record.value(index)))
            record.setValue(index, init.value(index));
    }
    if (std::find(std::begin(record.nameBytes), std::end(record.nameBytes), '\0') == std::end(record.nameBytes))
        record.nameBytes[kProgramNameMaxLength] = '\0';
}

void repairSetting(float& value, float factory)
{
    if (!std::isfinite(value))
        value = factory;
}

void repairGlobalBlock(GlobalBlock& block)
{
    const GlobalBlock& factory = factoryGlobalBlock();
    repairSetting(block.masterTune, factory.masterTune);
    repairSetting(block.scale, factory.scale);
    repairSetting(block.scaleKey, factory.scaleKey);
    for (int i = 0; i < kReceptionSwitches; ++i)
        repairSetting(block.reception[i], factory.reception[i]);
}

std::uint32_t versionOf(std::int32_t stored) { return static_cast<std::uint32_t>(stored); }

} // namespace

bool upgradeProgram(ProgramRecord& record)
{
    repairProgram(record);
    const std::uint32_t version = versionOf(record.version);
    if (version < kVersionRequantised) {
        for (int index : kRequantised)
            record.setValue(index, earlierSnap(index, record.value(index)));
    }
    if (version < kVersionWheelsReset) {
        record.setValue(kParamPitchBend, 0.5f);
        record.setValue(kParamModulation, 0.0f);
    }
    if (version < kVersionTimesInverted) {
        record.setValue(kParamMgTimes, 1.0f - record.value(kParamMgTimes));
        record.setValue(kParamArpTimes, 1.0f - record.value(kParamArpTimes));
    }
    record.version = static_cast<std::int32_t>(kCurrentRecordVersion);
    return true;
}

bool upgradeGlobalBlock(GlobalBlock& block)
{
    repairGlobalBlock(block);
    const GlobalBlock& factory = factoryGlobalBlock();
    if (versionOf(block.version) < kVersionUserScales) {
        std::copy(&factory.scaleTable[0][0], &factory.scaleTable[0][0] + sizeof factory.scaleTable,
                  &block.scaleTable[0][0]);
        block.version = static_cast<std::int32_t>(kVersionUserScales);
    }
    const std::uint32_t version = versionOf(block.version);
    std::uint8_t* map = block.controllerMap;
    if (version < kVersionControllerMap)
        std::copy(std::begin(factory.controllerMap), std::end(factory.controllerMap), map);
    if (version < kVersionHoldController && map[kOldHoldController] == kHoldParameter) {
        map[kOldHoldController] = kUnassigned;
        if (map[kNewHoldController] == kUnassigned)
            map[kNewHoldController] = kHoldParameter;
    }
    block.version = static_cast<std::int32_t>(kCurrentRecordVersion);
    return true;
}

bool upgradeBank(BankImage& bank)
{
    const std::uint32_t version = versionOf(bank.global.version);
    bank.program = std::clamp(bank.program, 0, kBankPrograms - 1);
    if (version < kVersionTimesInverted) {
        bank.program = 0;
        bank.edited = 0;
        bank.edit = bank.slots[0];
    }
    if (version < kVersionCompareCopy)
        bank.compare = bank.slots[bank.program];
    upgradeGlobalBlock(bank.global);
    for (int slot = 0; slot < kBankPrograms; ++slot)
        upgradeProgram(bank.slots[slot]);
    upgradeProgram(bank.edit);
    upgradeProgram(bank.compare);
    return true;
}

} // namespace sorrel
