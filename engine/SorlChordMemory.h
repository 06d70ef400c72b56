// The chord memory: 128 stored entries of a signed note offset from the
// chord's lowest note and a signed velocity offset, and the working copy of
// up to 32 entries that Chord mode plays. The working copy follows the
// stored entries only when the voice layout is rebuilt; a capture writes
// both.
#pragma once

#include <array>
#include <cstdint>

class CSorlChordMemory {
public:
    static constexpr int kEntries = 128;
    static constexpr int kWorkingEntries = 32;
    static constexpr int kEmpty = -128; // note offset of an unused entry
    // Stored entries are copied in and out as 8-byte records whose first
    // byte is the note offset and second the velocity offset.
    static constexpr int kExternalStride = 8;

    struct Entry {
        std::int32_t offset = kEmpty;
        std::int32_t velocity = 0;
    };

    // A single note: Chord mode plays the key itself until a chord is captured.
    CSorlChordMemory();

    // Copies min(count, 128) entries; nothing for a null source or count < 1.
    void Load(const void* source, std::int32_t count);
    // Writes all 128 entries, leaving bytes 2..7 of each alone; returns the
    // number written (0 for a null destination).
    std::int32_t Save(void* destination) const;

    // Working entries 0..notes-1 from the stored ones, the rest empty.
    void Refresh(int notes);

    // Builds a chord from keys and velocities, relative to the lowest key,
    // sorted by offset; the first notes entries are stored, the rest of the
    // store is emptied. count is at most 32.
    void Capture(const std::int32_t* keys, const std::int32_t* velocities, int count, int notes);

    const Entry& Working(int i) const { return working_[i]; }
    Entry Stored(int i) const { return {stored_[i].offset, stored_[i].velocity}; }

private:
    struct StoredEntry {
        std::int8_t offset = kEmpty;
        std::int8_t velocity = 0;
    };

    void SortWorking(int count);

    std::array<StoredEntry, kEntries> stored_{};
    std::array<Entry, kWorkingEntries> working_{};
};
