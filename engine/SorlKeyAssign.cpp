#include "SorlKeyAssign.h"

#include <algorithm>
#include <array>

#include "SorlVoices.h"

namespace {

constexpr int kMaxNote = 127;

} // namespace

CSorlKeyAssign::CSorlKeyAssign(SorlSettings& settings, CSorlVoices& voices) : settings_(settings), voices_(voices)
{
    RebuildRecords();
}

void CSorlKeyAssign::KeyDown(int key, int velocity)
{
    if (keys_.held[key] == 0) {
        ++keys_.heldCount;
        keys_.held[key] = velocity;
    }

    // A slot whose voice has died away keeps other slots' release tails
    // alive; with no slot free, the oldest key gives its slot up.
    const int record = records_.FreeList().Empty()
                           ? records_.TakeOldest()
                           : records_.TakeFree([this](int slot) { return voices_.IsIdle(slot); });
    // The hold mark stays, so a stolen held note's slot is still released
    // when Hold goes off.
    records_[record].key = key;
    records_[record].velocity = velocity;

    if (!settings_.arpOn) {
        StartVoices(key, velocity, records_[record].index);
    }
}

void CSorlKeyAssign::KeyUp(int key)
{
    // A key-up for a key that is not down leaves the count alone, so that it
    // always matches the table.
    if (keys_.held[key] != 0) {
        keys_.held[key] = 0;
        --keys_.heldCount;
    }
    if (keys_.heldCount <= 0) {
        keys_.heldCount = 0;
        keys_.allKeysUp = true;
    }

    if (settings_.hold) {
        MarkActive(key);
        return;
    }
    int predecessor = CSorlKeyRecords::kNone;
    const int record = records_.FindActive(key, predecessor);
    if (record == CSorlKeyRecords::kNone) {
        return;
    }
    if (!settings_.arpOn) {
        if (Mode() == kKeyAssignPoly) {
            ReleaseSlot(records_[record].index);
        } else if (record == records_.ActiveList().tail) {
            // Only the newest key sounds; letting it go brings back the one
            // pressed before it.
            if (predecessor != CSorlKeyRecords::kNone) {
                StartVoices(records_[predecessor].key, records_[predecessor].velocity, 0);
            } else {
                ReleaseAll();
            }
        }
    }
    records_.Free(record, predecessor);
}

void CSorlKeyAssign::AllNotesOff()
{
    // A latched arpeggio keeps its collected keys.
    if (settings_.arpOn && settings_.arpLatch) {
        keys_.ClearHeld();
    } else {
        keys_.ClearAll();
    }

    if (settings_.hold) {
        MarkActive(kAllKeys);
        return;
    }
    records_.FreeWhere([this](int record) {
        ReleaseSlot(records_[record].index);
        return true;
    });
}

void CSorlKeyAssign::AllSoundOff()
{
    keys_.ClearAll();
    RebuildRecords();
    voices_.FastReleaseAll();
}

void CSorlKeyAssign::SetHold(bool on)
{
    settings_.hold = on;
    if (!on) {
        ReleaseMarked();
    }
}

void CSorlKeyAssign::SelectMode(SorlKeyAssign mode)
{
    if (mode == Mode()) {
        return;
    }
    if (mode == kKeyAssignChord && !settings_.arpOn && Mode() == kKeyAssignPoly &&
        !records_.ActiveList().Empty()) {
        CaptureChord();
    }
    SetHold(false);
    voices_.FastReleaseAll();
    settings_.keyAssign = mode;
    RebuildRecords();
    ApplyDetune();
}

void CSorlKeyAssign::SetUnisonDetune(float value)
{
    settings_.unisonDetune = value;
    ApplyDetune();
}

void CSorlKeyAssign::RebuildLayout()
{
    const SorlVoiceLayout layout = SorlVoiceLayout::For(settings_.totalVoices, settings_.unisonVoices);
    voices_.Reset(layout);
    chord_.Refresh(layout.notes);
    RebuildRecords();
    ApplyDetune();
}

void CSorlKeyAssign::ClearKeyTables()
{
    keys_.ClearAll();
}

void CSorlKeyAssign::StartVoices(int note, int velocity, int slot)
{
    const SorlVoiceLayout& layout = voices_.Layout();
    const float level = static_cast<float>(velocity) / kMaxVelocity;
    switch (Mode()) {
    case kKeyAssignPoly:
        for (int stack = 0; stack < layout.unison; ++stack) {
            voices_.Start(layout.SlotVoice(slot, stack), note, level);
        }
        break;
    case kKeyAssignUnison:
        for (int voice = 0; voice < layout.total; ++voice) {
            voices_.Start(voice, note, level);
        }
        break;
    case kKeyAssignChord:
        for (int entry = 0; entry < layout.notes; ++entry) {
            const int offset = chord_.Working(entry).offset;
            const int chordNote = std::clamp(note + offset, 0, kMaxNote);
            for (int stack = 0; stack < layout.unison; ++stack) {
                const int voice = layout.SlotVoice(entry, stack);
                if (offset == CSorlChordMemory::kEmpty) {
                    voices_.Silence(voice);
                } else {
                    voices_.Start(voice, chordNote, level);
                }
            }
        }
        break;
    }
}

void CSorlKeyAssign::ReleaseSlot(int slot)
{
    if (Mode() != kKeyAssignPoly) {
        ReleaseAll();
        return;
    }
    const SorlVoiceLayout& layout = voices_.Layout();
    for (int stack = 0; stack < layout.unison; ++stack) {
        voices_.Release(layout.SlotVoice(slot, stack));
    }
}

void CSorlKeyAssign::ReleaseAll()
{
    for (int voice = 0; voice < voices_.Layout().total; ++voice) {
        voices_.Release(voice);
    }
}

void CSorlKeyAssign::RebuildRecords()
{
    // In Poly mode a record is a note slot; the other modes stack every key
    // on the same voices, so all records take part.
    records_.Rebuild(Mode() == kKeyAssignPoly ? voices_.Layout().notes : CSorlKeyRecords::kCount);
}

void CSorlKeyAssign::MarkActive(int key)
{
    for (int record = records_.ActiveList().head; record != CSorlKeyRecords::kNone; record = records_[record].next) {
        if (key == kAllKeys || records_[record].key == key) {
            records_[record].holdMark = 1;
        }
    }
}

void CSorlKeyAssign::ReleaseMarked()
{
    records_.FreeWhere([this](int record) {
        if (records_[record].holdMark == 0) {
            return false;
        }
        records_[record].holdMark = 0;
        ReleaseSlot(records_[record].index);
        return true;
    });
}

void CSorlKeyAssign::CaptureChord()
{
    std::array<std::int32_t, CSorlKeyRecords::kCount> keys{};
    std::array<std::int32_t, CSorlKeyRecords::kCount> velocities{};
    int count = 0;
    for (int record = records_.ActiveList().head; record != CSorlKeyRecords::kNone; record = records_[record].next) {
        keys[count] = records_[record].key;
        velocities[count] = records_[record].velocity;
        ++count;
    }
    chord_.Capture(keys.data(), velocities.data(), count, voices_.Layout().notes);
}

void CSorlKeyAssign::ApplyDetune()
{
    voices_.SetDetune(settings_.unisonDetune, Mode() == kKeyAssignUnison);
}
