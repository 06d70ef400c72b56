// An engine whose keys are played through the event queue, one event per
// rendered sample, with helpers to read voices and key lists back.
#pragma once

#include <vector>

#include "EngineFixture.h"
#include "SorlParameterTable.h"

class VoiceTest : public EngineTest {
protected:
    void SetLayout(int total, int unison)
    {
        engine->SetParameter(0, kInputVoicesTotal, static_cast<float>(total - 1) / 32.0f);
        engine->SetParameter(0, kInputVoicesUnison, static_cast<float>(unison - 1) / 16.0f);
    }

    void SetMode(SorlEngineInput mode) { engine->SetParameter(0, mode, 1.0f); }
    void SetHold(bool on) { engine->SetParameter(0, kInputHold, on ? 1.0f : 0.0f); }

    void Press(int key, int velocity = 100)
    {
        engine->QueueNote(0, key, velocity);
        RenderBlock(1);
    }

    void Lift(int key)
    {
        engine->QueueNoteOff(0, key, 0);
        RenderBlock(1);
    }

    void AllNotesOff()
    {
        engine->QueueAllNotesOff(0);
        RenderBlock(1);
    }

    void AllSoundOff()
    {
        engine->QueueAllSoundOff(0);
        RenderBlock(1);
    }

    SorlVoiceView Voice(int voice) const { return engine->Voice(voice); }
    int State(int voice) const { return Voice(voice).state; }

    // The note a voice plays now, or will play once its steal fade ends.
    int NoteOf(int voice) const
    {
        const SorlVoiceView view = Voice(voice);
        return view.state == kEnvelopeSteal ? view.pendingNote : view.note;
    }

    bool Sounding(int voice) const
    {
        const int state = State(voice);
        return state == kEnvelopeAttack || state == kEnvelopeSteal;
    }

    std::vector<int> List(const SorlKeyList& list, int SorlKeyRecord::*field) const
    {
        const CSorlKeyRecords& records = engine->KeyRecords();
        std::vector<int> values;
        for (int r = list.head; r != CSorlKeyRecords::kNone && values.size() <= CSorlKeyRecords::kCount;
             r = records[r].next) {
            values.push_back(records[r].*field);
        }
        return values;
    }

    std::vector<int> ActiveKeys() const { return List(engine->KeyRecords().ActiveList(), &SorlKeyRecord::key); }
    std::vector<int> ActiveSlots() const { return List(engine->KeyRecords().ActiveList(), &SorlKeyRecord::index); }
    std::vector<int> FreeSlots() const { return List(engine->KeyRecords().FreeList(), &SorlKeyRecord::index); }
};
