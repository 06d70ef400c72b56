#include "ControllerNames.h"

#include <array>

namespace sorrel {
namespace {

using NameEntry = std::array<char, kControllerNameSize>;
using NameTable = std::array<NameEntry, kControllerNameCount>;

struct NamedController {
    int number;
    const char* longName;  // follows "CCnn:"
    const char* shortName;
};

constexpr NamedController kNamedControllers[] = {
    {0, "Bank Select", "Bank Select"},
    {1, "Modulation", "Modulation"},
    {2, "Breath", "Breath"},
    {4, "Foot Ctrl", "Foot Ctrl"},
    {5, "Porta Time", "Porta Time"},
    {6, "Data Entry", "Data Entry"},
    {7, "Volume", "Volume"},
    {10, "Pan", "Pan"},
    {11, "Expression", "Expression"},
    {12, "FX 1 Ctrl", "FX 1 Ctrl"},
    {13, "FX 2 Ctrl", "FX 2 Ctrl"},
    {64, "Damper Pedal", "Damper"},
    {65, "Porta Switch", "Porta SW"},
    {66, "Sostenuto Pedal", "Sostenuto"},
    {67, "Soft Pedal", "Soft"},
    {91, "FX 1 Depth", "FX 1 Depth"},
    {92, "FX 2 Depth", "FX 2 Depth"},
    {93, "FX 3 Depth", "FX 3 Depth"},
    {94, "FX 4 Depth", "FX 4 Depth"},
    {95, "FX 5 Depth", "FX 5 Depth"},
};

constexpr const char* kNoAssign = "No Assign";

// Appends text at position; the entry stays zero-terminated because entries start zeroed
// and every name is far shorter than an entry.
constexpr int append(NameEntry& entry, int position, const char* text)
{
    while (*text != '\0')
        entry[position++] = *text++;
    return position;
}

// "CC" and the number right-aligned in two places ("CC 3", "CC14", "CC100").
constexpr int appendBareName(NameEntry& entry, int number)
{
    int position = append(entry, 0, "CC");
    if (number >= 100)
        entry[position++] = static_cast<char>('0' + number / 100);
    entry[position++] = number >= 10 ? static_cast<char>('0' + number / 10 % 10) : ' ';
    entry[position++] = static_cast<char>('0' + number % 10);
    return position;
}

constexpr const NamedController* findNamed(int number)
{
    for (const NamedController& named : kNamedControllers) {
        if (named.number == number)
            return &named;
    }
    return nullptr;
}

constexpr NameEntry longName(int number)
{
    NameEntry entry{};
    if (number == kNoAssignController) {
        append(entry, 0, kNoAssign);
    } else {
        const int position = appendBareName(entry, number);
        if (const NamedController* named = findNamed(number))
            append(entry, append(entry, position, ":"), named->longName);
    }
    return entry;
}

constexpr NameEntry shortName(int number)
{
    NameEntry entry{};
    if (number == kNoAssignController)
        append(entry, 0, kNoAssign);
    else if (const NamedController* named = findNamed(number))
        append(entry, 0, named->shortName);
    else
        appendBareName(entry, number);
    return entry;
}

template <NameEntry (*makeName)(int)>
constexpr NameTable buildTable()
{
    NameTable table{};
    for (int number = 0; number < kControllerNameCount; ++number)
        table[number] = makeName(number);
    return table;
}

constexpr NameTable kLongNames = buildTable<longName>();
constexpr NameTable kShortNames = buildTable<shortName>();

} // namespace

const char* longControllerName(int controller)
{
    return kLongNames[static_cast<unsigned>(controller) & 127u].data();
}

const char* shortControllerName(int controller)
{
    return kShortNames[static_cast<unsigned>(controller) & 127u].data();
}

} // namespace sorrel
