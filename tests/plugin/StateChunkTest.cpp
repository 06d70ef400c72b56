// Host chunks: exact round trips, older and damaged chunks, and refusals that leave
// the state alone.
#include "InstrumentFixture.h"

#include "ParameterConversions.h"
#include "ParameterIndices.h"
#include "SharedResources.h"

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace sorrel;
using sorrel::test::InstrumentTest;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kVersionAt = 8;
constexpr std::size_t kFlagsAt = 12;
constexpr std::size_t kTrailerProgramAt = 264192;
constexpr std::size_t kEditAt = 264208;

Bytes chunkOf(CSorlVst& instrument, bool program)
{
    void* data = nullptr;
    const VstInt32 size = instrument.getChunk(&data, program);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return Bytes(bytes, bytes + size);
}

VstInt32 give(CSorlVst& instrument, Bytes bytes, bool program)
{
    return instrument.setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), program);
}

void putInt(Bytes& bytes, std::size_t at, std::int32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

void putFloat(Bytes& bytes, std::size_t at, float value) { std::memcpy(bytes.data() + at, &value, 4); }

// The first 16 bytes with the compressed flag, then a zlib stream of the rest.
Bytes compressed(const Bytes& bank)
{
    uLongf room = compressBound(static_cast<uLong>(bank.size()));
    Bytes packed(16 + room);
    std::copy_n(bank.begin(), 16, packed.begin());
    packed[kFlagsAt] |= 2;
    EXPECT_EQ(compress2(packed.data() + 16, &room, bank.data() + 16, static_cast<uLong>(bank.size() - 16), 9), Z_OK);
    packed.resize(16 + room);
    return packed;
}

// Engine tuning as the engine holds it.
std::vector<float> engineTuning(CSorlVst& instrument)
{
    const SorlSettings& settings = instrument.getEngine()->Settings();
    std::vector<float> tuning{settings.masterTune};
    tuning.insert(tuning.end(), settings.pitchClassOffset.begin(), settings.pitchClassOffset.end());
    return tuning;
}

class StateChunkTest : public InstrumentTest {
protected:
    // Program 3 selected and changed, renamed, a learned controller and a user scale
    // with retuned notes selected: everything a bank carries.
    void editEverything()
    {
        instrument->setProgram(3);
        instrument->setParameter(7, 0.25f);
        instrument->setParameter(kParamMgTimes, 0.4f);
        char name[] = "Edited Lead";
        instrument->setProgramName(name);
        instrument->writeProgram(9);
        instrument->setParameter(8, 0.8f);
        instrument->assignController(7, 30);
        instrument->setGlobalSetting(1, fromStep(4, 16, 0)); // User 2
        instrument->setGlobalSetting(5, fromStep(-20, 199, -99));
        instrument->setGlobalSetting(0, 0.75f);
        ASSERT_TRUE(instrument->isEdited());
    }
};

TEST_F(StateChunkTest, BankRoundTripsByteForByteFromFreshAndEditedInstances)
{
    for (const bool edited : {false, true}) {
        SCOPED_TRACE(edited ? "edited" : "fresh");
        auto source = make();
        instrument.swap(source);
        if (edited)
            editEverything();
        instrument.swap(source);
        const Bytes saved = chunkOf(*source, false);
        ASSERT_EQ(saved.size(), 268304u);

        auto loaded = make();
        ASSERT_EQ(give(*loaded, saved, false), 1);
        EXPECT_EQ(chunkOf(*loaded, false), saved);
        EXPECT_EQ(loaded->getProgram(), source->getProgram());
        EXPECT_EQ(loaded->isEdited(), source->isEdited());
        EXPECT_EQ(std::memcmp(&loaded->editBuffer(), &source->editBuffer(), 2048), 0);
        EXPECT_EQ(std::memcmp(&loaded->compareBuffer(), &source->compareBuffer(), 2048), 0);
        EXPECT_EQ(std::memcmp(&loaded->getGlobalBlock(), &source->getGlobalBlock(), 2048), 0);
        // Times, learned controllers and user scales survive; the tuning sounds as saved.
        EXPECT_FLOAT_EQ(loaded->getParameter(kParamMgTimes), source->getParameter(kParamMgTimes));
        EXPECT_EQ(loaded->getControllerParameter(30), source->getControllerParameter(30));
        EXPECT_EQ(engineTuning(*loaded), engineTuning(*source));
    }
}

TEST_F(StateChunkTest, ProgramChunkRoundTripsIntoTheEditBuffer)
{
    editEverything();
    const Bytes saved = chunkOf(*instrument, true);
    ASSERT_EQ(saved.size(), 2048u);
    EXPECT_EQ(std::memcmp(saved.data(), &instrument->editBuffer(), 2048), 0);

    auto loaded = make();
    ASSERT_EQ(give(*loaded, saved, true), 1);
    EXPECT_EQ(std::memcmp(&loaded->editBuffer(), saved.data(), 2048), 0);
    EXPECT_TRUE(loaded->isEdited());
    EXPECT_EQ(loaded->getProgram(), 0);
}

TEST_F(StateChunkTest, GetChunkReusesOneBufferPerKind)
{
    void* first = nullptr;
    void* second = nullptr;
    instrument->getChunk(&first, false);
    const std::int32_t before = reinterpret_cast<const BankImage*>(first)->program;
    instrument->setProgram(6);
    instrument->getChunk(&second, false);
    EXPECT_EQ(first, second);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(reinterpret_cast<const BankImage*>(first)->program, 6);
    EXPECT_EQ(instrument->getChunk(nullptr, false), 0);
}

TEST_F(StateChunkTest, ShortChunksArePaddedAndLongOnesCut)
{
    editEverything();
    const Bytes saved = chunkOf(*instrument, false);
    for (const std::size_t size : {std::size_t{100000}, std::size_t{300000}}) {
        SCOPED_TRACE(size);
        Bytes resized = saved;
        resized.resize(size, 0xEE);
        auto loaded = make();
        ASSERT_EQ(give(*loaded, resized, false), 1);
        const Bytes result = chunkOf(*loaded, false);
        const std::size_t kept = std::min(size, saved.size());
        // The first 32 slots lie inside 100000 bytes; the trailer and copies do not.
        EXPECT_TRUE(std::equal(result.begin(), result.begin() + kTrailerProgramAt - 96 * 2048, saved.begin()));
        if (size < saved.size()) {
            EXPECT_TRUE(std::all_of(result.begin() + kept, result.begin() + kTrailerProgramAt,
                                    [](std::uint8_t b) { return b == 0; }));
            EXPECT_EQ(loaded->getProgram(), 0);
            EXPECT_FALSE(loaded->isEdited());
            EXPECT_EQ(loaded->editBuffer().name(), "");
        } else {
            EXPECT_EQ(result, saved);
        }
    }
}

TEST_F(StateChunkTest, OlderBankChunksGetTheControllerMapAndHoldUpgrades)
{
    instrument->assignController(7, 30);
    instrument->assignController(32, 64); // Hold from 87 to 64
    const Bytes saved = chunkOf(*instrument, false);
    struct Case {
        std::int32_t version;
        int on30, on64, on87;
    };
    const Case cases[] = {
        {589871, -1, -1, 32}, // the factory map
        {589885, 7, -1, 32},  // Hold moves to 87
        {589886, 7, 32, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Bytes old = saved;
        putInt(old, kVersionAt, c.version);
        auto loaded = make();
        ASSERT_EQ(give(*loaded, old, false), 1);
        EXPECT_EQ(loaded->getControllerParameter(30), c.on30);
        EXPECT_EQ(loaded->getControllerParameter(64), c.on64);
        EXPECT_EQ(loaded->getControllerParameter(87), c.on87);
    }
}

TEST_F(StateChunkTest, Version19ProgramChunkLoadsSixteenTimes)
{
    Bytes old = chunkOf(*instrument, true);
    putInt(old, kVersionAt, 19);
    putFloat(old, 268, 1.0f); // MG Times
    putFloat(old, 168, 0.0f); // Pitch Bend
    ASSERT_EQ(give(*instrument, old, true), 1);
    EXPECT_FLOAT_EQ(instrument->getParameter(kParamMgTimes), 0.0f);
    EXPECT_FLOAT_EQ(instrument->getParameter(kParamPitchBend), 0.5f);
    EXPECT_EQ(instrument->editBuffer().version, 0x01030000);
}

TEST_F(StateChunkTest, CompressedBankChunksAreInflated)
{
    editEverything();
    const Bytes saved = chunkOf(*instrument, false);
    auto loaded = make();
    ASSERT_EQ(give(*loaded, compressed(saved), false), 1);
    EXPECT_EQ(chunkOf(*loaded, false), saved);
    EXPECT_EQ(loaded->DecompressData(nullptr, 100), 0);
}

TEST_F(StateChunkTest, BadChunksAreRefusedAndChangeNothing)
{
    editEverything();
    // Taking a program chunk records the engine's chord memory into the edit buffer.
    const Bytes program = chunkOf(*instrument, true);
    const Bytes saved = chunkOf(*instrument, false);

    std::mt19937 random(7);
    Bytes noise(268304);
    for (std::uint8_t& b : noise)
        b = static_cast<std::uint8_t>(random());
    Bytes garbageFlagged = noise;
    std::memcpy(garbageFlagged.data(), "bolg", 4);
    garbageFlagged[kFlagsAt] |= 2;
    Bytes truncated = compressed(saved);
    truncated.resize(truncated.size() / 2);
    // A valid stream that inflates to far more than the shared buffer holds.
    Bytes bomb = saved;
    bomb.resize(4 * 268304, 0);
    bomb = compressed(bomb);
    Bytes wrongMagic = saved;
    wrongMagic[0] = 'x';
    Bytes programAsBank = program;

    struct Case {
        const char* what;
        Bytes bytes;
        bool program;
    };
    const Case cases[] = {
        {"1 byte", Bytes{1}, false},
        {"15 bytes", Bytes(saved.begin(), saved.begin() + 15), false},
        {"random bytes", noise, false},
        {"random program", Bytes(noise.begin(), noise.begin() + 2048), true},
        {"compressed flag on garbage", garbageFlagged, false},
        {"truncated zlib stream", truncated, false},
        {"zlib bomb", bomb, false},
        {"bank without its magic", wrongMagic, false},
        {"program chunk given as a bank", programAsBank, false},
        {"bank chunk given as a program", saved, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(give(*instrument, c.bytes, c.program), 0);
        EXPECT_EQ(chunkOf(*instrument, false), saved);
        EXPECT_TRUE(instrument->isEdited());
    }
    EXPECT_EQ(instrument->setChunk(nullptr, 2048, true), 0);
    EXPECT_EQ(instrument->setChunk(nullptr, 268304, false), 0);
    Bytes empty = saved;
    EXPECT_EQ(instrument->setChunk(empty.data(), 0, false), 0);
    EXPECT_EQ(instrument->setChunk(empty.data(), -5, false), 0);
    EXPECT_EQ(chunkOf(*instrument, false), saved);
    EXPECT_FALSE(editor.saw("programs reloaded"));
}

TEST_F(StateChunkTest, TrailerProgramOutsideTheBankIsLimited)
{
    Bytes bank = chunkOf(*instrument, false);
    putInt(bank, kTrailerProgramAt, 77);
    ASSERT_EQ(give(*instrument, bank, false), 1);
    EXPECT_EQ(instrument->getProgram(), 31);
}

TEST_F(StateChunkTest, NonFiniteValuesBecomeInitValuesAndTheOutputStaysFinite)
{
    Bytes bank = chunkOf(*instrument, false);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (std::size_t offset = 48; offset < 344; offset += 4)
        putFloat(bank, kEditAt + offset, offset % 8 == 0 ? nan : std::numeric_limits<float>::infinity());
    putFloat(bank, 16, nan); // master tune
    std::memset(bank.data() + kEditAt + 16, 'n', 24);
    ASSERT_EQ(give(*instrument, bank, false), 1);
    const ProgramRecord init = initProgram();
    for (int index = 0; index <= kLastProgramParameter; ++index) {
        if (index != kParamPitchBend && index != kParamModulation) {
            EXPECT_FLOAT_EQ(instrument->getParameter(index), init.value(index)) << index;
        }
    }
    EXPECT_EQ(instrument->editBuffer().name(), std::string(23, 'n'));
    EXPECT_FLOAT_EQ(instrument->getGlobalSetting(0), 0.5f);

    resumeSettled();
    midi({{0, 0x90, 60, 127}, {0, 0x90, 64, 100}});
    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    instrument->processReplacing(nullptr, outputs, 4096);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](float x) { return std::isfinite(x); }));
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](float x) { return std::isfinite(x); }));
}

TEST_F(StateChunkTest, OrchardHubTakesAChunkAsStored)
{
    sorrel::test::ScriptedHost::productString = "OrchardHub";
    auto orchard = make();
    ASSERT_TRUE(orchard->hostIsOrchardHub());
    editEverything();
    ASSERT_EQ(give(*orchard, chunkOf(*instrument, true), true), 1);
    EXPECT_FALSE(orchard->isEdited());
    EXPECT_EQ(std::memcmp(&orchard->compareBuffer(), &orchard->editBuffer(), 2048), 0);
}

} // namespace
