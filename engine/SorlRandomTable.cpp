#include "SorlRandomTable.h"

namespace {

// Fifteen random bits, the range the values are scaled from.
constexpr int kRawShift = 16;
constexpr std::uint32_t kRawMask = 0x7FFF;
constexpr float kRawMiddle = 16384.0f;
constexpr float kRawSpan = 32767.0f;

} // namespace

CSorlRandomTable::CSorlRandomTable(std::uint32_t seed) : generator_(seed) {}

void CSorlRandomTable::Refill()
{
    for (float& value : values_) {
        const auto raw = static_cast<float>((generator_() >> kRawShift) & kRawMask);
        value = (raw - kRawMiddle) / kRawSpan;
    }
    index_ = 0;
}

float CSorlRandomTable::Next()
{
    const float value = values_[index_];
    index_ = (index_ + 1) % kSize;
    return value;
}
