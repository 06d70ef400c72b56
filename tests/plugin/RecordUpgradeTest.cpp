// Upgrading records of older releases, threshold by threshold, and repairing damage.
#include "ParameterIndices.h"
#include "RecordUpgrade.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace sorrel {
namespace {

constexpr std::int32_t kCurrent = 0x01030000;
constexpr int kVcoOctave = 2;

ProgramRecord programAt(std::int32_t version)
{
    ProgramRecord record = initProgram();
    record.version = version;
    record.setValue(kVcoOctave, 0.34f);
    record.setValue(kParamPitchBend, 0.3f);
    record.setValue(kParamModulation, 0.7f);
    record.setValue(kParamMgTimes, 0.25f);
    record.setValue(kParamArpTimes, 1.0f);
    return record;
}

TEST(RecordUpgrade, ProgramStepsFollowTheVersionThresholds)
{
    struct Case {
        std::int32_t version;
        float octave; // 0.34 snaps to position 1 by the earlier rule only
        float pitchBend;
        float modulation;
        float mgTimes;
        float arpTimes;
    };
    const Case cases[] = {
        {19, 0.5f, 0.5f, 0.0f, 1.0f - 4.0f / 15.0f, 0.0f}, // 0.25 snaps to 5 of 1..16, then inverts
        {20, 0.34f, 0.5f, 0.0f, 0.75f, 0.0f},
        {591419, 0.34f, 0.5f, 0.0f, 0.75f, 0.0f},
        {591420, 0.34f, 0.3f, 0.7f, 0.75f, 0.0f},
        {591421, 0.34f, 0.3f, 0.7f, 0.75f, 0.0f},
        {591422, 0.34f, 0.3f, 0.7f, 0.25f, 1.0f},
        {kCurrent, 0.34f, 0.3f, 0.7f, 0.25f, 1.0f},
        {-1, 0.34f, 0.3f, 0.7f, 0.25f, 1.0f}, // compared unsigned: newer than any threshold
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ProgramRecord record = programAt(c.version);
        EXPECT_TRUE(upgradeProgram(record));
        EXPECT_FLOAT_EQ(record.value(kVcoOctave), c.octave);
        EXPECT_FLOAT_EQ(record.value(kParamPitchBend), c.pitchBend);
        EXPECT_FLOAT_EQ(record.value(kParamModulation), c.modulation);
        EXPECT_FLOAT_EQ(record.value(kParamMgTimes), c.mgTimes);
        EXPECT_FLOAT_EQ(record.value(kParamArpTimes), c.arpTimes);
        EXPECT_EQ(record.version, kCurrent);
    }
}

TEST(RecordUpgrade, Version19WithMgTimesOneLoadsSixteenTimes)
{
    ProgramRecord record = initProgram();
    record.version = 19;
    record.setValue(kParamMgTimes, 1.0f);
    record.setValue(kParamPitchBend, 0.0f);
    upgradeProgram(record);
    EXPECT_FLOAT_EQ(record.value(kParamMgTimes), 0.0f);
    EXPECT_FLOAT_EQ(record.value(kParamPitchBend), 0.5f);
}

TEST(RecordUpgrade, RecordsOfThisReleaseStayByteForByte)
{
    const ProgramRecord init = initProgram();
    ProgramRecord program = init;
    upgradeProgram(program);
    EXPECT_EQ(std::memcmp(&program, &init, sizeof init), 0);

    GlobalBlock block = factoryGlobalBlock();
    block.controllerMap[30] = 7;
    block.scaleTable[3][4] = -20;
    const GlobalBlock before = block;
    upgradeGlobalBlock(block);
    EXPECT_EQ(std::memcmp(&block, &before, sizeof block), 0);
}

TEST(RecordUpgrade, NonFiniteValuesAndUnterminatedNamesAreRepaired)
{
    ProgramRecord record = initProgram();
    const ProgramRecord init = initProgram();
    record.setValue(7, std::numeric_limits<float>::quiet_NaN());
    record.setValue(0, std::numeric_limits<float>::infinity());
    record.setValue(kParamMgTimes, -std::numeric_limits<float>::infinity());
    std::memset(record.nameBytes, 'x', sizeof record.nameBytes);
    record.version = 19; // the repair comes before the older steps use the values
    upgradeProgram(record);
    EXPECT_FLOAT_EQ(record.value(7), init.value(7));
    EXPECT_FLOAT_EQ(record.value(0), init.value(0));
    EXPECT_FLOAT_EQ(record.value(kParamMgTimes), 0.0f); // Init's 1.0, then the old inversion
    EXPECT_EQ(record.name(), std::string(23, 'x'));
    EXPECT_EQ(record.nameBytes[23], '\0');

    GlobalBlock block = factoryGlobalBlock();
    block.masterTune = std::numeric_limits<float>::quiet_NaN();
    block.scale = std::numeric_limits<float>::infinity();
    block.reception[0] = std::numeric_limits<float>::quiet_NaN();
    upgradeGlobalBlock(block);
    EXPECT_FLOAT_EQ(block.masterTune, 0.5f);
    EXPECT_FLOAT_EQ(block.scale, 0.0f);
    EXPECT_FLOAT_EQ(block.reception[0], 0.0f);
}

TEST(RecordUpgrade, GlobalBlockStepsFollowTheVersionThresholds)
{
    struct Case {
        std::int32_t version;
        bool factoryScales;
        bool factoryMap;
        int controller64; // 32 (Hold) before the upgrade
        int controller87; // unassigned before the upgrade
    };
    const Case cases[] = {
        {19, true, true, 255, 32},  {20, true, true, 255, 32},       {21, false, true, 255, 32},
        {589871, false, true, 255, 32}, {589872, false, false, 255, 32}, {589885, false, false, 255, 32},
        {589886, false, false, 32, 255}, {kCurrent, false, false, 32, 255},
    };
    const GlobalBlock& factory = factoryGlobalBlock();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        GlobalBlock block = factory;
        block.version = c.version;
        block.scaleTable[1][4] = 0;
        block.scaleTable[5][0] = 12;
        block.controllerMap[30] = 9;
        block.controllerMap[64] = 32;
        block.controllerMap[87] = 255;
        EXPECT_TRUE(upgradeGlobalBlock(block));
        EXPECT_EQ(block.version, kCurrent);
        EXPECT_EQ(block.scaleTable[1][4], c.factoryScales ? -14 : 0);
        EXPECT_EQ(block.scaleTable[5][0], c.factoryScales ? 0 : 12);
        EXPECT_EQ(block.controllerMap[30], c.factoryMap ? 255 : 9);
        // The factory map has Hold on 87 already: the Hold step finds 64 free then.
        EXPECT_EQ(block.controllerMap[64], c.controller64);
        EXPECT_EQ(block.controllerMap[87], c.controller87);
    }
}

TEST(RecordUpgrade, HoldMovesTo87OnlyWhen87IsFree)
{
    GlobalBlock block = factoryGlobalBlock();
    block.version = 589885;
    block.controllerMap[64] = 32;
    block.controllerMap[87] = 5;
    upgradeGlobalBlock(block);
    EXPECT_EQ(block.controllerMap[64], 255);
    EXPECT_EQ(block.controllerMap[87], 5);
}

TEST(RecordUpgrade, BankTrailerStepsFollowTheVersionThresholds)
{
    struct Case {
        std::int32_t version;
        std::int32_t program; // 5 stored
        std::int32_t edited;  // 1 stored
        int editFrom;         // slot the edit copy comes from, -1: kept
        int compareFrom;
    };
    const Case cases[] = {
        {591421, 0, 0, 0, 0},
        {591422, 5, 1, -1, 5},
        {592196, 5, 1, -1, 5},
        {592197, 5, 1, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        auto bank = std::make_unique<BankImage>();
        bank->global = factoryGlobalBlock();
        bank->global.version = c.version;
        for (int slot = 0; slot < kBankPrograms; ++slot) {
            bank->slots[slot] = initProgram();
            bank->slots[slot].setName("slot " + std::to_string(slot));
        }
        bank->edit = initProgram();
        bank->edit.setName("edit");
        bank->compare = initProgram();
        bank->compare.setName("compare");
        bank->program = 5;
        bank->edited = 1;
        EXPECT_TRUE(upgradeBank(*bank));
        EXPECT_EQ(bank->program, c.program);
        EXPECT_EQ(bank->edited, c.edited);
        EXPECT_EQ(bank->edit.name(), c.editFrom < 0 ? "edit" : "slot " + std::to_string(c.editFrom));
        EXPECT_EQ(bank->compare.name(), c.compareFrom < 0 ? "compare" : "slot " + std::to_string(c.compareFrom));
        EXPECT_EQ(bank->global.version, kCurrent);
        EXPECT_EQ(bank->slots[31].version, kCurrent);
        EXPECT_EQ(bank->edit.version, kCurrent);
        EXPECT_EQ(bank->compare.version, kCurrent);
    }
}

TEST(RecordUpgrade, TrailerProgramOutsideTheBankIsLimitedToIt)
{
    for (const auto& [stored, limited] : {std::pair{40, 31}, {-3, 0}, {1 << 30, 31}}) {
        auto bank = std::make_unique<BankImage>();
        bank->global = factoryGlobalBlock();
        bank->global.version = 592196; // takes the compare copy from that slot
        bank->program = stored;
        upgradeBank(*bank);
        EXPECT_EQ(bank->program, limited) << stored;
    }
}

} // namespace
} // namespace sorrel
