#include "ParameterTable.h"
#include "ProgramRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>

namespace sorrel {
namespace {

const unsigned char* bytesOf(const ProgramRecord& record)
{
    return reinterpret_cast<const unsigned char*>(&record);
}

std::int32_t intAt(const ProgramRecord& record, std::size_t offset)
{
    std::int32_t value;
    std::memcpy(&value, bytesOf(record) + offset, sizeof value);
    return value;
}

float floatAt(const ProgramRecord& record, std::size_t offset)
{
    float value;
    std::memcpy(&value, bytesOf(record) + offset, sizeof value);
    return value;
}

TEST(ProgramRecord, InitProgramHeader)
{
    const ProgramRecord init = initProgram();
    EXPECT_EQ(std::memcmp(bytesOf(init), "prog", 4), 0);
    EXPECT_EQ(init.magic, 0x676F7270u);
    EXPECT_EQ(intAt(init, 4), 2040);
    EXPECT_EQ(intAt(init, 8), 0x01030000); // held at this release: its values follow its conventions
    EXPECT_EQ(init.name(), "Init Program");
    EXPECT_EQ(std::memcmp(bytesOf(init) + 16, "Init Program\0\0\0\0\0\0\0\0\0\0\0\0", 24), 0);
    EXPECT_EQ(intAt(init, 368), 0);
}

struct StoredValue {
    int index;
    std::size_t offset;
    float value;
};

// Values at the byte offsets of the record layout (Sub Osc lies before PWM Adjust).
const StoredValue kStoredValues[] = {
    {0, 48, 1.0f},          {1, 52, 0.5f},          {6, 64, 1.0f},         {4, 68, 0.0f},
    {14, 104, 0.4f},        {19, 124, 1.0f / 6.0f}, {20, 128, 0.66667f},   {33, 180, 1.0f},
    {48, 224, 0.0f},        {49, 228, 0.5f},        {50, 232, 124.0f / 380.0f}, {51, 236, 1.0f},
    {53, 244, 0.5f},        {54, 248, 0.05f},       {58, 264, 3.0f / 9.0f}, {59, 268, 1.0f},
    {62, 280, 7.0f / 9.0f}, {72, 320, 5.0f / 31.0f}, {74, 328, 0.125f},     {75, 332, 0.625f},
    {77, 340, 1.0f},
};

TEST(ProgramRecord, InitProgramValuesAtTheirOffsets)
{
    const ProgramRecord init = initProgram();
    for (const StoredValue& v : kStoredValues) {
        SCOPED_TRACE(v.index);
        EXPECT_EQ(floatAt(init, v.offset), v.value);
        EXPECT_EQ(init.value(v.index), v.value);
    }
}

TEST(ProgramRecord, InitProgramIsZeroOutsideHeaderAndValues)
{
    const ProgramRecord init = initProgram();
    std::set<std::size_t> valueBytes;
    for (int index = 0; index < kParameterCount; ++index) {
        const int offset = parameterDescriptor(index).offset;
        for (int k = 0; offset != 0 && k < 4; ++k)
            valueBytes.insert(static_cast<std::size_t>(offset + k));
    }
    for (std::size_t offset = 40; offset < kProgramRecordSize; ++offset) {
        if (valueBytes.count(offset) == 0 && bytesOf(init)[offset] != 0)
            ADD_FAILURE() << "byte " << offset << " is not zero";
    }
}

TEST(ProgramRecord, ValuesOfParametersWithoutStorageReadZeroAndIgnoreWrites)
{
    ProgramRecord record = initProgram();
    const ProgramRecord before = record;
    for (int index : {-1, 34, 47, 78, 94, 95, 96}) {
        record.setValue(index, 0.75f);
        EXPECT_EQ(record.value(index), 0.0f) << index;
    }
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST(ProgramRecord, NamesKeepAtMostTwentyThreeCharacters)
{
    ProgramRecord record;
    record.setName("A name of thirty characters!!!");
    EXPECT_EQ(record.name(), "A name of thirty charac");
    EXPECT_EQ(record.nameBytes[23], '\0');

    record.setName("Short");
    EXPECT_EQ(record.name(), "Short");
    EXPECT_EQ(record.nameBytes[5], '\0');
    EXPECT_EQ(record.nameBytes[22], '\0'); // nothing left of the longer name

    std::memset(record.nameBytes, 'z', sizeof record.nameBytes); // unterminated, as in a bad chunk
    EXPECT_EQ(record.name().size(), 23u);
}

} // namespace
} // namespace sorrel
