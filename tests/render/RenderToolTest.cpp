// sorrel-render run as a user runs it: exit codes, messages, and the files it
// writes (or leaves alone).
#include "CommandRun.h"
#include "RenderTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <sndfile.h>

namespace sorrel::render {
namespace {

using test::midiFile;
using test::TrackBytes;
using ::testing::ContainsRegex;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using sorrel::test::RunResult;

RunResult renderTool(const std::vector<std::string>& arguments)
{
    return sorrel::test::runCommand(SORREL_RENDER_PATH, arguments);
}

// Two seconds at 120 bpm: a C major chord with pitch bend and modulation.
test::Bytes shortSong()
{
    return midiFile(0, 480,
                    {TrackBytes()
                         .tempo(0, 500000)
                         .event(0, {0x90, 60, 100})
                         .event(0, {64, 100})
                         .event(0, {67, 100})
                         .event(480, {0xE0, 0x00, 0x50})
                         .event(0, {0xB0, 1, 80})
                         .event(960, {0x80, 60, 0})
                         .event(0, {64, 0})
                         .event(0, {67, 0})
                         .end(480)
                         .bytes()});
}

class RenderTool : public ::testing::Test {
protected:
    test::TempDir dir_;
    std::string song_ = dir_.write("song.mid", shortSong());
    std::string output_ = dir_.file("out.wav");
};

TEST_F(RenderTool, RendersThroughTheBuildsSorrelByDefault)
{
    const RunResult run = renderTool({song_, "-o", output_, "--sr", "48000"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const test::AudioFile audio = test::readAudio(output_);
    EXPECT_EQ(audio.sampleRate, 48000);
    EXPECT_EQ(audio.channels, 2);
    // Two seconds of song, then a tail that ends after half a second of
    // silence or at its five-second bound.
    EXPECT_GE(audio.frames, 2 * 48000 + 24000);
    EXPECT_LE(audio.frames, 7 * 48000);
    EXPECT_TRUE(std::all_of(audio.samples.begin(), audio.samples.end(), [](float s) { return std::isfinite(s); }));
    const float peak = std::accumulate(audio.samples.begin(), audio.samples.end(), 0.0f,
                                       [](float m, float s) { return std::max(m, std::fabs(s)); });
    EXPECT_GT(peak, 0.01f);
    EXPECT_THAT(run.output, ContainsRegex("rendered [0-9.]+ s at 48000 Hz, [0-9.]+ s CPU in process calls \\(.*\\); "
                                          "peak L -?[0-9.]+ R -?[0-9.]+ dBFS, RMS L .* dBFS\n"));
}

TEST_F(RenderTool, PlaysAmsynth)
{
    if (!std::filesystem::exists(AMSYNTH_PATH)) {
        GTEST_SKIP() << "amsynth is not installed (" << AMSYNTH_PATH << "); the Debian package amsynth provides it";
    }
    const RunResult run = renderTool({"--plugin", AMSYNTH_PATH, song_, "-o", output_, "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_THAT(run.output, Not(HasSubstr("rendered")));
    const test::AudioFile audio = test::readAudio(output_);
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_GE(audio.frames, 2 * 44100 + 22050);
    EXPECT_LE(audio.frames, 7 * 44100);
    const float peak = std::abs(*std::max_element(audio.samples.begin(), audio.samples.end(),
                                                  [](float a, float b) { return std::abs(a) < std::abs(b); }));
    EXPECT_GT(peak, 0.01f);
}

struct FormatCase {
    const char* file;
    const char* format;
    int sndfileFormat;
};

class OutputFormats : public RenderTool, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(OutputFormats, FollowTheExtensionAndTheFormatOption)
{
    const std::string output = dir_.file(GetParam().file);
    std::vector<std::string> arguments{"--plugin", FAKE_SYNTH_PATH, song_, "-o", output, "--tail", "0"};
    if (*GetParam().format != '\0') {
        arguments.insert(arguments.end(), {"--format", GetParam().format});
    }
    const RunResult run = renderTool(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    SF_INFO info{};
    SNDFILE* file = sf_open(output.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    EXPECT_EQ(info.format, GetParam().sndfileFormat);
    EXPECT_EQ(info.frames, 2 * 44100);
    // The fake synth plays far beyond full scale.
    EXPECT_THAT(run.output, HasSubstr("warning: the output clipped"));
}

INSTANTIATE_TEST_SUITE_P(Table, OutputFormats,
                         ::testing::Values(FormatCase{"a.wav", "", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
                                           FormatCase{"b.WAV", "16", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                                           FormatCase{"c.wav", "float", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                           FormatCase{"d.flac", "16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                           FormatCase{"e.flac", "24", SF_FORMAT_FLAC | SF_FORMAT_PCM_24}));

TEST_F(RenderTool, SetsParametersByNameInAnyCaseOrByIndex)
{
    for (const char* setting : {"LeVeL=0.25", "0=0.25", " level =0.25"}) {
        const RunResult run = renderTool(
            {"--plugin", FAKE_SYNTH_PATH, song_, "-o", output_, "--format", "float", "--tail", "0", "--param", setting});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const test::AudioFile audio = test::readAudio(output_);
        // Level plus the chord's note numbers 60 + 64 + 67, on the left.
        EXPECT_EQ(audio.samples[0], 0.25f + 191.0f) << setting;
        EXPECT_EQ(audio.samples[2 * (44100 * 3 / 2)], 0.25f) << setting;
    }
}

TEST_F(RenderTool, ListsParametersWithoutRendering)
{
    const RunResult run = renderTool({"--plugin", FAKE_SYNTH_PATH, "--list-params", "--param", "cutoff=0.1"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_THAT(run.output, ContainsRegex("index +name +display +label\n"));
    EXPECT_THAT(run.output, ContainsRegex("1 +Cutoff +2000 +Hz\n"));
    EXPECT_THAT(run.output, ContainsRegex("2 +Mode +Saw\n"));
    EXPECT_THAT(dir_.entries(), ElementsAre("song.mid"));
}

TEST_F(RenderTool, InfoDescribesThePluginAndTheSong)
{
    const RunResult run = renderTool({"--plugin", FAKE_SYNTH_PATH, "--info", song_});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("Unique ID    'FkSy'\n"));
    EXPECT_THAT(run.output, HasSubstr("Format       0, 1 tracks, 480 ticks per quarter note\n"));
    EXPECT_THAT(run.output, HasSubstr("Length       2.000 s (1920 ticks)\n"));
}

TEST_F(RenderTool, LoadsAProgramFileThePluginAccepts)
{
    test::Bytes file{'C', 'c', 'n', 'K', 0, 0, 0, 0, 'F', 'P', 'C', 'h', 0, 0, 0, 1, 'C', 'h', 'S', 'y', 0, 0, 0, 1, 0, 0, 0, 0};
    file.resize(file.size() + 28, 0);
    file.insert(file.end(), {0, 0, 0, 4, 'g', 'o', 'o', 'd'});
    const std::string good = dir_.write("good.fxp", file);
    const RunResult run = renderTool({"--plugin", CHUNK_SYNTH_PATH, "--fxp", good, song_, "-o", output_});
    ASSERT_EQ(run.exitCode, 0) << run.output;

    file.back() = '?';
    const std::string bad = dir_.write("bad.fxp", file);
    const RunResult refused = renderTool({"--plugin", CHUNK_SYNTH_PATH, "--fxp", bad, song_, "-o", dir_.file("x.wav")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.output, HasSubstr("'" + bad + "': the plug-in refused the program chunk"));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("x.wav")));
}

struct FailureCase {
    const char* name;
    std::vector<std::string> arguments; // "SONG" stands for a good MIDI file, "DIR/" for the test folder
    int exitCode;
    const char* message;
};

class RenderToolFails : public RenderTool, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RenderToolFails, WithAReasonAndWithoutWritingAnything)
{
    std::vector<std::string> arguments{"-o", output_};
    for (std::string argument : GetParam().arguments) {
        if (argument == "SONG") {
            argument = song_;
        } else if (argument.starts_with("DIR/")) {
            argument = dir_.file(argument.substr(4));
        }
        arguments.push_back(argument);
    }
    dir_.write("text.mid", {'h', 'e', 'l', 'l', 'o'});
    test::Bytes cut = shortSong();
    cut.resize(30);
    dir_.write("cut.mid", cut);

    const RunResult run = renderTool(arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.output;
    EXPECT_THAT(run.output, HasSubstr(GetParam().message));
    EXPECT_THAT(dir_.entries(), ElementsAre("cut.mid", "song.mid", "text.mid"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RenderToolFails,
    ::testing::Values(
        FailureCase{"MissingInput", {"DIR/none.mid"}, 1, "cannot read MIDI file '"},
        FailureCase{"NotAMidiFile", {"DIR/text.mid"}, 1, "not a Standard MIDI File"},
        FailureCase{"TruncatedMidiFile", {"DIR/cut.mid"}, 1, "truncated: the file ends at byte 30, inside track 1"},
        FailureCase{"MissingPlugin", {"SONG", "--plugin", "DIR/none.so"}, 1, "cannot load plug-in"},
        FailureCase{"NoEntryPoint", {"SONG", "--plugin", NO_ENTRY_PATH}, 1, "exports neither VSTPluginMain nor main"},
        FailureCase{"NotAnInstrument", {"SONG", "--plugin", CHUNK_EFFECT_PATH}, 1, "is not an instrument"},
        FailureCase{"UnknownParameter", {"SONG", "--plugin", FAKE_SYNTH_PATH, "--param", "Reverb=0.5"}, 1,
                    "the plug-in has no parameter named 'Reverb'"},
        FailureCase{"ParameterIndexTooHigh", {"SONG", "--plugin", FAKE_SYNTH_PATH, "--param", "3=0.5"}, 1,
                    "parameter index 3 is outside 0 to 2"},
        FailureCase{"ValueAboveOne", {"SONG", "--plugin", FAKE_SYNTH_PATH, "--param", "Level=1.01"}, 2,
                    "--param Level=1.01: the value is outside 0 to 1"},
        FailureCase{"ProgramTooHigh", {"SONG", "--plugin", FAKE_SYNTH_PATH, "--program", "2"}, 1,
                    "--program 2 is outside 0 to 1"},
        FailureCase{"ChunkForAPluginWithoutChunks", {"SONG", "--plugin", FAKE_SYNTH_PATH, "--fxp", "DIR/song.mid"}, 1,
                    "not a VST program or bank file"},
        FailureCase{"MissingBank", {"SONG", "--bank", "DIR/none.fxb"}, 1, "cannot read bank file '"},
        FailureCase{"SampleRateTooLow", {"SONG", "--sr", "8000"}, 2, "--sr 8000 is outside 22050 to 192000"},
        FailureCase{"BlockTooLarge", {"SONG", "--block", "8193"}, 2, "--block 8193 is outside 1 to 8192"},
        FailureCase{"UnknownOption", {"SONG", "--loud"}, 2, "unknown option '--loud'"},
        FailureCase{"NoInput", {}, 2, "no input MIDI file given"},
        FailureCase{"UnknownExtension", {"SONG", "-o", "DIR/out.mp3"}, 1, "use .wav or .flac"},
        FailureCase{"FloatFlac", {"SONG", "-o", "DIR/out.flac", "--format", "float"}, 1, "FLAC holds 16- or 24-bit"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace sorrel::render
