// The 32 global settings: storage, text, tuning sent to the engine, and the rule that
// a controller feeds one assignable slot at most.
#include "InstrumentFixture.h"

#include "GlobalSettings.h"
#include "ParameterConversions.h"

#include <cmath>
#include <string>

using namespace sorrel;
using sorrel::test::InstrumentTest;

namespace {

constexpr int kMasterTune = 0;
constexpr int kScale = 1;
constexpr int kFirstOffset = 2;
constexpr int kFirstSlot = 22;
constexpr int kPureMajor = 1;
constexpr int kUser1 = 3;

float offsetValue(int cents) { return fromStep(cents, 199, -99); }

class GlobalSettingsTest : public InstrumentTest {
protected:
    std::string text(int index, int length = 32)
    {
        char buffer[64] = "untouched";
        instrument->formatGlobalSetting(index, buffer, length);
        return buffer;
    }
    void selectScale(int scale) { instrument->setGlobalSetting(kScale, fromStep(scale, 16, 0)); }
    const SorlSettings& engine() { return instrument->getEngine()->Settings(); }
};

TEST_F(GlobalSettingsTest, MasterTuneShowsHertzAndRetunesTheEngine)
{
    const struct {
        float value;
        const char* shown;
        float ratio;
    } cases[] = {{0.5f, "440.00", 1.0f}, {1.0f, "460.00", 460.0f / 440.0f}, {0.0f, "420.00", 420.0f / 440.0f},
                 {7.0f, "460.00", 460.0f / 440.0f}};
    for (const auto& c : cases) {
        instrument->setGlobalSetting(kMasterTune, c.value);
        EXPECT_EQ(text(kMasterTune), c.shown);
        EXPECT_NEAR(engine().masterTune, c.ratio, 1e-6f);
    }
    EXPECT_FLOAT_EQ(instrument->getGlobalSetting(kMasterTune), 1.0f); // clamped
}

TEST_F(GlobalSettingsTest, TextsFollowTheSettingsTable)
{
    instrument->setGlobalSetting(14, 1.0f);
    instrument->setGlobalSetting(27, 0.0f);
    instrument->setGlobalSetting(30, fromStep(6, 12, 0));
    selectScale(kPureMajor);
    const struct {
        int index;
        const char* shown;
    } cases[] = {
        {1, "Pure Major"}, {2, "+00"},  {3, "-30"},  {5, "+15"},      {14, "DIS"}, {15, "ENA"}, {21, "ENA"},
        {22, "CC 1:Modulation"}, {24, "CC16"}, {26, "+ "}, {28, "+-"}, {27, "+ "}, {30, "F#"},  {31, ""},
        {32, ""}, {-1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(c.index), c.shown) << c.index;
    EXPECT_EQ(text(22, 15), "Modulation"); // short names below 16 characters of room
    EXPECT_EQ(text(1, 5), "Pure");
    EXPECT_EQ(instrument->getGlobalSettingCount(), 32);
    EXPECT_FLOAT_EQ(instrument->getGlobalSetting(32), 0.0f);
    EXPECT_FLOAT_EQ(instrument->getGlobalSetting(3), offsetValue(-30));
    EXPECT_FLOAT_EQ(instrument->getGlobalSetting(24), fromStep(16, 128, 0));
    EXPECT_FLOAT_EQ(instrument->getGlobalSetting(28), 1.0f);
}

TEST_F(GlobalSettingsTest, SelectingAUserScaleSendsItsOffsets)
{
    selectScale(kUser1);
    for (int note = 0; note < 12; ++note)
        instrument->setGlobalSetting(kFirstOffset + note, offsetValue(note * 5 - 30));
    selectScale(0);
    EXPECT_FLOAT_EQ(engine().pitchClassOffset[11], 0.0f);

    editor.globals.clear();
    selectScale(kUser1);
    ASSERT_EQ(editor.globals.size(), 13u);
    for (int note = 0; note < 12; ++note) {
        EXPECT_NEAR(engine().pitchClassOffset[note], (note * 5 - 30) / 100.0f, 1e-5f) << note;
        EXPECT_EQ(editor.globals[note].first, kFirstOffset + note);
        EXPECT_FLOAT_EQ(editor.globals[note].second, offsetValue(note * 5 - 30));
    }
    EXPECT_EQ(editor.globals.back().first, kScale);
    EXPECT_EQ(text(kScale), "User 1");
}

TEST_F(GlobalSettingsTest, FixedScalesRefuseOffsetChanges)
{
    selectScale(kPureMajor);
    const GlobalBlock before = instrument->getGlobalBlock();
    const auto tuning = engine().pitchClassOffset;
    editor.globals.clear();
    instrument->setGlobalSetting(kFirstOffset + 4, offsetValue(50));
    EXPECT_EQ(std::memcmp(&instrument->getGlobalBlock(), &before, sizeof before), 0);
    EXPECT_EQ(engine().pitchClassOffset, tuning);
    EXPECT_TRUE(editor.globals.empty());
}

TEST_F(GlobalSettingsTest, PureMajorPutsEFourteenCentsFlat)
{
    selectScale(kPureMajor);
    EXPECT_NEAR(engine().pitchClassOffset[4], -0.14f, 1e-5f); // semitones
    EXPECT_EQ(text(kFirstOffset + 4), "-14");
}

TEST_F(GlobalSettingsTest, AControllerFeedsOneSlotAtMost)
{
    editor.globals.clear();
    instrument->setGlobalSetting(kFirstSlot, fromStep(16, 128, 0)); // slot 3 held controller 16
    EXPECT_EQ(instrument->getGlobalBlock().assignable[0].controller, 16);
    EXPECT_EQ(instrument->getGlobalBlock().assignable[2].controller, 127);
    EXPECT_EQ(text(kFirstSlot + 2), "No Assign");
    ASSERT_EQ(editor.globals.size(), 2u);
    EXPECT_EQ(editor.globals[0], std::make_pair(kFirstSlot + 2, 1.0f));
    EXPECT_EQ(editor.globals[1], std::make_pair(kFirstSlot, fromStep(16, 128, 0)));

    instrument->setGlobalSetting(kFirstSlot + 1, fromStep(100, 128, 0));
    EXPECT_EQ(instrument->getGlobalBlock().assignable[1].controller, 127);
    EXPECT_EQ(text(kFirstSlot + 1), "No Assign");
    // "No Assign" in two slots is no conflict.
    instrument->setGlobalSetting(kFirstSlot + 3, 1.0f);
    EXPECT_EQ(instrument->getGlobalBlock().assignable[1].controller, 127);
    EXPECT_EQ(instrument->getGlobalBlock().assignable[3].controller, 127);
}

TEST_F(GlobalSettingsTest, ReceptionSwitchesFilterMidi)
{
    instrument->setGlobalSetting(14, 1.0f);
    midi({{0, 0xB0, 7, 5}});
    EXPECT_EQ(instrument->lastControllerValue(7), 0);
    instrument->setGlobalSetting(14, 0.0f);
    midi({{0, 0xB0, 7, 5}});
    EXPECT_EQ(instrument->lastControllerValue(7), 5);
}

TEST_F(GlobalSettingsTest, NanAndOutOfRangeIndicesChangeNothing)
{
    const GlobalBlock before = instrument->getGlobalBlock();
    instrument->setGlobalSetting(0, std::nanf(""));
    instrument->setGlobalSetting(32, 1.0f);
    instrument->setGlobalSetting(-1, 1.0f);
    instrument->setGlobalSetting(31, 1.0f);
    EXPECT_EQ(std::memcmp(&instrument->getGlobalBlock(), &before, sizeof before), 0);
}

} // namespace
