// A CSorlVst made as the entry point makes it, with a scripted host callback and
// the editor notifications recorded.
#pragma once

#include "DataFolders.h"
#include "SorlDsp.h"
#include "SorlVst.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sorrel::test {

// Keeps the editor notifications other than parameter changes, as text.
struct RecordingListener : CM4417VstListener {
    void OnProgramChanged(int program, bool) override { log("program " + std::to_string(program)); }
    void OnProgramNameChanged(const char* name, bool) override { log(std::string("name ") + name); }
    void OnControllerAssigned(int parameter, int controller) override
    {
        log("assigned " + std::to_string(parameter) + " " + std::to_string(controller));
    }
    void OnModifiedChanged(bool edited) override { log(edited ? "edited" : "unedited"); }
    void OnNoteOn(int key, int velocity) override { log("on " + std::to_string(key) + " " + std::to_string(velocity)); }
    void OnNoteOff(int key) override { log("off " + std::to_string(key)); }
    void OnControlChangeReceived(int controller, int value) override
    {
        log("cc " + std::to_string(controller) + " " + std::to_string(value));
    }
    void OnAllSoundOff() override { log("all sound off"); }
    void OnAllNotesReset() override { log("all notes reset"); }
    void OnProgramWritten(int program) override { log("written " + std::to_string(program)); }
    void OnGlobalChanged(int index, float value, bool) override { globals.emplace_back(index, value); }
    void OnChunkLoading() override { log("chunk loading"); }
    void OnProgramsReloaded() override { log("programs reloaded"); }

    void log(std::string entry) { entries.push_back(std::move(entry)); }
    bool saw(const std::string& entry) const
    {
        for (const std::string& seen : entries)
            if (seen == entry)
                return true;
        return false;
    }

    std::vector<std::string> entries;
    std::vector<std::pair<int, float>> globals;
};

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
    static inline int updateDisplayCalls = 0;

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
        case audioMasterUpdateDisplay:
            ++updateDisplayCalls;
            return 1;
        default:
            return 0;
        }
    }
};

class InstrumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        instrument = make();
        instrument->setListener(&editor);
    }
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

    // One processEvents call with these MIDI messages at their frame offsets.
    struct Midi {
        VstInt32 offset;
        std::uint8_t status;
        std::uint8_t data1;
        std::uint8_t data2;
    };
    void midi(std::initializer_list<Midi> messages)
    {
        std::vector<VstMidiEvent> records;
        for (const Midi& m : messages) {
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof event;
            event.deltaFrames = m.offset;
            event.midiData[0] = static_cast<char>(m.status);
            event.midiData[1] = static_cast<char>(m.data1);
            event.midiData[2] = static_cast<char>(m.data2);
            records.push_back(event);
        }
        std::vector<std::byte> block(sizeof(VstEvents) + records.size() * sizeof(VstEvent*));
        auto* events = reinterpret_cast<VstEvents*>(block.data());
        events->numEvents = static_cast<VstInt32>(records.size());
        for (size_t i = 0; i < records.size(); ++i)
            events->events[i] = reinterpret_cast<VstEvent*>(&records[i]);
        instrument->processEvents(events);
    }

    // Resumed and rendered until the start-up mute is over, with an empty event queue.
    void resumeSettled()
    {
        instrument->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
        render(4096);
        ASSERT_EQ(instrument->getEngine()->PendingEventCount(), 0u);
    }

    std::uint32_t pendingEvents() { return instrument->getEngine()->PendingEventCount(); }

    // First, so that no instance of a test meets the real default files.
    DataFolders folders;
    std::unique_ptr<RecordingInstrument> instrument;
    RecordingListener editor;
};

} // namespace sorrel::test
