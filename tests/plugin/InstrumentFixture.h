// A CSorlVst made as the entry point makes it, with a scripted host callback and
// the editor notifications recorded.
#pragma once

#include "SorlVst.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sorrel::test {

class RecordingInstrument : public CSorlVst {
public:
    using CSorlVst::CSorlVst;

    void notifyParameterChanged(VstInt32 index, float value, bool) override { notified.emplace_back(index, value); }

    std::vector<std::pair<int, float>> notified;
};

// Answers what the plug-in asks at creation; the product string is settable per test.
struct ScriptedHost {
    static inline std::string productString = "test-host";
    static inline VstTimeInfo timeInfo{};
    static inline bool timeInfoAvailable = false;

    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
    {
        switch (opcode) {
        case audioMasterVersion:
            return 2400;
        case audioMasterGetProductString:
            productString.copy(static_cast<char*>(ptr), 63);
            return 1;
        case audioMasterGetTime:
            return timeInfoAvailable ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
        default:
            return 0;
        }
    }
};

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override { instrument = make(); }
    void TearDown() override { ScriptedHost::productString = "test-host"; }

    static std::unique_ptr<RecordingInstrument> make()
    {
        auto made = std::make_unique<RecordingInstrument>(&ScriptedHost::callback);
        EXPECT_TRUE(made->initialize());
        made->notified.clear();
        return made;
    }

    void render(int frames)
    {
        std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
        float* outputs[2] = {left.data(), right.data()};
        instrument->processReplacing(nullptr, outputs, frames);
    }

    float value(int index) { return instrument->getParameter(index); }

    std::unique_ptr<RecordingInstrument> instrument;
};

} // namespace sorrel::test
