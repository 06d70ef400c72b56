// A long random mix of keys, Hold, mode and layout changes, checking after
// every step that the key records and voices agree with each other.
#include <algorithm>
#include <random>
#include <sstream>
#include <string>

#include "VoiceFixture.h"

namespace {

class VoiceSequenceTest : public VoiceTest {
protected:
    // Each record in use sits in exactly one list, the lists end where
    // their tails say, and hold marks exist only while Hold is on.
    void CheckRecords(const std::string& step)
    {
        const CSorlKeyRecords& records = engine->KeyRecords();
        const bool poly = engine->Settings().keyAssign == kKeyAssignPoly;
        const int inUse = poly ? engine->VoiceLayout().notes : CSorlKeyRecords::kCount;
        std::array<int, CSorlKeyRecords::kCount> seen{};

        auto walk = [&](const SorlKeyList& list, bool active) {
            int last = CSorlKeyRecords::kNone;
            int steps = 0;
            for (int r = list.head; r != CSorlKeyRecords::kNone; r = records[r].next) {
                ASSERT_LT(++steps, CSorlKeyRecords::kCount + 1) << step << ": the list loops";
                ASSERT_TRUE(r >= 0 && r < inUse) << step << ": record " << r << " should not be in use";
                ++seen[r];
                if (poly) {
                    ASSERT_EQ(records[r].index, r) << step;
                }
                if (!active || !engine->Settings().hold) {
                    ASSERT_EQ(records[r].holdMark, 0) << step << ": record " << r;
                }
                last = r;
            }
            ASSERT_EQ(list.tail, last) << step;
        };
        walk(records.ActiveList(), true);
        walk(records.FreeList(), false);
        for (int r = 0; r < CSorlKeyRecords::kCount; ++r) {
            ASSERT_EQ(seen[r], r < inUse ? 1 : 0) << step << ": record " << r;
        }
    }

    void CheckVoices(const std::string& step)
    {
        const SorlVoiceLayout& layout = engine->VoiceLayout();
        int nonIdle = 0;
        for (int voice = 0; voice < CSorlVoices::kMaxVoices; ++voice) {
            const SorlVoiceView view = Voice(voice);
            const bool idle = view.state == kEnvelopeIdle;
            ASSERT_TRUE(view.state >= kEnvelopeAttack && view.state <= kEnvelopeIdle) << step;
            ASSERT_EQ(view.active, !idle) << step << ": voice " << voice;
            ASSERT_TRUE(voice < layout.total || idle) << step << ": unused voice " << voice << " sounds";
            if (idle) {
                ASSERT_EQ(view.note, 0) << step << ": voice " << voice;
            }
            nonIdle += idle ? 0 : 1;
        }
        ASSERT_EQ(engine->NonIdleVoices(), nonIdle) << step;

        const SorlKeyTables& keys = engine->Keys();
        ASSERT_EQ(keys.heldCount, std::count_if(keys.held.begin(), keys.held.end(), [](int v) { return v != 0; }))
            << step;
    }

    // In Poly mode every key holding a slot is heard on all of the slot's voices.
    void CheckPolySlots(const std::string& step)
    {
        if (engine->Settings().keyAssign != kKeyAssignPoly) {
            return;
        }
        const CSorlKeyRecords& records = engine->KeyRecords();
        const SorlVoiceLayout& layout = engine->VoiceLayout();
        for (int r = records.ActiveList().head; r != CSorlKeyRecords::kNone; r = records[r].next) {
            for (int stack = 0; stack < layout.unison; ++stack) {
                const int voice = layout.SlotVoice(records[r].index, stack);
                ASSERT_TRUE(Sounding(voice)) << step << ": voice " << voice;
                ASSERT_EQ(NoteOf(voice), records[r].key) << step << ": voice " << voice;
            }
        }
    }

    void CheckNewestKeySounds(int key, const std::string& step)
    {
        if (engine->Settings().keyAssign != kKeyAssignUnison) {
            return;
        }
        for (int voice = 0; voice < engine->VoiceLayout().total; ++voice) {
            ASSERT_TRUE(Sounding(voice)) << step;
            ASSERT_EQ(NoteOf(voice), key) << step;
        }
    }
};

TEST_F(VoiceSequenceTest, ListsAndVoicesStayConsistent)
{
    std::mt19937 random(20240611);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const SorlEngineInput modes[] = {kInputKeyAssignPoly, kInputKeyAssignUnison, kInputKeyAssignChord};
    SetLayout(6, 1);

    for (int i = 0; i < 20000; ++i) {
        std::ostringstream step;
        const int roll = pick(0, 99);
        if (roll < 45) {
            const int key = pick(48, 72);
            step << i << ": key down " << key;
            Press(key, pick(1, 127));
            ASSERT_NO_FATAL_FAILURE(CheckNewestKeySounds(key, step.str()));
        } else if (roll < 85) {
            const int key = pick(48, 72);
            step << i << ": key up " << key;
            Lift(key);
        } else if (roll < 89) {
            const bool on = pick(0, 1) == 1;
            step << i << ": hold " << on;
            SetHold(on);
        } else if (roll < 92) {
            const int mode = pick(0, 2);
            step << i << ": mode " << mode;
            SetMode(modes[mode]);
        } else if (roll < 94) {
            step << i << ": all notes off";
            AllNotesOff();
        } else if (roll < 95) {
            step << i << ": all sound off";
            AllSoundOff();
        } else if (roll < 97) {
            const int total = pick(1, 33);
            const int unison = pick(1, 17);
            step << i << ": layout " << total << " / " << unison;
            SetLayout(total, unison);
            ASSERT_EQ(engine->PendingEventCount(), 0u) << step.str();
        } else if (roll < 98) {
            step << i << ": detune";
            engine->SetParameter(0, kInputUnisonDetune, static_cast<float>(pick(0, 100)) / 100.0f);
        } else {
            step << i << ": chord memory";
            std::int8_t chord[8][8]{};
            for (auto& entry : chord) {
                entry[0] = static_cast<std::int8_t>(pick(0, 3) == 0 ? -128 : pick(-24, 24));
            }
            engine->SetChordMemory(chord, pick(1, 8));
        }
        ASSERT_NO_FATAL_FAILURE(CheckRecords(step.str()));
        ASSERT_NO_FATAL_FAILURE(CheckVoices(step.str()));
        ASSERT_NO_FATAL_FAILURE(CheckPolySlots(step.str()));
    }
}

} // namespace
