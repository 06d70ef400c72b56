#include "ProgramRecord.h"

#include "ParameterTable.h"

#include <algorithm>
#include <cstring>

namespace sorrel {
namespace {

// Byte offset of the parameter's value in the record, or 0 when it has none.
std::size_t valueOffset(int index)
{
    if (index < 0 || index >= kParameterCount)
        return 0;
    const auto offset = static_cast<std::size_t>(parameterDescriptor(index).offset);
    return offset >= kParameterValuesOffset && offset + sizeof(float) <= kParameterValuesEnd ? offset : 0;
}

} // namespace

float ProgramRecord::value(int index) const
{
    float result = 0.0f;
    if (const std::size_t offset = valueOffset(index))
        std::memcpy(&result, reinterpret_cast<const unsigned char*>(this) + offset, sizeof result);
    return result;
}

void ProgramRecord::setValue(int index, float newValue)
{
    if (const std::size_t offset = valueOffset(index))
        std::memcpy(reinterpret_cast<unsigned char*>(this) + offset, &newValue, sizeof newValue);
}

std::string_view ProgramRecord::name() const
{
    const auto* end = std::find(nameBytes, nameBytes + kProgramNameMaxLength, '\0');
    return {nameBytes, static_cast<std::size_t>(end - nameBytes)};
}

void ProgramRecord::setName(std::string_view newName)
{
    std::fill(std::begin(nameBytes), std::end(nameBytes), '\0');
    newName.copy(nameBytes, kProgramNameMaxLength);
}

ProgramRecord initProgram()
{
    ProgramRecord record;
    record.magic = kProgramMagic;
    record.restSize = kProgramRestSize;
    record.version = static_cast<std::int32_t>(kCurrentRecordVersion);
    record.setName("Init Program");
    for (int index = 0; index < kParameterCount; ++index)
        record.setValue(index, parameterInfo(index).defaultValue);
    return record;
}

} // namespace sorrel
