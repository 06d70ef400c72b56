#include "CallbackRouter.h"
#include "FakeSynthFixture.h"
#include "HostContext.h"
#include "VstPlugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace sorrel::host {
namespace {

using ::testing::ElementsAre;
using test::observe;
using test::StereoBlock;

TEST(HostCallback, EachInstanceGetsItsOwnAnswersWhileBeingCreated)
{
    VstPlugin first(FAKE_SYNTH_PATH, {.version = 2400, .productString = "first host", .vendorVersion = 11});
    VstPlugin second(FAKE_SYNTH_PATH, {.version = 2300, .productString = "second host", .vendorVersion = 22});

    // Version comes with a null record, the strings with a record whose user is not set yet.
    EXPECT_EQ(observe(first).hostVersion, 2400);
    EXPECT_STREQ(observe(first).hostProduct, "first host");
    EXPECT_EQ(observe(first).hostVendorVersion, 11);
    EXPECT_EQ(observe(second).hostVersion, 2300);
    EXPECT_STREQ(observe(second).hostProduct, "second host");
    EXPECT_EQ(observe(second).hostVendorVersion, 22);
    EXPECT_STREQ(observe(second).hostVendor, "sorrel");
}

TEST(HostCallback, HostStringsAreCutToTheirSixtyFourBytes)
{
    VstPlugin plugin(FAKE_SYNTH_PATH, {.productString = std::string(100, 'p')});
    EXPECT_EQ(std::string(observe(plugin).hostProduct), std::string(63, 'p'));
}

TEST(HostCallback, CallsFromAnUnknownRecordAnswerZero)
{
    AEffect stranger{};
    EXPECT_EQ(CallbackRouter::callback(&stranger, audioMasterVersion, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(CallbackRouter::callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 0);
}

TEST(HostContext, AnswersCanDoOnlyForWhatTheHostSupports)
{
    HostContext host;
    const char* supported[] = {"sendVstEvents",    "sendVstMidiEvent",    "sendVstTimeInfo",
                               "receiveVstEvents", "receiveVstMidiEvent", "sizeWindow"};
    for (const char* text : supported) {
        EXPECT_EQ(host.answer(audioMasterCanDo, 0, 0, const_cast<char*>(text), 0.0f), 1) << text;
    }
    EXPECT_EQ(host.answer(audioMasterCanDo, 0, 0, const_cast<char*>("sendVstEventsPlease"), 0.0f), 0);
    EXPECT_EQ(host.answer(audioMasterCanDo, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(host.answer(99, 1, 2, nullptr, 3.0f), 0);

    VstPlugin plugin(FAKE_SYNTH_PATH);
    plugin.open(44100.0, 512);
    EXPECT_EQ(observe(plugin).canDoSendVstTimeInfo, 1);
    EXPECT_EQ(observe(plugin).canDoUnknown, 0);
}

VstIntPtr editParameter(VstPlugin& plugin, VstIntPtr parameter, float value)
{
    return plugin.dispatch(fake_synth::kProbeOpcode, fake_synth::kEditParameter, parameter, nullptr, value);
}

TEST(HostCallback, EditsAreRecordedInOrderOnTheInstanceThatMadeThem)
{
    VstPlugin a(FAKE_SYNTH_PATH);
    VstPlugin b(FAKE_SYNTH_PATH);
    editParameter(a, 1, 0.25f);
    editParameter(b, 2, 0.75f);
    a.dispatch(fake_synth::kProbeOpcode, fake_synth::kResizeWindow, 300, nullptr, 200.0f);

    EXPECT_THAT(a.host().calls(), ElementsAre(HostCall{audioMasterBeginEdit, 1, 0, 0.0f},
                                              HostCall{audioMasterAutomate, 1, 0, 0.25f},
                                              HostCall{audioMasterEndEdit, 1, 0, 0.0f},
                                              HostCall{audioMasterSizeWindow, 300, 200, 0.0f}));
    EXPECT_THAT(b.host().calls(), ElementsAre(HostCall{audioMasterBeginEdit, 2, 0, 0.0f},
                                              HostCall{audioMasterAutomate, 2, 0, 0.75f},
                                              HostCall{audioMasterEndEdit, 2, 0, 0.0f}));
    a.host().clearCalls();
    EXPECT_TRUE(a.host().calls().empty());
    EXPECT_EQ(b.host().calls().size(), 3u);
}

TEST(HostCallback, ConcurrentCallsFromTwoThreadsStayWithTheirInstances)
{
    constexpr int kEdits = 2000;
    VstPlugin a(FAKE_SYNTH_PATH);
    VstPlugin b(FAKE_SYNTH_PATH);
    auto edit = [](VstPlugin& plugin, VstIntPtr parameter) {
        for (int i = 0; i < kEdits; ++i) {
            editParameter(plugin, parameter, 0.5f);
        }
    };
    std::thread first(edit, std::ref(a), 1);
    std::thread second(edit, std::ref(b), 2);
    first.join();
    second.join();

    for (auto [plugin, parameter] : {std::pair{&a, 1}, std::pair{&b, 2}}) {
        const std::vector<HostCall> calls = plugin->host().calls();
        EXPECT_EQ(calls.size(), 3u * kEdits);
        EXPECT_TRUE(std::all_of(calls.begin(), calls.end(), [&](const HostCall& call) { return call.index == parameter; }));
    }
}

class TimeInfo : public ::testing::Test {
protected:
    TimeInfo() { plugin_.open(44100.0, 512); }

    const VstTimeInfo& renderAndObserve()
    {
        plugin_.processReplacing(block_.channels(), 512);
        return observe(plugin_).lastTime;
    }

    VstPlugin plugin_{FAKE_SYNTH_PATH};
    StereoBlock block_{512};
};

TEST_F(TimeInfo, PositionAdvancesWithRenderedFrames)
{
    EXPECT_EQ(renderAndObserve().samplePos, 0.0);
    plugin_.process(block_.channels(), 512);
    const VstTimeInfo& time = renderAndObserve();
    EXPECT_TRUE(observe(plugin_).timeAnswered);
    EXPECT_EQ(time.samplePos, 1024.0);
    EXPECT_EQ(time.sampleRate, 44100.0);
    EXPECT_EQ(time.tempo, 120.0);
    EXPECT_DOUBLE_EQ(time.ppqPos, 1024.0 / 44100.0 * 2.0);
    EXPECT_EQ(time.flags, kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying);
    EXPECT_EQ(time.timeSigNumerator, 4);
    EXPECT_EQ(time.timeSigDenominator, 4);
}

TEST_F(TimeInfo, TempoAndFlagsAreSettable)
{
    plugin_.host().setTempo(93.5);
    plugin_.host().setTimeFlags(kVstTempoValid);
    const VstTimeInfo& time = renderAndObserve();
    EXPECT_EQ(time.tempo, 93.5);
    EXPECT_EQ(time.flags, kVstTempoValid);
}

TEST_F(TimeInfo, SwitchedOffTimeInfoAnswersZero)
{
    plugin_.host().setTimeInfoAvailable(false);
    renderAndObserve();
    EXPECT_FALSE(observe(plugin_).timeAnswered);
    EXPECT_EQ(observe(plugin_).timeAsked, 1);
}

TEST(HostTransport, TempoChangeBendsTheMusicalPositionWithoutAJump)
{
    HostTransport transport(44100.0, 120.0, kVstPpqPosValid, true);
    transport.advance(44100 * 3); // 6 quarter notes
    transport.setTempo(60.0);
    EXPECT_DOUBLE_EQ(transport.timeInfo()->ppqPos, 6.0);
    transport.advance(44100);
    EXPECT_DOUBLE_EQ(transport.timeInfo()->ppqPos, 7.0);
    EXPECT_DOUBLE_EQ(transport.timeInfo()->barStartPos, 4.0);
    transport.setSamplePosition(44100.0 * 10);
    EXPECT_DOUBLE_EQ(transport.timeInfo()->ppqPos, 10.0);
}

} // namespace
} // namespace sorrel::host
