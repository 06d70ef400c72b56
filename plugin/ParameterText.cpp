#include "ParameterText.h"

#include "ParameterConversions.h"
#include "ParameterTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace sorrel {
namespace {

enum class TextForm { None, Number, Step, InvertedStep, Entry, OnOff };

TextForm textForm(ParameterKind kind)
{
    switch (kind) {
    case ParameterKind::Knob:
    case ParameterKind::Bipolar:
    case ParameterKind::Range12:
    case ParameterKind::Range150:
    case ParameterKind::Pan:
    case ParameterKind::Tempo:
        return TextForm::Number;
    case ParameterKind::Count:
    case ParameterKind::SignedCount:
    case ParameterKind::ModSource:
    case ParameterKind::ExclusionChannel:
        return TextForm::Step;
    case ParameterKind::InvertedCount:
        return TextForm::InvertedStep;
    case ParameterKind::Selector:
        return TextForm::Entry;
    case ParameterKind::Switch:
        return TextForm::OnOff;
    case ParameterKind::None:
    case ParameterKind::CompareTrigger:
        break;
    }
    return TextForm::None;
}

bool onlyBlanksFrom(const char* text)
{
    return text[std::strspn(text, " ")] == '\0';
}

bool parseNumber(const char* text, float* number)
{
    char* end = nullptr;
    const float parsed = std::strtof(text, &end);
    if (end == text || !onlyBlanksFrom(end) || !std::isfinite(parsed))
        return false;
    *number = parsed;
    return true;
}

bool parseWhole(const char* text, int* number)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || !onlyBlanksFrom(end))
        return false;
    *number = static_cast<int>(std::clamp(parsed, -1000L, 1000L));
    return true;
}

// Case-insensitive match against the selector's entries over the entry width.
bool findEntry(const ParameterDescriptor& d, const char* text, int* position)
{
    for (int k = 0; k < d.positions; ++k) {
        if (strncasecmp(text, d.texts[k], static_cast<std::size_t>(d.width)) == 0) {
            *position = k;
            return true;
        }
    }
    return false;
}

} // namespace

bool parameterValueToText(int index, float value, char* text)
{
    text[0] = '\0';
    if (index < 0 || index >= kParameterCount)
        return false;
    const ParameterDescriptor& d = parameterDescriptor(index);
    const int first = static_cast<int>(d.minimum);
    switch (textForm(d.kind)) {
    case TextForm::Number:
        std::snprintf(text, kParameterTextSize, "%.*f", d.width, mapRange(value, d.minimum, d.maximum));
        return true;
    case TextForm::Step:
        std::snprintf(text, kParameterTextSize, "%d", toStep(value, d.positions, first));
        return true;
    case TextForm::InvertedStep:
        std::snprintf(text, kParameterTextSize, "%d", toStep(1.0f - value, d.positions, first));
        return true;
    case TextForm::Entry:
        std::snprintf(text, kParameterTextSize, "%s", d.texts[toStep(value, d.positions, 0)]);
        return true;
    case TextForm::OnOff:
        std::snprintf(text, kParameterTextSize, "%s", isOn(value) ? "ON" : "OFF");
        return true;
    case TextForm::None:
        break;
    }
    return false;
}

bool parameterTextToValue(int index, const char* text, float* value)
{
    if (index < 0 || index >= kParameterCount)
        return false;
    const ParameterDescriptor& d = parameterDescriptor(index);
    const int first = static_cast<int>(d.minimum);
    float number = 0.0f;
    int whole = 0;
    switch (textForm(d.kind)) {
    case TextForm::Number:
        if (!parseNumber(text, &number))
            return false;
        *value = std::clamp((number - d.minimum) / (d.maximum - d.minimum), 0.0f, 1.0f);
        return true;
    case TextForm::Step:
        if (!parseWhole(text, &whole))
            return false;
        *value = fromStep(whole, d.positions, first);
        return true;
    case TextForm::InvertedStep:
        if (!parseWhole(text, &whole))
            return false;
        *value = 1.0f - fromStep(whole, d.positions, first);
        return true;
    case TextForm::Entry:
        if (!findEntry(d, text, &whole))
            return false;
        *value = fromStep(whole, d.positions, 0);
        return true;
    case TextForm::OnOff:
        if (strcasecmp(text, "ON") == 0)
            *value = 1.0f;
        else if (strcasecmp(text, "OFF") == 0)
            *value = 0.0f;
        else
            return false;
        return true;
    case TextForm::None:
        break;
    }
    return false;
}

} // namespace sorrel
