#include "ControllerNames.h"

#include <gtest/gtest.h>

namespace sorrel {
namespace {

struct NameCase {
    int controller;
    const char* longName;
    const char* shortName;
};

const NameCase kNameCases[] = {
    {0, "CC 0:Bank Select", "Bank Select"},
    {1, "CC 1:Modulation", "Modulation"},
    {3, "CC 3", "CC 3"},
    {10, "CC10:Pan", "Pan"},
    {13, "CC13:FX 2 Ctrl", "FX 2 Ctrl"},
    {14, "CC14", "CC14"},
    {64, "CC64:Damper Pedal", "Damper"},
    {65, "CC65:Porta Switch", "Porta SW"},
    {66, "CC66:Sostenuto Pedal", "Sostenuto"},
    {67, "CC67:Soft Pedal", "Soft"},
    {68, "CC68", "CC68"},
    {91, "CC91:FX 1 Depth", "FX 1 Depth"},
    {95, "CC95:FX 5 Depth", "FX 5 Depth"},
    {96, "CC96", "CC96"},
    {100, "CC100", "CC100"},
    {126, "CC126", "CC126"},
    {127, "No Assign", "No Assign"},
    {128, "CC 0:Bank Select", "Bank Select"}, // numbers are taken modulo 128
    {255, "No Assign", "No Assign"},
};

TEST(ControllerNames, LongAndShortForms)
{
    for (const NameCase& c : kNameCases) {
        SCOPED_TRACE(c.controller);
        EXPECT_STREQ(longControllerName(c.controller), c.longName);
        EXPECT_STREQ(shortControllerName(c.controller), c.shortName);
    }
}

} // namespace
} // namespace sorrel
