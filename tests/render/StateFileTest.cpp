#include "StateFile.h"

#include "RenderError.h"
#include "RenderTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace sorrel::render {
namespace {

using test::appendBigEndian;
using test::Bytes;
using ::testing::HasSubstr;

constexpr std::size_t kNameBytes = 28;
constexpr std::size_t kBankReservedBytes = 124;

// The common header of every record: 'CcnK', byte size, kind, version, ID, plug-in version.
Bytes header(const char* kind, std::uint32_t version, const char* id)
{
    Bytes bytes;
    appendBigEndian(bytes, static_cast<std::uint32_t>(fourCharCode("CcnK")));
    appendBigEndian(bytes, 0);
    bytes.insert(bytes.end(), kind, kind + 4);
    appendBigEndian(bytes, version);
    bytes.insert(bytes.end(), id, id + 4);
    appendBigEndian(bytes, 1);
    return bytes;
}

void appendName(Bytes& bytes, const std::string& name)
{
    Bytes field(kNameBytes, 0);
    std::copy(name.begin(), name.end(), field.begin());
    bytes.insert(bytes.end(), field.begin(), field.end());
}

void appendChunk(Bytes& bytes, const Bytes& chunk, std::uint32_t announced)
{
    appendBigEndian(bytes, announced);
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
}

Bytes programChunkFile(const char* id, const Bytes& chunk)
{
    Bytes bytes = header("FPCh", 1, id);
    appendBigEndian(bytes, 0);
    appendName(bytes, "Lead");
    appendChunk(bytes, chunk, static_cast<std::uint32_t>(chunk.size()));
    return bytes;
}

Bytes bankPreamble(const char* kind, std::uint32_t version, const char* id, std::uint32_t programs,
                   std::uint32_t current)
{
    Bytes bytes = header(kind, version, id);
    appendBigEndian(bytes, programs);
    appendBigEndian(bytes, current);
    bytes.insert(bytes.end(), kBankReservedBytes, 0);
    return bytes;
}

Bytes bankChunkFile(const char* id, const Bytes& chunk)
{
    Bytes bytes = bankPreamble("FBCh", 2, id, 0, 0);
    appendChunk(bytes, chunk, static_cast<std::uint32_t>(chunk.size()));
    return bytes;
}

Bytes programValuesFile(const char* id, const std::string& name, const std::vector<float>& values)
{
    Bytes bytes = header("FxCk", 1, id);
    appendBigEndian(bytes, static_cast<std::uint32_t>(values.size()));
    appendName(bytes, name);
    for (const float value : values) {
        appendBigEndian(bytes, std::bit_cast<std::uint32_t>(value));
    }
    return bytes;
}

Bytes bankValuesFile(std::uint32_t version, const char* id, const std::vector<Bytes>& programs, std::uint32_t current)
{
    Bytes bytes = bankPreamble("FxBk", version, id, static_cast<std::uint32_t>(programs.size()), current);
    for (const Bytes& program : programs) {
        bytes.insert(bytes.end(), program.begin(), program.end());
    }
    return bytes;
}

const Bytes kChunk{'g', 'o', 'o', 'd', 0, 1, 2, 0xFF};

TEST(StateFile, ReadsProgramAndBankChunks)
{
    const StateFile program = StateFile::parse(programChunkFile("ChSy", kChunk), false);
    EXPECT_EQ(program.kind(), StateKind::ProgramChunk);
    EXPECT_EQ(program.pluginId(), fourCharCode("ChSy"));
    EXPECT_EQ(program.chunk(), kChunk);

    const StateFile bank = StateFile::parse(bankChunkFile("ChSy", kChunk), true);
    EXPECT_EQ(bank.kind(), StateKind::BankChunk);
    EXPECT_EQ(bank.chunk(), kChunk);
}

TEST(StateFile, ReadsParameterValuesOfProgramsAndBanks)
{
    const StateFile program = StateFile::parse(programValuesFile("FkSy", "Warm", {0.25f, 1.0f}), false);
    EXPECT_EQ(program.kind(), StateKind::ProgramParameters);
    ASSERT_EQ(program.programs().size(), 1u);
    EXPECT_EQ(program.programs()[0].name, "Warm");
    EXPECT_EQ(program.programs()[0].values, (std::vector<float>{0.25f, 1.0f}));

    const std::vector<Bytes> programs{programValuesFile("FkSy", "A", {0.1f}), programValuesFile("FkSy", "B", {0.2f})};
    const StateFile bank = StateFile::parse(bankValuesFile(2, "FkSy", programs, 1), true);
    EXPECT_EQ(bank.kind(), StateKind::BankParameters);
    ASSERT_EQ(bank.programs().size(), 2u);
    EXPECT_EQ(bank.programs()[1].name, "B");
    EXPECT_EQ(bank.currentProgram(), 1);
    // Version 1 banks have no current program.
    EXPECT_EQ(StateFile::parse(bankValuesFile(1, "FkSy", programs, 1), true).currentProgram(), 0);
}

struct BadStateFile {
    const char* name;
    Bytes bytes;
    bool bank;
    const char* message;
};

class StateFileRefuses : public ::testing::TestWithParam<BadStateFile> {};

TEST_P(StateFileRefuses, SayingWhy)
{
    try {
        StateFile::parse(GetParam().bytes, GetParam().bank);
        FAIL() << "parsed";
    } catch (const RenderError& error) {
        EXPECT_THAT(error.what(), HasSubstr(GetParam().message));
    }
}

Bytes withChunkSize(std::uint32_t announced)
{
    Bytes bytes = header("FPCh", 1, "ChSy");
    appendBigEndian(bytes, 0);
    appendName(bytes, "");
    appendChunk(bytes, {1, 2, 3, 4}, announced);
    return bytes;
}

Bytes cut(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StateFileRefuses,
    ::testing::Values(
        BadStateFile{"NotAStateFile", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, false, "not a VST program or bank file"},
        BadStateFile{"ProgramAsBank", programChunkFile("ChSy", kChunk), true, "give it with --fxp"},
        BadStateFile{"BankAsProgram", bankChunkFile("ChSy", kChunk), false, "give it with --bank"},
        BadStateFile{"UnknownKind", header("XyZw", 1, "ChSy"), false, "unknown kind of VST file 'XyZw'"},
        BadStateFile{"ChunkLongerThanFile", withChunkSize(100), false,
                     "truncated: the chunk announces 100 bytes but 4 follow"},
        BadStateFile{"CutHeader", cut(programChunkFile("ChSy", kChunk), 20), false,
                     "truncated: the file ends at byte 20, inside a header"},
        BadStateFile{"CutValues", cut(programValuesFile("FkSy", "", {0.5f, 0.5f}), 58), false,
                     "the program announces 2 parameters but the file ends at byte 58"},
        BadStateFile{"ValueAboveOne", programValuesFile("FkSy", "", {0.5f, 1.5f}), false,
                     "sets parameter 1 to 1.500000, outside 0 to 1"},
        BadStateFile{"ValueNotANumber", programValuesFile("FkSy", "", {std::nanf("")}), false, "outside 0 to 1"},
        BadStateFile{"ChunkInsideValueBank", bankValuesFile(2, "FkSy", {programChunkFile("FkSy", kChunk)}, 0), true,
                     "program 0 of the bank is a 'FPCh' record, not 'FxCk'"}),
    [](const auto& info) { return std::string(info.param.name); });

class ApplyStateFile : public ::testing::Test {
protected:
    void apply(host::VstPlugin& plugin, const Bytes& bytes, bool bank)
    {
        StateFile::parse(bytes, bank).applyTo(plugin, warnings_);
    }

    std::string refusal(host::VstPlugin& plugin, const Bytes& bytes, bool bank)
    {
        try {
            apply(plugin, bytes, bank);
        } catch (const RenderError& error) {
            return error.what();
        }
        return "accepted";
    }

    std::ostringstream warnings_;
};

TEST_F(ApplyStateFile, ChunksGoToTheChunkOpcodeWhichMayRefuseThem)
{
    host::VstPlugin plugin(CHUNK_SYNTH_PATH);
    apply(plugin, programChunkFile("ChSy", kChunk), false);
    apply(plugin, bankChunkFile("ChSy", kChunk), true);
    EXPECT_EQ(refusal(plugin, programChunkFile("ChSy", {'b', 'a', 'd', '!'}), false),
              "the plug-in refused the program chunk");
    EXPECT_EQ(refusal(plugin, bankChunkFile("ChSy", {}), true), "the plug-in refused the bank chunk");
    EXPECT_EQ(warnings_.str(), "");
}

TEST_F(ApplyStateFile, ChunkTakenWithAnAnswerOfZeroCountsAsLoaded)
{
    host::VstPlugin plugin(CHUNK_SYNTH_PATH);
    const Bytes chunk{'z', 'e', 'r', 'o', 7};
    apply(plugin, programChunkFile("ChSy", chunk), false);
    // Loading the same chunk again changes nothing, yet the plug-in holds it.
    apply(plugin, programChunkFile("ChSy", chunk), false);
    EXPECT_EQ(StateFile::parse(programChunkFile("ChSy", chunk), false).chunk(), chunk);
}

TEST_F(ApplyStateFile, ChunkForAnotherPluginIdIsHandedOverWithAWarning)
{
    host::VstPlugin plugin(CHUNK_SYNTH_PATH);
    apply(plugin, programChunkFile("Othr", kChunk), false);
    EXPECT_THAT(warnings_.str(), HasSubstr("the file is for plug-in ID 'Othr', this plug-in is 'ChSy'"));
}

TEST_F(ApplyStateFile, ParameterValuesAreSetProgramByProgram)
{
    host::VstPlugin plugin(FAKE_SYNTH_PATH);
    apply(plugin, programValuesFile("FkSy", "Warm", {0.25f, 0.75f}), false);
    EXPECT_EQ(plugin.getParameter(0), 0.25f);
    EXPECT_EQ(plugin.getParameter(1), 0.75f);

    const std::vector<Bytes> programs{programValuesFile("FkSy", "A", {0.1f}), programValuesFile("FkSy", "B", {0.2f})};
    apply(plugin, bankValuesFile(2, "FkSy", programs, 1), true);
    EXPECT_EQ(plugin.dispatch(effGetProgram), 1);
    EXPECT_EQ(plugin.getParameter(0), 0.2f);
}

TEST_F(ApplyStateFile, RefusesWhatThePluginCannotTake)
{
    host::VstPlugin plugin(FAKE_SYNTH_PATH);
    EXPECT_EQ(refusal(plugin, programChunkFile("FkSy", kChunk), false),
              "the plug-in does not take chunks (no program-chunks flag), so it cannot load this file");
    EXPECT_EQ(refusal(plugin, programValuesFile("Othr", "", {0.5f}), false),
              "the file is for plug-in ID 'Othr', this plug-in is 'FkSy'");
    EXPECT_EQ(refusal(plugin, programValuesFile("FkSy", "", {0.5f, 0.5f, 0.5f, 0.5f}), false),
              "the file sets 4 parameters, the plug-in has 3");
    const Bytes program = programValuesFile("FkSy", "", {0.5f});
    EXPECT_EQ(refusal(plugin, bankValuesFile(2, "FkSy", {program, program, program}, 0), true),
              "the bank holds 3 programs, the plug-in has 2");
}

// A chunk amsynth hands out comes back in through a program file.
TEST_F(ApplyStateFile, AmsynthTakesBackItsOwnChunk)
{
    if (!std::filesystem::exists(AMSYNTH_PATH)) {
        GTEST_SKIP() << "amsynth is not installed (" << AMSYNTH_PATH << "); the Debian package amsynth provides it";
    }
    host::VstPlugin plugin(AMSYNTH_PATH);
    plugin.open(44100.0, 512);
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 1, 0, &data);
    ASSERT_GT(size, 0);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    apply(plugin, programChunkFile("amsy", Bytes(bytes, bytes + size)), false);
    EXPECT_EQ(warnings_.str(), "");
}

} // namespace
} // namespace sorrel::render
