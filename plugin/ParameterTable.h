// The 96 parameters as data: names, labels, automation flags, descriptors,
// quantisation, display formats and the kind of change each one makes.
#pragma once

#include <cstdint>

namespace sorrel {

constexpr int kParameterCount = 96;

// Descriptor kinds; the numbers are the ones stored in the descriptor table.
enum class ParameterKind : std::int32_t {
    None = 0,
    Knob = 3,          // shown 0 to 10
    Bipolar = 5,       // shown -5 to +5
    Range12 = 6,       // 0 to 12
    Range150 = 8,      // 0 to 150
    Count = 9,         // count from minimum to maximum
    SignedCount = 10,
    Selector = 11,     // positions with a text table
    Pan = 12,
    Switch = 13,
    InvertedCount = 14,
    ModSource = 15,
    Tempo = 17,
    CompareTrigger = 18,   // hidden parameter 94
    ExclusionChannel = 19, // hidden parameter 95
};

// Field order is the descriptor table's record layout.
struct ParameterDescriptor {
    ParameterKind kind;
    std::int32_t offset;      // byte offset of the value in the program record; 0 when none
    float minimum;
    float maximum;
    std::int32_t positions;   // 0 for continuous values
    const char* const* texts; // selector texts, or null
    std::int32_t width;       // text entry width or digit count
};

// What a change of the parameter does beyond storing its quantised value.
enum class ParameterChange : std::uint8_t {
    Nothing,         // no parameter at this index
    Common,          // quantise, store, send to the engine input, notify
    Arpeggio,
    Hold,
    KeyAssign,
    Tempo,
    MidiSync,
    StoreOnly,       // stored and reported, no engine input
    MgTempoSync,
    MgRate,          // MG Base Note, MG Times
    ArpTempoSync,
    ArpRate,         // Arp Base Note, Arp Times
    VoicesTotal,
    VoicesUnison,
    ExtMod1Source,
    ExtMod2Source,
    CompareTrigger,  // 94
    ExclusionChannel // 95
};

struct ParameterInfo {
    char name[32];  // a name starting with a zero byte is hidden; the name follows that byte
    char label[32];
    bool automatable;
    std::int32_t engineInput; // -1 when the parameter has no engine input
    ParameterChange change;
    float defaultValue;       // value in the factory program
};

// Table access; index must lie in 0 .. kParameterCount - 1.
const ParameterInfo& parameterInfo(int index);
const ParameterDescriptor& parameterDescriptor(int index);

// The value a change function stores for a requested value (already clamped to 0..1):
// selectors and counts snap to k / (n - 1), switches to 0 or 1, inverted counts to
// 1 - fromStep(toStep(1 - x, n, lo), n, lo); continuous values pass unchanged.
float quantiseParameter(int index, float value);

// What the display text of some parameters depends on besides their value.
struct DisplayContext {
    int assignableControllers[4]; // controller numbers of the four assignable controllers
};

// Host display text of a value (at most 24 characters plus the terminating zero).
void formatParameterDisplay(int index, float value, const DisplayContext& context, char* text);

// Name given to the host: empty for hidden names, "FX INTENSITY" for FX Speed in Ensemble
// mode; at most 24 bytes are written, including the terminating zero.
void hostParameterName(int index, float fxModeValue, char* text);

// Name shown by the editor: the hidden ones too.
const char* editorParameterName(int index);

} // namespace sorrel
