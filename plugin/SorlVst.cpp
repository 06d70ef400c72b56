#include "SorlVst.h"

#include "ParameterConversions.h"
#include "ParameterIndices.h"
#include "SorlDsp.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

using namespace sorrel;

namespace {

constexpr const char* kEffectName = "Sorrel";
constexpr const char* kVendorName = "VELTA";
constexpr VstInt32 kVendorVersion = static_cast<VstInt32>(sorrel::kCurrentRecordVersion);
constexpr float kEngineSampleRate = 44100.0f;
constexpr int kEngineVoices = 6;
constexpr std::size_t kHostProgramNameLength = 16;
constexpr int kNoteLengths[10] = {96, 48, 32, 24, 16, 12, 8, 6, 4, 3}; // in 24ths of a quarter note

bool isParameterIndex(VstInt32 index) { return index >= 0 && index < sorrel::kParameterCount; }

void copyText(char* destination, std::string_view source, std::size_t maxCharacters)
{
    const std::size_t length = std::min(source.size(), maxCharacters);
    std::memcpy(destination, source.data(), length);
    destination[length] = '\0';
}

} // namespace

CSorlVst::CSorlVst(audioMasterCallback host) : CM4417Vst(host, kProgramCount, sorrel::kParameterCount)
{
    setUniqueID(fourCharCode("ZOBE"));
    setNumInputs(0);
    setNumOutputs(2);
    setFlag(effFlagsCanMono | effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth, true);
}

CSorlVst::~CSorlVst() = default;

bool CSorlVst::initializeInstrument()
{
    engine = CSorlDsp::Create(kEngineSampleRate, kEngineVoices);
    bank = std::make_unique<sorrel::BankImage>();
    if (engine == nullptr)
        return false;
    arpClock.clear();

    bank->global = sorrel::factoryGlobalBlock();
    std::fill(bank->slots, bank->slots + kProgramCount, sorrel::initProgram());
    bank->program = 0;
    bank->edited = 0;
    bank->edit = bank->slots[0];
    loadProgramIntoEditBuffer(0);
    storeCompareBuffer();

    const bool defaultBankLoaded = loadDefaultBank();
    loadDefaultControllerMap();

    resetPendingParameters();
    exclusionChannel = -1;
    // A default bank saved with program 0 current keeps its saved edit buffer; any
    // other start is a full program change.
    if (!defaultBankLoaded)
        curProgram = -1;
    selectProgram(0);
    resetControllers(0);
    suspendEngine();
    displayUpdatePending = false; // the host reads everything when it gets the record
    return true;
}

bool CSorlVst::getEffectName(char* name)
{
    copyText(name, kEffectName, 31);
    return true;
}

bool CSorlVst::getProductString(char* text)
{
    copyText(text, kEffectName, 63);
    return true;
}

bool CSorlVst::getVendorString(char* text)
{
    copyText(text, kVendorName, 63);
    return true;
}

VstInt32 CSorlVst::getVendorVersion() { return kVendorVersion; }

bool CSorlVst::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index != 0 && index != 1)
        return false;
    copyText(properties->label, kEffectName, sizeof properties->label - 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

VstInt32 CSorlVst::getMidiProgramName(VstInt32, MidiProgramName* programName)
{
    const VstInt32 program = programName->thisProgramIndex;
    if (program < 0 || program >= kProgramCount)
        return 0;
    const sorrel::ProgramRecord& record = program == curProgram ? edit : bank->slots[program];
    copyText(programName->name, record.name(), sizeof programName->name - 1);
    programName->midiProgram = static_cast<char>(program);
    programName->midiBankMsb = -1;
    programName->midiBankLsb = -1;
    programName->parentCategoryIndex = -1;
    programName->flags = kMidiIsOmni;
    return 1;
}

void CSorlVst::getParameterLabel(VstInt32 index, char* label)
{
    copyText(label, isParameterIndex(index) ? sorrel::parameterInfo(index).label : "---", 31);
}

void CSorlVst::getParameterName(VstInt32 index, char* text)
{
    if (!isParameterIndex(index)) {
        text[0] = '\0';
        return;
    }
    sorrel::hostParameterName(index, edit.value(kParamFxMode), text);
}

bool CSorlVst::isParameterAutomatable(VstInt32 index)
{
    return isParameterIndex(index) && sorrel::parameterInfo(index).automatable;
}

float CSorlVst::getProgramParameter(VstInt32 program, VstInt32 index)
{
    if (!isParameterIndex(index))
        return 0.0f;
    if (index == kParamExclusionChannel)
        return sorrel::fromStep(exclusionChannel, 17, -1);
    if (program < 0 || program >= kProgramCount)
        return edit.value(index);
    if (program == curProgram)
        return compare.value(index);
    return bank->slots[program].value(index);
}

void CSorlVst::formatParameterDisplay(VstInt32 index, float value, char* text)
{
    if (!isParameterIndex(index)) {
        text[0] = '\0';
        return;
    }
    sorrel::DisplayContext context{};
    for (int slot = 0; slot < sorrel::kAssignableControllers; ++slot)
        context.assignableControllers[slot] = bank->global.assignable[slot].controller;
    sorrel::formatParameterDisplay(index, value, context, text);
}

void CSorlVst::renderReplacing(float** outputs, VstInt32 frames)
{
    takeHostTempo(false);
    advanceArpClock(frames);
    engine->ProcessReplacing(nullptr, outputs, frames);
    advanceFade(frames);
}

void CSorlVst::renderAccumulating(float** outputs, VstInt32 frames)
{
    takeHostTempo(false);
    advanceArpClock(frames);
    engine->Process(nullptr, outputs, frames);
    advanceFade(frames);
}

void CSorlVst::sendToEngine(VstInt32 engineInput, float value, VstInt32 deltaFrames)
{
    if (engineInput < 0 || fade.hold(engineInput, value))
        return;
    engine->SetParameter(static_cast<std::uint32_t>(deltaFrames), engineInput, value);
}

void CSorlVst::startFade(int muteMs, int fadeMs, float level)
{
    fade.start(sampleRate, muteMs, fadeMs, level);
    engine->SetMute(true);
}

void CSorlVst::resetPendingParameters()
{
    fade.clearHeld();
    engine->QueueExtModValue(0, 0.5f, 0);
    engine->QueueExtModValue(1, 0.5f, 0);
}

void CSorlVst::advanceFade(VstInt32 frames)
{
    switch (fade.advance(frames)) {
    case CSorlProgramFade::Step::MuteEnded:
        fadeMuteEnded();
        break;
    case CSorlProgramFade::Step::FadeEnded:
        engine->SetMute(false);
        break;
    case CSorlProgramFade::Step::None:
        break;
    }
}

void CSorlVst::fadeMuteEnded()
{
    // Leaving Chord mode must not lose the chord the engine holds.
    selectKeyAssignInEngine();
    if (sorrel::toStep(edit.value(kParamKeyAssign), 3, 0) == kKeyAssignStepChord)
        recordChordMemoryFromEngine();
    engine->QueueAllSoundOff(0);
    notesPlayed = false;
    fade.releaseHeld([this](int input, float value) { engine->SetParameter(0, input, value); });
    sendChordMemoryToEngine();
    selectKeyAssignInEngine();
}

void CSorlVst::sendChordMemoryToEngine() { engine->SetChordMemory(edit.chordMemory, edit.chordMemoryCount); }

void CSorlVst::recordChordMemoryFromEngine() { edit.chordMemoryCount = engine->GetChordMemory(edit.chordMemory); }

void CSorlVst::selectKeyAssignInEngine()
{
    engine->SetParameter(0, kEngineKeyAssignChord + sorrel::toStep(edit.value(kParamKeyAssign), 3, 0), 1.0f);
}

void CSorlVst::sendProgramToEngine()
{
    startFade(20, 20, 0.0f);
    notes.clear();
    notify([](CM4417VstListener& editor) { editor.SuspendUpdates(true); });
    notesPlayed = false;
    engine->QueueAllNotesOff(0);
    sendChordMemoryToEngine();
    edit.setValue(kParamPitchBend, fromStep(lastPitchBend() - 1, 16383, 0));
    edit.setValue(kParamModulation, fromStep(lastControllerValue(1) - 1, 127, 0));
    for (VstInt32 index = 0; index <= sorrel::kLastProgramParameter; ++index)
        applyParameter(index, getParameter(index), 0, true);
    updateExtModSources(0);
    takeHostTempo(true);
    notify([](CM4417VstListener& editor) {
        editor.RefreshAll(false);
        editor.SuspendUpdates(false);
    });
}

void CSorlVst::storeCompareBuffer() { compare = edit; }

void CSorlVst::setStoredProgram(VstInt32 program) { bank->program = program; }

VstInt32 CSorlVst::getStoredProgram() { return bank->program; }

void CSorlVst::loadProgramIntoEditBuffer(VstInt32 program)
{
    // The wheels follow the player, not the program.
    const float pitchBend = edit.value(kParamPitchBend);
    const float modulation = edit.value(kParamModulation);
    edit = bank->slots[program];
    edit.setValue(kParamPitchBend, pitchBend);
    edit.setValue(kParamModulation, modulation);
}

void CSorlVst::setEditBufferName(const char* name)
{
    const std::string_view bounded(name, strnlen(name, kProgramNameMaxLength));
    if (bounded == edit.name())
        return;
    edit.setName(bounded);
    setEdited(true);
    const std::string stored(edit.name());
    notify([&stored](CM4417VstListener& editor) { editor.OnProgramNameChanged(stored.c_str(), true); });
}

bool CSorlVst::getProgramNameAt(VstInt32 program, char* text, VstInt32, bool fromEditBuffer)
{
    if (program < 0 || program >= kProgramCount)
        return false;
    const sorrel::ProgramRecord& record = fromEditBuffer && program == curProgram ? edit : bank->slots[program];
    copyText(text, record.name(), kHostProgramNameLength);
    return true;
}

bool CSorlVst::writeProgram(VstInt32 program)
{
    if (program < 0 || program >= kProgramCount)
        return false;
    bank->slots[program] = edit;
    return true;
}

VstInt32 CSorlVst::getPluginId() { return fourCharCode("ZOBE"); }

bool CSorlVst::isAcceptedPluginId(VstInt32 id) { return id == fourCharCode("ZOBE") || id == fourCharCode("wq3 "); }

VstInt32 CSorlVst::getExtModSourceParameter(int input) { return input == 0 ? kParamExtMod1Source : kParamExtMod2Source; }

float CSorlVst::getInternalTempo() { return sorrel::mapRange(edit.value(kParamTempo), 20.0f, 400.0f); }
bool CSorlVst::isMidiSync() { return sorrel::isOn(edit.value(kParamMidiSync)); }
bool CSorlVst::isMgTempoSync() { return sorrel::isOn(edit.value(kParamMgTempoSync)); }
bool CSorlVst::isMgKeySync() { return sorrel::isOn(edit.value(kParamMgKeySync)); }
bool CSorlVst::isArpTempoSync() { return sorrel::isOn(edit.value(kParamArpTempoSync)); }
bool CSorlVst::isArpKeySync() { return sorrel::isOn(edit.value(kParamArpKeySync)); }

float CSorlVst::tempoPeriod(float tempo, VstInt32 baseNoteIndex, VstInt32 timesIndex) const
{
    const int times = sorrel::toStep(1.0f - edit.value(timesIndex), 16, 1);
    const int length = kNoteLengths[sorrel::toStep(edit.value(baseNoteIndex), 10, 0)];
    return sampleRate * static_cast<float>(length) * static_cast<float>(times) * 2.5f / tempo;
}

void CSorlVst::updateMgTempoRate(float tempo)
{
    mgPeriod = tempoPeriod(tempo, kParamMgBaseNote, kParamMgTimes);
    engine->SetMgSyncRate(1.0f / mgPeriod);
}

void CSorlVst::updateArpTempoRate(float tempo)
{
    arpClock.setPeriod(tempoPeriod(tempo, kParamArpBaseNote, kParamArpTimes));
}

void CSorlVst::advanceArpClock(VstInt32 frames)
{
    if (!isArpTempoSync())
        return;
    arpClock.advance(frames, [this](int offset) { engine->QueueArpTick(static_cast<std::uint32_t>(offset)); });
}

void CSorlVst::restartArpClock(VstInt32 deltaFrames)
{
    arpClock.restart(deltaFrames);
    engine->QueueArpTick(static_cast<std::uint32_t>(deltaFrames));
}

void CSorlVst::restartMg(VstInt32 deltaFrames) { engine->QueueMgPhase(0.0f, static_cast<std::uint32_t>(deltaFrames)); }
