// MIDI intake, note and controller state, and the controller map.
#include "M4417Vst.h"

#include "ControllerMapFile.h"
#include "MoxFile.h"
#include "ParameterConversions.h"
#include "SorlDsp.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

constexpr std::size_t kMaxPathLength = 1024;
constexpr VstInt32 kSustainController = 64;
constexpr VstInt32 kFirstRegisterController = 98; // NRPN LSB, NRPN MSB, RPN LSB, RPN MSB

// The messages a controller reset sends, in order.
struct MidiMessage {
    std::uint8_t status;
    std::uint8_t data1;
    std::uint8_t data2;
};
constexpr MidiMessage kControllerReset[] = {
    {0xB0, 1, 0},   {0xB0, 64, 0},  {0xB0, 101, 127}, {0xB0, 100, 127},
    {0xB0, 99, 127}, {0xB0, 98, 127}, {0xD0, 0, 0},     {0xE0, 0, 64},
};

// External modulation sources (steps of the source parameters).
enum ExtModSource : int {
    kSourcePressure = 3,
    kSourcePitchBend = 4,
    kSourceFirstAssignable = 5,
};

std::uint32_t engineOffset(VstInt32 deltaFrames) { return static_cast<std::uint32_t>(std::max(deltaFrames, 0)); }

bool isMapped(VstInt32 number) { return number >= 0 && number < sorrel::kMappedControllers; }

} // namespace

VstInt32 CM4417Vst::processEvents(VstEvents* events)
{
    {
        std::lock_guard<CMoxSemaphore> guard(lock);
        // The record declares two entries but carries numEvents of them.
        const VstEvent* const* list = events->events;
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            const VstEvent* event = list[i];
            if (event == nullptr || event->type != kVstMidiType)
                continue;
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            receiveMidi(static_cast<std::uint8_t>(midi->midiData[0]), static_cast<std::uint8_t>(midi->midiData[1]),
                        static_cast<std::uint8_t>(midi->midiData[2]), std::max(midi->deltaFrames, 0));
        }
    }
    sendPendingDisplayUpdate();
    return 1;
}

void CM4417Vst::receiveMidi(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 deltaFrames)
{
    if (!isMidiFiltered(status))
        dispatchMidi(status, data1, data2, deltaFrames);
}

bool CM4417Vst::isMidiFiltered(std::uint8_t status)
{
    const sorrel::GlobalBlock& global = getGlobalBlock();
    switch (status & 0xF0) {
    case 0xB0:
        return global.receptionOff(sorrel::kControlChangeOff);
    case 0xC0:
        return global.receptionOff(sorrel::kProgramChangeOff);
    case 0xD0:
        return global.receptionOff(sorrel::kChannelPressureOff);
    default:
        return false;
    }
}

void CM4417Vst::dispatchMidi(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 deltaFrames)
{
    // Data bytes index 128-entry tables; stray high bits from a host are dropped.
    const VstInt32 d1 = data1 & 0x7F;
    const VstInt32 d2 = data2 & 0x7F;
    switch (status & 0xF0) {
    case 0x90:
        if (d2 > 0) {
            noteOn(d1, d2, deltaFrames);
            break;
        }
        [[fallthrough]];
    case 0x80:
        noteOff(d1, d2, deltaFrames);
        break;
    case 0xB0:
        controlChange(d1, d2, deltaFrames);
        controllerReceived(status, d1, d2, deltaFrames);
        controllerValues[d1] = d2;
        break;
    case 0xC0:
        programChange(d1);
        break;
    case 0xD0:
        channelPressureValue = d1;
        channelPressure(d1, deltaFrames);
        break;
    case 0xE0:
        pitchBendValue = (d2 << 7) | d1;
        pitchBend(deltaFrames);
        break;
    default: // poly pressure, system messages and stray data bytes
        break;
    }
}

void CM4417Vst::noteOff(VstInt32 key, VstInt32 velocity, VstInt32 deltaFrames)
{
    if (notes.release(key, controllerValues[kSustainController] >= 64))
        engine->QueueNoteOff(engineOffset(deltaFrames), key, velocity);
    notify([key](CM4417VstListener& editor) { editor.OnNoteOff(key); });
}

void CM4417Vst::controlChange(VstInt32 controller, VstInt32 value, VstInt32 deltaFrames)
{
    switch (controller) {
    case kSustainController:
        sustainPedal(value, deltaFrames);
        break;
    case 98:
    case 99:
    case 100:
    case 101:
        parameterNumbers[controller - kFirstRegisterController] = value;
        break;
    case 120:
        allSoundOff(deltaFrames);
        break;
    case 121:
        resetControllers(deltaFrames);
        break;
    case 123:
    case 124:
    case 125:
    case 126:
    case 127:
        allNotesOff(deltaFrames);
        break;
    default: // data entry (6) and local control (122) are not used
        break;
    }
}

void CM4417Vst::sustainPedal(VstInt32 value, VstInt32 deltaFrames)
{
    const bool down = value >= 64;
    const bool wasDown = controllerValues[kSustainController] > 63;
    if (wasDown && !down)
        releaseSustained(deltaFrames);
}

void CM4417Vst::releaseSustained(VstInt32 deltaFrames)
{
    notes.releaseSustained([&](int key) { engine->QueueNoteOff(engineOffset(deltaFrames), key, 0); });
}

void CM4417Vst::programChange(VstInt32 program) { selectProgram(program); }

void CM4417Vst::allSoundOff(VstInt32 deltaFrames)
{
    notes.clear();
    engine->QueueAllSoundOff(engineOffset(deltaFrames));
    notify([](CM4417VstListener& editor) { editor.OnAllSoundOff(); });
}

void CM4417Vst::allNotesOff(VstInt32 deltaFrames)
{
    notes.clear();
    engine->QueueAllNotesOff(engineOffset(deltaFrames));
    notify([](CM4417VstListener& editor) { editor.OnAllNotesReset(); });
}

void CM4417Vst::resetControllers(VstInt32 deltaFrames)
{
    for (const MidiMessage& message : kControllerReset)
        dispatchMidi(message.status, message.data1, message.data2, deltaFrames);
    updateExtModSources(0);
}

void CM4417Vst::clearMidiState()
{
    notes.clear();
    controllerValues.fill(0);
    parameterNumbers.fill(255);
    pitchBendValue = 8192;
    channelPressureValue = 0;
}

void CM4417Vst::queueExtModValue(int source, float value, VstInt32 deltaFrames)
{
    for (int input = 0; input < 2; ++input) {
        if (sorrel::toStep(getParameter(getExtModSourceParameter(input)), 9, 0) == source)
            engine->QueueExtModValue(input, value, engineOffset(deltaFrames));
    }
}

void CM4417Vst::updateExtModSources(VstInt32 deltaFrames)
{
    const sorrel::GlobalBlock& global = getGlobalBlock();
    for (int input = 0; input < 2; ++input) {
        const int source = sorrel::toStep(getParameter(getExtModSourceParameter(input)), 9, 0);
        float value = 0.5f;
        if (source == kSourcePressure) {
            // Scaled as when a pressure message arrives, so a resend does not move the input.
            value = sorrel::fromStep(channelPressureValue - 1, 127, 0) / 2.0f + 0.5f;
        } else if (source == kSourcePitchBend) {
            value = sorrel::fromStep(pitchBendValue - 1, 16383, 0);
        } else if (source >= kSourceFirstAssignable) {
            const sorrel::AssignableController& slot = global.assignable[source - kSourceFirstAssignable];
            if (slot.controller == 1) {
                const float x = sorrel::fromStep(controllerValues[1] - 1, 127, 0);
                value = slot.bipolar != 0 ? x : x / 2.0f + 0.5f;
            }
        }
        engine->QueueExtModValue(input, value, engineOffset(deltaFrames));
    }
}

VstInt32 CM4417Vst::findControllerForParameter(VstInt32 parameter)
{
    if (!isMapped(parameter))
        return -1;
    const std::uint8_t* map = getGlobalBlock().controllerMap;
    const auto found = std::find(map, map + sorrel::kMappedControllers, parameter);
    return found != map + sorrel::kMappedControllers ? static_cast<VstInt32>(found - map) : -1;
}

void CM4417Vst::assignController(VstInt32 parameter, VstInt32 controller)
{
    if (!isMapped(parameter))
        return;
    std::uint8_t* map = getGlobalBlock().controllerMap;
    auto unassign = [&](VstInt32 number) {
        const VstInt32 old = map[number];
        map[number] = sorrel::kUnassigned;
        notify([old](CM4417VstListener& editor) { editor.OnControllerAssigned(old, sorrel::kUnassigned); });
    };
    if (isMapped(controller) && isMapped(map[controller]))
        unassign(controller);
    for (VstInt32 number = 0; number < sorrel::kMappedControllers; ++number) {
        if (map[number] == parameter)
            unassign(number);
    }
    if (isMapped(controller))
        map[controller] = static_cast<std::uint8_t>(parameter);
    notify([=](CM4417VstListener& editor) { editor.OnControllerAssigned(parameter, controller); });
}

VstInt32 CM4417Vst::getControllerParameter(VstInt32 controller)
{
    if (!isMapped(controller))
        return -1;
    const VstInt32 parameter = getGlobalBlock().controllerMap[controller];
    return isMapped(parameter) ? parameter : -1;
}

void CM4417Vst::setControllerParameter(VstInt32 controller, VstInt32 parameter)
{
    if (!isMapped(controller))
        return;
    std::uint8_t* map = getGlobalBlock().controllerMap;
    if (!isMapped(parameter)) {
        parameter = sorrel::kUnassigned;
    } else {
        for (VstInt32 number = 0; number < sorrel::kMappedControllers; ++number) {
            if (number != controller && map[number] == parameter)
                map[number] = sorrel::kUnassigned;
        }
    }
    map[controller] = static_cast<std::uint8_t>(parameter);
    notify([=](CM4417VstListener& editor) { editor.OnControllerAssigned(parameter, controller); });
}

bool CM4417Vst::writeControllerMap(CMoxFile& file)
{
    CM4417ControllerMapFile::Map map{};
    std::copy_n(getGlobalBlock().controllerMap, map.size(), map.begin());
    return CM4417ControllerMapFile::write(file, map, getPluginId(), getVendorVersion());
}

bool CM4417Vst::readControllerMap(CMoxFile& file, bool checkOnly)
{
    const auto map = CM4417ControllerMapFile::read(file, [this](std::int32_t id) { return isAcceptedPluginId(id); });
    if (!map)
        return false;
    if (!checkOnly) {
        for (VstInt32 controller = 0; controller < sorrel::kMappedControllers; ++controller)
            setControllerParameter(controller, (*map)[static_cast<std::size_t>(controller)]);
    }
    return true;
}

bool CM4417Vst::saveControllerMap(const char* path, bool remember)
{
    CMoxFile file;
    if (!file.Open(path, CMoxFile::kBinaryWrite))
        return false;
    const bool written = writeControllerMap(file);
    const bool closed = file.Close();
    if (!written || !closed)
        return false;
    if (remember)
        controllerMapPath.assign(path, strnlen(path, kMaxPathLength));
    return true;
}
