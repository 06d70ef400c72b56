// The 32 key records and the two singly linked lists they sit in: the
// active list (keys holding a note slot, oldest first) and the free list
// (least recently freed first). Every record in use is in exactly one of
// them; links are record numbers.
#pragma once

#include <array>
#include <cstdint>

struct SorlKeyRecord {
    std::int32_t index = 0;  // the note slot
    std::int32_t key = -1;   // -1 until a key has used the record
    std::int32_t velocity = 0;
    std::int32_t holdMark = 0; // the key went up while Hold was on
    std::int32_t next = -1;
};

struct SorlKeyList {
    std::int32_t head = -1;
    std::int32_t tail = -1;

    bool Empty() const { return head < 0; }
};

class CSorlKeyRecords {
public:
    static constexpr int kCount = 32;
    static constexpr int kNone = -1;

    // Empties both lists and puts records 0..count-1, fresh, on the free list
    // in order.
    void Rebuild(int count);

    // Moves a free record to the end of the active list: the lowest-numbered
    // one that prefer(index) accepts, else the one freed longest ago. The
    // free list must not be empty.
    template <class Prefer>
    int TakeFree(Prefer&& prefer);
    // Moves the oldest active record to the end of the active list.
    int TakeOldest();

    // The first active record with the key, or kNone; predecessor receives
    // the record before it in the active list (kNone for the head).
    int FindActive(int key, int& predecessor) const;
    // Moves an active record to the end of the free list.
    void Free(int record, int predecessor);
    // Moves, in list order, every active record that shouldFree(record)
    // selects to the free list; shouldFree may act on the record first.
    template <class Select>
    void FreeWhere(Select&& shouldFree);

    SorlKeyRecord& operator[](int record) { return records_[record]; }
    const SorlKeyRecord& operator[](int record) const { return records_[record]; }
    const SorlKeyList& ActiveList() const { return active_; }
    const SorlKeyList& FreeList() const { return free_; }

private:
    void Append(SorlKeyList& list, int record);
    void Unlink(SorlKeyList& list, int record, int predecessor);

    std::array<SorlKeyRecord, kCount> records_{};
    SorlKeyList active_;
    SorlKeyList free_;
};

template <class Prefer>
int CSorlKeyRecords::TakeFree(Prefer&& prefer)
{
    int chosen = free_.head;
    int chosenPredecessor = kNone;
    bool found = false;
    for (int record = free_.head, predecessor = kNone; record != kNone;
         predecessor = record, record = records_[record].next) {
        const int index = records_[record].index;
        if ((!found || index < records_[chosen].index) && prefer(index)) {
            chosen = record;
            chosenPredecessor = predecessor;
            found = true;
        }
    }
    Unlink(free_, chosen, chosenPredecessor);
    Append(active_, chosen);
    return chosen;
}

template <class Select>
void CSorlKeyRecords::FreeWhere(Select&& shouldFree)
{
    int predecessor = kNone;
    for (int record = active_.head; record != kNone;) {
        const int next = records_[record].next;
        if (shouldFree(record)) {
            Free(record, predecessor);
        } else {
            predecessor = record;
        }
        record = next;
    }
}
