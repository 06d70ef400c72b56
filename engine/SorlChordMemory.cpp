#include "SorlChordMemory.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kVelocityByte = 1;

} // namespace

CSorlChordMemory::CSorlChordMemory()
{
    stored_[0] = {0, 0};
    Refresh(1);
}

void CSorlChordMemory::Load(const void* source, std::int32_t count)
{
    if (source == nullptr || count < 1) {
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(source);
    const int entries = std::min<std::int32_t>(count, kEntries);
    for (int i = 0; i < entries; ++i) {
        const unsigned char* entry = bytes + i * kExternalStride;
        stored_[i] = {static_cast<std::int8_t>(entry[0]), static_cast<std::int8_t>(entry[kVelocityByte])};
    }
}

std::int32_t CSorlChordMemory::Save(void* destination) const
{
    if (destination == nullptr) {
        return 0;
    }
    auto* bytes = static_cast<unsigned char*>(destination);
    for (int i = 0; i < kEntries; ++i) {
        unsigned char* entry = bytes + i * kExternalStride;
        entry[0] = static_cast<unsigned char>(stored_[i].offset);
        entry[kVelocityByte] = static_cast<unsigned char>(stored_[i].velocity);
    }
    return kEntries;
}

void CSorlChordMemory::Refresh(int notes)
{
    for (int i = 0; i < kWorkingEntries; ++i) {
        working_[i] = i < notes ? Stored(i) : Entry{};
    }
}

void CSorlChordMemory::Capture(const std::int32_t* keys, const std::int32_t* velocities, int count, int notes)
{
    // The first of several equally low keys sets the velocity reference.
    int lowest = 0;
    for (int i = 1; i < count; ++i) {
        if (keys[i] < keys[lowest]) {
            lowest = i;
        }
    }
    for (int i = 0; i < kWorkingEntries; ++i) {
        working_[i] = i < count ? Entry{keys[i] - keys[lowest], velocities[i] - velocities[lowest]} : Entry{};
    }
    SortWorking(count);
    for (int i = 0; i < kEntries; ++i) {
        const Entry entry = i < notes ? working_[i] : Entry{};
        stored_[i] = {static_cast<std::int8_t>(entry.offset), static_cast<std::int8_t>(entry.velocity)};
    }
}

void CSorlChordMemory::SortWorking(int count)
{
    // Selection sort: the first of several equal smallest offsets is taken,
    // and only a strictly smaller one is swapped in.
    for (int i = 0; i + 1 < count; ++i) {
        int smallest = i + 1;
        for (int j = i + 2; j < count; ++j) {
            if (working_[j].offset < working_[smallest].offset) {
                smallest = j;
            }
        }
        if (working_[smallest].offset < working_[i].offset) {
            std::swap(working_[i], working_[smallest]);
        }
    }
}
