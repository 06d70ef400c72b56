// Programs and banks on the plug-in object: selection, writing, naming and the mute
// that carries a program change to the engine.
#include "InstrumentFixture.h"

#include "ParameterConversions.h"
#include "SorlDsp.h"

#include <cstring>
#include <string>

using namespace sorrel;
using sorrel::test::InstrumentTest;
using sorrel::test::ScriptedHost;

namespace {

using State = CSorlProgramFade::State;

constexpr int kVoicesTotal = 72;
constexpr int kCutoff = 7;

std::string programName(CSorlVst& instrument, VstInt32 opcode, VstInt32 index = 0)
{
    char text[256];
    std::memset(text, 'x', sizeof text);
    instrument.dispatcher(opcode, index, 0, text, 0.0f);
    return text;
}

} // namespace

TEST_F(InstrumentTest, StartsWithTheFactoryBank)
{
    const BankImage& bank = instrument->bankImage();
    EXPECT_EQ(std::memcmp(&bank.global, &factoryGlobalBlock(), sizeof bank.global), 0);
    const ProgramRecord init = initProgram();
    for (int slot = 0; slot < CSorlVst::kProgramCount; ++slot)
        EXPECT_EQ(std::memcmp(&bank.slots[slot], &init, sizeof init), 0) << slot;
    EXPECT_EQ(bank.program, 0);
    EXPECT_EQ(bank.edited, 0);
    EXPECT_EQ(bank.edit.name(), "Init Program");
    EXPECT_EQ(instrument->getProgram(), 0);
    EXPECT_FALSE(instrument->isEdited());
}

TEST_F(InstrumentTest, SelectingTheCurrentProgramAgainChangesNothing)
{
    resumeSettled();
    instrument->setParameter(kCutoff, 0.3f);
    instrument->dispatcher(effSetProgram, 0, 0, nullptr, 0.0f);
    EXPECT_TRUE(instrument->isEdited());
    EXPECT_FLOAT_EQ(value(kCutoff), 0.3f);
    EXPECT_EQ(instrument->programFade().state(), State::Idle);
    EXPECT_EQ(pendingEvents(), 0u);
}

TEST_F(InstrumentTest, AnotherProgramIsLoadedAndReachesTheEngineAfterTheMute)
{
    resumeSettled();
    // Program 5 differs in cutoff and voice count.
    instrument->applyParameter(kVoicesTotal, fromStep(8, 32, 1), 0, false);
    instrument->setParameter(kCutoff, 0.3f);
    ASSERT_TRUE(instrument->writeProgram(5));
    instrument->applyParameter(kVoicesTotal, fromStep(6, 32, 1), 0, false);
    instrument->setParameter(kCutoff, 1.0f);
    render(4096);
    midi({{0, 0xE0, 0, 0}, {0, 0xB0, 1, 127}}); // wheels: bend down, modulation up
    editor.entries.clear();
    const int displayUpdates = ScriptedHost::updateDisplayCalls;

    instrument->dispatcher(effSetProgram, 0, 5, nullptr, 0.0f);
    EXPECT_EQ(instrument->getProgram(), 5);
    EXPECT_FALSE(instrument->isEdited());
    EXPECT_TRUE(editor.saw("unedited"));
    EXPECT_TRUE(editor.saw("program 5"));
    EXPECT_EQ(ScriptedHost::updateDisplayCalls, displayUpdates + 1);
    EXPECT_EQ(instrument->getStoredProgram(), 5);
    EXPECT_FLOAT_EQ(value(kCutoff), 0.3f);
    EXPECT_FLOAT_EQ(value(30), 0.0f); // the wheels stay where MIDI put them
    EXPECT_FLOAT_EQ(value(31), 1.0f);
    EXPECT_EQ(std::memcmp(&instrument->compareBuffer(), &instrument->editBuffer(), sizeof(ProgramRecord)), 0);

    // A change during the mute is held back with the program's own values.
    const SorlSettings& engine = instrument->getEngine()->Settings();
    EXPECT_EQ(instrument->programFade().state(), State::Muted);
    instrument->applyParameter(kVoicesTotal, fromStep(10, 32, 1), 0, false);
    render(441);
    EXPECT_EQ(engine.totalVoices, 6);
    render(441);
    EXPECT_EQ(instrument->programFade().state(), State::FadingIn);
    EXPECT_EQ(engine.totalVoices, 10);
}

TEST_F(InstrumentTest, ProgramChangeRampsTheOutputDownAndUpWithoutSteps)
{
    resumeSettled();
    const CSorlOutputStage& output = instrument->getEngine()->Output();
    ASSERT_FLOAT_EQ(output.RampGain(), 1.0f);
    instrument->dispatcher(effSetProgram, 0, 1, nullptr, 0.0f);

    constexpr int kBlock = 32;
    const float maxStep = kBlock / (0.02f * 44100.0f) + 1e-4f;
    float previous = output.RampGain();
    bool reachedSilence = false;
    for (int block = 0; block < 200; ++block) {
        render(kBlock);
        const float gain = output.RampGain();
        EXPECT_LE(std::abs(gain - previous), maxStep) << block;
        reachedSilence = reachedSilence || gain == 0.0f;
        // Silence is reached before the new values take over.
        if (instrument->programFade().state() != State::Muted && block > 0 && !reachedSilence)
            ADD_FAILURE() << "mute ended above silence at block " << block;
        previous = gain;
    }
    EXPECT_TRUE(reachedSilence);
    EXPECT_EQ(instrument->programFade().state(), State::Idle);
    EXPECT_FLOAT_EQ(output.RampGain(), 1.0f);
}

TEST_F(InstrumentTest, ProgramSelectionIsRefused)
{
    struct Case {
        const char* what;
        VstIntPtr program;
        bool writeMode;
    };
    const int displayUpdates = ScriptedHost::updateDisplayCalls;
    for (const Case& c : {Case{"write mode", 3, true}, Case{"beyond the bank", 32, false},
                          Case{"negative", -1, false}}) {
        instrument->setWriteMode(c.writeMode);
        instrument->dispatcher(effSetProgram, 0, c.program, nullptr, 0.0f);
        midi({{0, 0xC0, static_cast<std::uint8_t>(c.program & 127), 0}});
        EXPECT_EQ(instrument->getProgram(), 0) << c.what;
    }
    EXPECT_EQ(ScriptedHost::updateDisplayCalls, displayUpdates);
    EXPECT_TRUE(editor.entries.empty());
    instrument->setWriteMode(false);
    midi({{0, 0xC0, 3, 0}});
    EXPECT_EQ(instrument->getProgram(), 3);
}

TEST_F(InstrumentTest, ProgramNames)
{
    instrument->dispatcher(effSetProgramName, 0, 0, const_cast<char*>("Init Program"), 0.0f);
    EXPECT_FALSE(instrument->isEdited());
    EXPECT_TRUE(editor.entries.empty());

    const std::string thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
    instrument->dispatcher(effSetProgramName, 0, 0, const_cast<char*>(thirty.c_str()), 0.0f);
    EXPECT_TRUE(instrument->isEdited());
    EXPECT_EQ(instrument->editBuffer().name(), thirty.substr(0, 23));
    EXPECT_TRUE(editor.saw("name " + thirty.substr(0, 23)));

    // The host never gets more than 16 characters, for the current program or any other.
    EXPECT_EQ(programName(*instrument, effGetProgramName), thirty.substr(0, 16));
    EXPECT_EQ(programName(*instrument, effGetProgramNameIndexed, 0), thirty.substr(0, 16));
    instrument->writeProgram(31);
    EXPECT_EQ(programName(*instrument, effGetProgramNameIndexed, 31), thirty.substr(0, 16));
    EXPECT_EQ(programName(*instrument, effGetProgramNameIndexed, 1), "Init Program");
    EXPECT_EQ(instrument->dispatcher(effGetProgramNameIndexed, 32, 0, nullptr, 0.0f), 0);
}

TEST_F(InstrumentTest, WritingPrograms)
{
    instrument->setParameter(kCutoff, 0.3f);
    const BankImage before = instrument->bankImage();
    EXPECT_FALSE(instrument->writeProgram(32));
    EXPECT_FALSE(instrument->writeProgram(-1));
    EXPECT_EQ(instrument->dispatcher(effCopyProgram, 32, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(std::memcmp(&before, &instrument->bankImage(), sizeof before), 0);

    // Copying leaves the selection, the compare buffer and the edited flag alone.
    EXPECT_EQ(instrument->dispatcher(effCopyProgram, 4, 0, nullptr, 0.0f), 1);
    EXPECT_FLOAT_EQ(instrument->getProgramParameter(4, kCutoff), 0.3f);
    EXPECT_FLOAT_EQ(instrument->getProgramParameter(0, kCutoff), 1.0f); // compare buffer
    EXPECT_TRUE(instrument->isEdited());

    EXPECT_TRUE(instrument->writeProgramAndSelect(6));
    EXPECT_EQ(instrument->getProgram(), 6);
    EXPECT_FALSE(instrument->isEdited());
    EXPECT_FLOAT_EQ(instrument->getProgramParameter(6, kCutoff), 0.3f);
    EXPECT_TRUE(editor.saw("program 6"));
    EXPECT_TRUE(editor.saw("written 6"));
    EXPECT_FALSE(instrument->writeProgramAndSelect(32));

    instrument->setParameter(kCutoff, 0.6f);
    EXPECT_FLOAT_EQ(instrument->getProgramParameter(-1, kCutoff), 0.6f); // edit buffer
    EXPECT_FLOAT_EQ(instrument->getProgramParameter(6, kCutoff), 0.3f);
    EXPECT_TRUE(instrument->writeCurrentProgram());
    EXPECT_FLOAT_EQ(instrument->getProgramParameter(6, kCutoff), 0.6f);
}

TEST_F(InstrumentTest, EveryRealChangeExceptTheWheelsMarksTheProgramEdited)
{
    for (int index = 0; index < kParameterCount; ++index) {
        if (parameterDescriptor(index).offset == 0)
            continue;
        instrument->writeProgramAndSelect(0); // clears the flag without a resend
        ASSERT_FALSE(instrument->isEdited());
        const float other = value(index) < 0.5f ? 1.0f : 0.0f;
        instrument->applyParameter(index, other, 0, false);
        EXPECT_EQ(instrument->isEdited(), index != 30 && index != 31) << index;
    }
}

TEST_F(InstrumentTest, TheMuteEndClearsNotesPlayedAndRecordsTheChord)
{
    resumeSettled();
    midi({{0, 0x90, 60, 100}});
    EXPECT_TRUE(instrument->notesPlayedSinceProgramSent());
    instrument->applyParameter(33, 0.0f, 0, false); // Chord: a key-assign change mutes too
    instrument->setParameter(kCutoff, 0.2f);
    EXPECT_EQ(instrument->programFade().state(), State::Muted);
    render(882);
    EXPECT_EQ(instrument->programFade().state(), State::FadingIn);
    EXPECT_FALSE(instrument->notesPlayedSinceProgramSent());
    EXPECT_EQ(instrument->getEngine()->Settings().keyAssign, kKeyAssignChord);
    // In Chord mode the engine's chord is kept with the program.
    EXPECT_EQ(instrument->editBuffer().chordMemoryCount, 128);
}
