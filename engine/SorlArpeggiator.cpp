#include "SorlArpeggiator.h"

#include <algorithm>

#include "SorlKeyAssign.h"
#include "SorlModulationGenerator.h"
#include "SorlVoices.h"

namespace {

constexpr int kTopKey = 127;
constexpr int kOctave = 12;
// Up never looks at the top key, so a table holding only that key is
// searched this often before the step gives up.
constexpr int kSearchesPerOctave = SorlKeyTables::kKeys;

} // namespace

CSorlArpeggiator::CSorlArpeggiator(SorlSettings& settings, CSorlKeyAssign& keyAssign, const CSorlVoices& voices,
                                   CSorlModulationGenerator& mg)
    : settings_(settings), keyAssign_(keyAssign), voices_(voices), mg_(mg), keys_(keyAssign.Keys())
{
}

void CSorlArpeggiator::ClockStep(float lampDecrement)
{
    lampCountdown_ -= lampDecrement;
    if (externalClock_) {
        if (!tickPending_) {
            return;
        }
        tickPending_ = false;
    } else if (tickPending_) {
        // Key sync: the free clock starts its period again at the tick.
        tickPending_ = false;
        clockPhase_ = 1.0f;
    } else {
        clockPhase_ -= settings_.arpRate;
        if (clockPhase_ > 0.0f) {
            return;
        }
        clockPhase_ += 1.0f;
    }
    Step();
}

void CSorlArpeggiator::Step()
{
    lampCountdown_ = 1.0f; // the lamp shows the clock even while the arpeggiator is off
    if (!settings_.arpOn) {
        return;
    }
    const auto& table = settings_.arpLatch ? keys_.latched : keys_.held;
    const int count = settings_.arpLatch ? keys_.latchedCount : keys_.heldCount;
    Found found;
    if (count == 0 || !FindNext(table, found)) {
        ReleaseCurrent();
        return;
    }
    const int velocity = table[found.key];
    ReleaseCurrent();
    // Octaves above the top of the keyboard play its top note.
    const int note = std::min(found.key + kOctave * (found.octave - 1), kTopKey);
    keyAssign_.StartVoices(note, velocity, slotCounter_);
    mg_.RestartDelay();
}

void CSorlArpeggiator::ReleaseCurrent()
{
    if (settings_.keyAssign != kKeyAssignPoly) {
        keyAssign_.ReleaseAll();
        return;
    }
    // The layout may have shrunk since the counter last moved.
    const int slots = voices_.Layout().notes;
    const int slot = slotCounter_ % slots;
    keyAssign_.ReleaseSlot(slot);
    slotCounter_ = (slot + 1) % slots;
}

bool CSorlArpeggiator::FindNext(const KeyTable& table, Found& found)
{
    const int searches = kSearchesPerOctave * (settings_.arpRange + 1);
    for (int search = 0; search < searches; ++search) {
        bool hit = false;
        switch (settings_.arpMode) {
        case kUp:
            hit = NextUp(table);
            break;
        case kDown:
            hit = NextDown(table);
            break;
        default:
            hit = NextUpDown(table);
            break;
        }
        if (hit) {
            found = {position_, octave_};
            return true;
        }
    }
    return false;
}

bool CSorlArpeggiator::NextUp(const KeyTable& table)
{
    if (++position_ >= kTopKey) {
        position_ = 0;
        octave_ = octave_ + 1 > settings_.arpRange ? 1 : octave_ + 1;
    }
    if (table[position_] == 0) {
        return false;
    }
    lastKey_ = position_;
    return true;
}

bool CSorlArpeggiator::NextDown(const KeyTable& table)
{
    if (--position_ < 0) {
        position_ = kTopKey;
        octave_ = octave_ - 1 < 1 ? settings_.arpRange : octave_ - 1;
    }
    if (table[position_] == 0) {
        return false;
    }
    lastKey_ = position_;
    return true;
}

bool CSorlArpeggiator::NextUpDown(const KeyTable& table)
{
    // At each end the pattern turns and plays the end note once more.
    if (!falling_) {
        if (++position_ >= kTopKey) {
            if (octave_ + 1 > settings_.arpRange) {
                falling_ = true;
                position_ = lastKey_;
                return true;
            }
            ++octave_;
            position_ = 0;
        }
    } else if (--position_ < 0) {
        if (octave_ - 1 < 1) {
            octave_ = 1;
            falling_ = false;
            position_ = lastKey_;
            return true;
        }
        --octave_;
        position_ = kTopKey;
    }
    if (table[position_] == 0) {
        return false;
    }
    lastKey_ = position_;
    return true;
}

void CSorlArpeggiator::KeyDown(int key, int velocity)
{
    if (settings_.arpLatch && keys_.allKeysUp) {
        // The first key after all were let go starts a new latched set.
        keys_.latched.fill(0);
        keys_.latchedCount = 0;
        keyAssign_.ReleaseSlot(0);
        ResetScan();
        keys_.allKeysUp = false;
    } else if (!settings_.arpLatch && keys_.heldCount == 0) {
        keys_.latched.fill(0);
        keys_.latchedCount = 0;
        ResetScan();
    }
    if (keys_.latched[key] == 0) {
        ++keys_.latchedCount;
        keys_.latched[key] = velocity;
    }
}

void CSorlArpeggiator::ResetScan()
{
    if (settings_.arpMode == kDown) {
        position_ = kTopKey;
        falling_ = true;
        octave_ = settings_.arpRange;
    } else {
        position_ = 0;
        falling_ = false;
        octave_ = 1;
    }
}

void CSorlArpeggiator::SetOn(bool on)
{
    settings_.arpOn = on;
    if (on) {
        const bool down = settings_.arpMode == kDown;
        falling_ = down;
        octave_ = down ? settings_.arpRange : 1;
        position_ = 0;
        keyAssign_.ReleaseAll();
        CollectHeldKeys();
    } else {
        keys_.allKeysUp = false;
        position_ = 0;
        octave_ = 1;
        falling_ = false;
        slotCounter_ = 0;
        keyAssign_.ReleaseAll();
    }
}

void CSorlArpeggiator::SetLatch(bool on)
{
    settings_.arpLatch = on;
    if (on) {
        CollectHeldKeys();
    }
}

void CSorlArpeggiator::LimitOctave()
{
    octave_ = std::min(octave_, settings_.arpRange);
}

void CSorlArpeggiator::ResumeAtLastKey()
{
    position_ = lastKey_;
}

void CSorlArpeggiator::ResetCounters()
{
    position_ = 0;
    lastKey_ = 0;
    octave_ = 1;
    falling_ = false;
    slotCounter_ = 0;
}

void CSorlArpeggiator::CollectHeldKeys()
{
    keys_.latched = keys_.held;
    keys_.latchedCount = keys_.heldCount;
}
