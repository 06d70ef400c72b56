// The arpeggiator: plays the held or latched keys one at a time, rising,
// falling or both over one, two or six octaves, stepped by its own clock or
// by ticks from the plug-in. Each step releases the previous note and
// starts the next through the key assign, so in Poly mode the notes rotate
// through the slots and in Unison and Chord modes they retrigger the stack.
#pragma once

#include <array>
#include <cstdint>

#include "SorlKeyTables.h"
#include "SorlSettings.h"

class CSorlKeyAssign;
class CSorlModulationGenerator;
class CSorlVoices;

class CSorlArpeggiator {
public:
    enum Pattern : int { kUp, kDown, kUpDown };
    using KeyTable = std::array<std::int32_t, SorlKeyTables::kKeys>;

    CSorlArpeggiator(SorlSettings& settings, CSorlKeyAssign& keyAssign, const CSorlVoices& voices,
                     CSorlModulationGenerator& mg);

    // Once per sample; lampDecrement is 10 / fs.
    void ClockStep(float lampDecrement);
    void SetExternalClock(bool on) { externalClock_ = on; }
    void Tick() { tickPending_ = true; }

    // Handlers.
    void SetOn(bool on);
    void SetLatch(bool on);
    void LimitOctave();    // after the range changed
    void ResumeAtLastKey(); // after the pattern changed

    // A key going down while the arpeggiator is on, before the key assign
    // records it.
    void KeyDown(int key, int velocity);
    // All notes off without a latched arpeggio, all sound off, and the
    // layout initialisation: the pattern starts afresh.
    void ResetCounters();

    bool ExternalClock() const { return externalClock_; }
    bool TickPending() const { return tickPending_; }
    float Lamp() const { return lampCountdown_ >= 0.0f ? 1.0f : 0.0f; }
    int SlotCounter() const { return slotCounter_; }

private:
    struct Found {
        int key = 0;
        int octave = 1;
    };

    void Step();
    // Whether a key to play was found in table; the search never loops
    // without end, even when the only key held is one Up never reaches.
    bool FindNext(const KeyTable& table, Found& found);
    bool NextUp(const KeyTable& table);
    bool NextDown(const KeyTable& table);
    // True when a key is found or the pattern turns.
    bool NextUpDown(const KeyTable& table);
    void ReleaseCurrent();
    void ResetScan();
    void CollectHeldKeys();

    SorlSettings& settings_;
    CSorlKeyAssign& keyAssign_;
    const CSorlVoices& voices_;
    CSorlModulationGenerator& mg_;
    SorlKeyTables& keys_;

    bool externalClock_ = false;
    bool tickPending_ = false;
    float clockPhase_ = 0.0f;
    int position_ = 0;
    int lastKey_ = 0;
    int octave_ = 1;
    bool falling_ = false;
    int slotCounter_ = 0;
    float lampCountdown_ = -1.0f;
};
