#include "SorlKeyRecords.h"

void CSorlKeyRecords::Rebuild(int count)
{
    active_ = {};
    free_ = {};
    for (int record = 0; record < kCount; ++record) {
        records_[record] = SorlKeyRecord{};
        records_[record].index = record;
    }
    for (int record = 0; record < count; ++record) {
        Append(free_, record);
    }
}

int CSorlKeyRecords::TakeOldest()
{
    const int record = active_.head;
    Unlink(active_, record, kNone);
    Append(active_, record);
    return record;
}

int CSorlKeyRecords::FindActive(int key, int& predecessor) const
{
    predecessor = kNone;
    for (int record = active_.head; record != kNone; predecessor = record, record = records_[record].next) {
        if (records_[record].key == key) {
            return record;
        }
    }
    return kNone;
}

void CSorlKeyRecords::Free(int record, int predecessor)
{
    Unlink(active_, record, predecessor);
    Append(free_, record);
}

void CSorlKeyRecords::Append(SorlKeyList& list, int record)
{
    records_[record].next = kNone;
    if (list.Empty()) {
        list.head = record;
    } else {
        records_[list.tail].next = record;
    }
    list.tail = record;
}

void CSorlKeyRecords::Unlink(SorlKeyList& list, int record, int predecessor)
{
    const int next = records_[record].next;
    if (predecessor == kNone) {
        list.head = next;
    } else {
        records_[predecessor].next = next;
    }
    if (list.tail == record) {
        list.tail = predecessor;
    }
    records_[record].next = kNone;
}
