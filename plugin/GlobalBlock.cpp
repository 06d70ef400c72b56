#include "GlobalBlock.h"

#include <algorithm>
#include <iterator>

namespace sorrel {
namespace {

struct MapEntry {
    std::uint8_t controller;
    std::uint8_t parameter;
};

constexpr MapEntry kFactoryMap[] = {
    {7, 0},   {10, 49}, {11, 12}, {12, 28}, {14, 4},  {15, 5},  {18, 1},  {20, 23}, {21, 14}, {22, 2},
    {23, 15}, {24, 21}, {25, 17}, {26, 16}, {27, 20}, {70, 26}, {71, 8},  {72, 27}, {73, 24}, {74, 7},
    {75, 25}, {76, 22}, {77, 3},  {79, 9},  {82, 6},  {85, 10}, {86, 11}, {87, 32}, {88, 13}, {93, 29},
};

constexpr AssignableController kFactoryAssignable[kAssignableControllers] = {
    {1, 0, {}}, {2, 0, {}}, {16, 1, {}}, {17, 1, {}},
};

// Cents from C to B; the user scales start at equal temperament.
constexpr std::int8_t kPureMajor[kScaleNotes] = {0, -30, 4, 15, -14, -2, -32, 2, -28, -16, 17, -12};
constexpr std::int8_t kPureMinor[kScaleNotes] = {0, 33, 4, 16, -14, -2, 31, 2, 14, -16, 18, -12};

GlobalBlock makeFactoryBlock()
{
    GlobalBlock block;
    block.magic = kGlobalMagic;
    block.restSize = kGlobalRestSize;
    block.version = static_cast<std::int32_t>(kCurrentRecordVersion);
    block.masterTune = 0.5f;
    std::fill(std::begin(block.unusedTwelve), std::end(block.unusedTwelve), 0.5f);
    std::copy(std::begin(kFactoryAssignable), std::end(kFactoryAssignable), block.assignable);
    std::fill(std::begin(block.controllerMap), std::end(block.controllerMap), kUnassigned);
    for (const MapEntry& entry : kFactoryMap)
        block.controllerMap[entry.controller] = entry.parameter;
    std::copy(std::begin(kPureMajor), std::end(kPureMajor), block.scaleTable[1]);
    std::copy(std::begin(kPureMinor), std::end(kPureMinor), block.scaleTable[2]);
    return block;
}

} // namespace

const GlobalBlock& factoryGlobalBlock()
{
    static const GlobalBlock block = makeFactoryBlock();
    return block;
}

} // namespace sorrel
