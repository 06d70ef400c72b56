#include "ParameterConversions.h"
#include "ParameterText.h"

#include <gtest/gtest.h>

#include <string>

namespace sorrel {
namespace {

struct RoundTrip {
    int index;
    float value;
    const char* text;
};

const RoundTrip kRoundTrips[] = {
    {0, 0.4f, "4.00"},                    // knob 0 to 10
    {1, 0.0f, "-5.00"},                   // bipolar
    {10, 1.0f, "150.0"},                  // Kbd Track
    {50, 124.0f / 380.0f, "144.0"},       // Tempo
    {2, 0.5f, " 8'"},                     // selector, blanks kept
    {28, 1.0f, "Ensemble"},
    {13, 1.0f, "ON"},
    {13, 0.0f, "OFF"},
    {52, 21.0f / 48.0f, "-3"},            // Transpose
    {59, 0.0f, "16"},                     // MG Times, inverted
    {72, 5.0f / 31.0f, "6"},              // Voices Total
    {74, 0.125f, "1"},                    // source number
    {95, 0.0f, "-1"},                     // exclusion channel: none
};

TEST(ParameterText, RoundTrips)
{
    for (const RoundTrip& c : kRoundTrips) {
        SCOPED_TRACE(c.index);
        char text[kParameterTextSize];
        ASSERT_TRUE(parameterValueToText(c.index, c.value, text));
        EXPECT_STREQ(text, c.text);
        float value = -1.0f;
        ASSERT_TRUE(parameterTextToValue(c.index, c.text, &value));
        EXPECT_FLOAT_EQ(value, c.value);
    }
}

struct Parsed {
    int index;
    const char* text;
    float value;
};

const Parsed kAccepted[] = {
    {33, "poly", 1.0f},                  // case does not matter
    {33, "UNISON", 0.5f},
    {12, "-8", fromStep(1, 11, 0)},      // only the whole entry matches, not "-10"
    {13, "on", 1.0f},
    {0, " 20 ", 1.0f},                   // beyond the range: limited
    {49, "-5", 0.0f},
    {52, "+30", 1.0f},
};

const Parsed kRefused[] = {
    {12, "-80", 0.0f}, {6, "Off", 0.0f}, // the entry is "Off  ": compared over its width
    {0, "abc", 0.0f}, {0, "4 volts", 0.0f}, {0, "nan", 0.0f}, {0, "", 0.0f},
    {52, "3.5", 0.0f}, {13, "yes", 0.0f},
    {53, "0.5", 0.0f}, {94, "1", 0.0f}, {40, "1", 0.0f}, {96, "1", 0.0f},
};

TEST(ParameterText, TextToValue)
{
    for (const Parsed& c : kAccepted) {
        SCOPED_TRACE(testing::Message() << c.index << " '" << c.text << "'");
        float value = -1.0f;
        ASSERT_TRUE(parameterTextToValue(c.index, c.text, &value));
        EXPECT_FLOAT_EQ(value, c.value);
    }
    for (const Parsed& c : kRefused) {
        SCOPED_TRACE(testing::Message() << c.index << " '" << c.text << "'");
        float value = -1.0f;
        EXPECT_FALSE(parameterTextToValue(c.index, c.text, &value));
        EXPECT_EQ(value, -1.0f);
    }
}

TEST(ParameterText, NoTextWithoutAParameter)
{
    char text[kParameterTextSize] = "junk";
    EXPECT_FALSE(parameterValueToText(53, 0.5f, text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(parameterValueToText(96, 0.5f, text));
}

} // namespace
} // namespace sorrel
