// Turns key events into voice starts and releases under the key-assign mode
// (Poly, Unison, Chord memory) with Hold on top: which key holds which note
// slot, voice stealing when the slots run out, releasing, the chord capture
// and the voice layout rebuild. Mode, hold and the layout requests are read
// from and written to the engine's settings.
#pragma once

#include "SorlChordMemory.h"
#include "SorlKeyRecords.h"
#include "SorlKeyTables.h"
#include "SorlSettings.h"

class CSorlVoices;

class CSorlKeyAssign {
public:
    static constexpr int kMaxVelocity = 127;
    static constexpr int kAllKeys = -1;

    CSorlKeyAssign(SorlSettings& settings, CSorlVoices& voices);

    // velocity 1..127
    void KeyDown(int key, int velocity);
    void KeyUp(int key);
    void AllNotesOff();
    // Clears the key assignment and fades every sounding voice out quickly.
    void AllSoundOff();

    // Switching Hold off releases the notes whose keys went up meanwhile.
    void SetHold(bool on);
    // Does nothing when mode is already selected.
    void SelectMode(SorlKeyAssign mode);
    void SetUnisonDetune(float value);
    // Applies the requested voice counts: every voice goes silent at once
    // and the key records start afresh. Held keys stay in the key tables.
    void RebuildLayout();
    void ClearKeyTables();

    // Voice start and release in the current mode, also for the arpeggiator.
    // In Unison and Chord modes the slot plays no role.
    void StartVoices(int note, int velocity, int slot);
    void ReleaseSlot(int slot);
    void ReleaseAll();

    CSorlChordMemory& ChordMemory() { return chord_; }
    const CSorlChordMemory& ChordMemory() const { return chord_; }
    const CSorlKeyRecords& Records() const { return records_; }
    const SorlKeyTables& Keys() const { return keys_; }
    // The arpeggiator keeps its latched keys here too.
    SorlKeyTables& Keys() { return keys_; }

private:
    SorlKeyAssign Mode() const { return static_cast<SorlKeyAssign>(settings_.keyAssign); }
    void RebuildRecords();
    // Marks the active records of the key, or all of them for kAllKeys.
    void MarkActive(int key);
    void ReleaseMarked();
    void CaptureChord();
    void ApplyDetune();

    SorlSettings& settings_;
    CSorlVoices& voices_;
    CSorlKeyRecords records_;
    SorlKeyTables keys_;
    CSorlChordMemory chord_;
};
