#include "M4417Vst.h"

#include "DenormalGuard.h"
#include "SharedResources.h"
#include "SorlDsp.h"
#include "Trace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

constexpr VstInt32 kTempoFilter = 0x401;
constexpr float kMaxSampleRate = 1536000.0f;
constexpr int kPreRollBlock = 256;

constexpr std::array<const char*, 5> kCanDo = {
    "sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
};

} // namespace

CM4417Vst::CM4417Vst(audioMasterCallback host, VstInt32 programs, VstInt32 params)
    : AudioEffectX(host, programs, params)
{
}

CM4417Vst::~CM4417Vst()
{
    engine.reset();
    if (counted)
        CM4417SharedResources::release();
}

bool CM4417Vst::initialize()
{
    CM4417SharedResources::acquire();
    counted = true;
    clearMidiState();
    recogniseHost();
    return initializeInstrument();
}

void CM4417Vst::recogniseHost()
{
    char product[64] = {};
    char plugName[64] = {};
    getHostProductString(product);
    product[sizeof product - 1] = '\0';
    getEffectName(plugName);
    trace("CM4417Vst::initialize() - Hostname = %s, Plugname = %s", product, plugName);

    char standaloneName[64];
    std::snprintf(standaloneName, sizeof standaloneName, "%s%s", plugName, "Host");
    if (std::strcmp(product, "OrchardHub") == 0) {
        isOrchardHub = true;
        trace("CM4417Vst::initialize() - Host is OrchardHub");
    } else if (std::strcmp(product, standaloneName) == 0) {
        isStandalone = true;
        trace("CM4417Vst::initialize() - Host is standalone");
    }
}

template <typename Render>
void CM4417Vst::render(float** outputs, VstInt32 sampleFrames, Render renderBlock)
{
    if (sampleFrames < 1 || outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr)
        return;
    std::lock_guard<CMoxSemaphore> guard(lock);
    DenormalGuard denormals;
    renderBlock(outputs, sampleFrames);
}

void CM4417Vst::process(float**, float** outputs, VstInt32 sampleFrames)
{
    render(outputs, sampleFrames, [this](float** out, VstInt32 n) { renderAccumulating(out, n); });
}

void CM4417Vst::processReplacing(float**, float** outputs, VstInt32 sampleFrames)
{
    render(outputs, sampleFrames, [this](float** out, VstInt32 n) { renderReplacing(out, n); });
}

void CM4417Vst::suspend()
{
    std::lock_guard<CMoxSemaphore> guard(lock);
    suspendEngine();
}

void CM4417Vst::resume()
{
    std::lock_guard<CMoxSemaphore> guard(lock);
    resumeEngine();
}

void CM4417Vst::suspendEngine()
{
    allSoundOff(0);
    engine->Suspend();
}

void CM4417Vst::resumeEngine()
{
    engine->Resume();
    sendProgramToEngine();

    // Let the engine settle (smoothing, program mute) before the host hears it.
    const int frames = static_cast<int>(sampleRate * 0.1f);
    if (frames > 0) {
        float scratch[4][kPreRollBlock];
        float* outputs[2] = {scratch[2], scratch[3]};
        DenormalGuard denormals;
        for (int block = 0; block < (frames + kPreRollBlock - 1) / kPreRollBlock; ++block) {
            std::memset(scratch, 0, sizeof scratch);
            renderReplacing(outputs, kPreRollBlock);
        }
    }
    wantEvents();
}

void CM4417Vst::setSampleRate(float rate)
{
    // Non-finite or absurd rates are refused; low ones are raised as hosts expect.
    if (std::isnan(rate) || rate > kMaxSampleRate)
        return;
    std::lock_guard<CMoxSemaphore> guard(lock);
    sampleRate = std::max(rate, 8000.0f);
    sampleRateChanged();
}

void CM4417Vst::sampleRateChanged()
{
    engine->SetSampleRate(sampleRate);
    sendProgramToEngine();
}

void CM4417Vst::setBlockSize(VstInt32 size)
{
    std::lock_guard<CMoxSemaphore> guard(lock);
    blockSize = size;
    blockSizeChanged();
}

void CM4417Vst::setParameter(VstInt32 index, float value)
{
    if (!isParameterAutomatable(index))
        return;
    std::lock_guard<CMoxSemaphore> guard(lock);
    applyParameter(index, value, 0, false);
}

float CM4417Vst::getParameter(VstInt32 index) { return getProgramParameter(-1, index); }

void CM4417Vst::getParameterDisplay(VstInt32 index, char* text)
{
    formatParameterDisplay(index, getParameter(index), text);
}

bool CM4417Vst::canParameterBeAutomated(VstInt32 index) { return isParameterAutomatable(index); }

void CM4417Vst::notifyParameterChanged(VstInt32 index, float value, bool flag)
{
    notify([&](CM4417VstListener& editor) { editor.OnParameterChanged(index, value, flag); });
}

void CM4417Vst::setEdited(bool on)
{
    if (edited == on)
        return;
    edited = on;
    notify([on](CM4417VstListener& editor) { editor.OnModifiedChanged(on); });
}

void CM4417Vst::sendPendingDisplayUpdate()
{
    if (displayUpdatePending.exchange(false))
        updateDisplay();
}

void CM4417Vst::setProgram(VstInt32 program)
{
    if (program < getProgramCount()) {
        std::lock_guard<CMoxSemaphore> guard(lock);
        selectProgram(program);
    }
    sendPendingDisplayUpdate();
}

void CM4417Vst::selectProgram(VstInt32 program)
{
    if (program < 0 || program >= getProgramCount())
        return;
    if (program == curProgram || writeMode)
        return;
    curProgram = program;
    loadProgramIntoEditBuffer(program);
    sendProgramToEngine();
    setEdited(false);
    notify([program](CM4417VstListener& editor) { editor.OnProgramChanged(program, true); });
    displayUpdatePending = true;
    setStoredProgram(program);
    storeCompareBuffer();
}

bool CM4417Vst::writeProgramAndSelect(VstInt32 program)
{
    if (program < 0 || program >= getProgramCount() || !writeProgram(program))
        return false;
    // The engine already plays what was written; nothing is resent.
    curProgram = program;
    storeCompareBuffer();
    loadProgramIntoEditBuffer(program);
    notify([program](CM4417VstListener& editor) { editor.OnProgramChanged(program, true); });
    setEdited(false);
    displayUpdatePending = true;
    notify([program](CM4417VstListener& editor) { editor.OnProgramWritten(program); });
    return true;
}

bool CM4417Vst::writeCurrentProgram() { return writeProgramAndSelect(curProgram); }

void CM4417Vst::setProgramName(char* name)
{
    {
        std::lock_guard<CMoxSemaphore> guard(lock);
        setEditBufferName(name);
    }
    sendPendingDisplayUpdate();
}

void CM4417Vst::getProgramName(char* name) { getCurrentProgramName(name); }

void CM4417Vst::getCurrentProgramName(char* text) { getProgramNameAt(curProgram, text, 0, true); }

bool CM4417Vst::getProgramNameIndexed(VstInt32, VstInt32 index, char* text)
{
    return getProgramNameAt(index, text, 0, true);
}

bool CM4417Vst::copyProgram(VstInt32 destination)
{
    bool written;
    {
        std::lock_guard<CMoxSemaphore> guard(lock);
        written = writeProgram(destination);
    }
    sendPendingDisplayUpdate();
    return written;
}

VstInt32 CM4417Vst::canDo(char* text)
{
    const bool listed = std::any_of(kCanDo.begin(), kCanDo.end(),
                                    [text](const char* entry) { return std::strcmp(entry, text) == 0; });
    return listed ? 1 : -1;
}

void CM4417Vst::setTempo(float tempo)
{
    const float clamped = std::clamp(tempo, getMinTempo(), getMaxTempo());
    updateMgTempoRate(clamped);
    updateArpTempoRate(clamped);
}

float CM4417Vst::effectiveTempo() { return isMidiSync() ? hostTempo : getInternalTempo(); }

void CM4417Vst::takeHostTempo(bool force)
{
    const VstTimeInfo* info = getTimeInfo(kTempoFilter);
    if (info == nullptr || (info->flags & kVstTempoValid) == 0 || std::isnan(info->tempo))
        return;
    const float tempo = std::clamp(static_cast<float>(info->tempo), getMinTempo(), getMaxTempo());
    if (tempo == hostTempo && !force)
        return;
    hostTempo = tempo;
    setTempo(tempo);
    notify([tempo](CM4417VstListener& editor) { editor.OnTempoChanged(tempo); });
}
