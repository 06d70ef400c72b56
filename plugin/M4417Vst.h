// The common instrument framework between the VST layers and an instrument: the
// instance lock, program change, MIDI intake, host tempo and host recognition.
#pragma once

#include "AudioEffectX.h"
#include "MoxSemaphore.h"

#include <array>
#include <cstdint>
#include <memory>

class CSorlDsp;

class CM4417Vst : public AudioEffectX {
public:
    CM4417Vst(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    ~CM4417Vst() override;

    // AudioEffect / AudioEffectX
    void suspend() override;
    void resume() override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    bool canParameterBeAutomated(VstInt32 index) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    VstInt32 processEvents(VstEvents* events) override;
    VstInt32 canDo(char* text) override;
    bool copyProgram(VstInt32 destination) override;
    bool keysRequired() override { return true; }

    // Framework operations.
    virtual bool initialize();
    virtual bool initializeInstrument() = 0;
    virtual void renderAccumulating(float** outputs, VstInt32 frames) = 0;
    virtual void renderReplacing(float** outputs, VstInt32 frames) = 0;
    virtual void applyParameter(VstInt32 index, float value, VstInt32 deltaFrames, bool force) = 0;
    virtual void notifyParameterChanged(VstInt32 index, float value, bool flag);
    virtual float getProgramParameter(VstInt32 program, VstInt32 index) = 0;
    virtual void formatParameterDisplay(VstInt32 index, float value, char* text) = 0;
    virtual bool isParameterAutomatable(VstInt32 index) = 0;
    virtual VstInt32 getParameterCount() = 0;
    virtual void sendProgramToEngine() = 0;
    virtual void selectProgram(VstInt32 program);
    virtual void setEditBufferName(const char* name) = 0;
    virtual void getCurrentProgramName(char* text);
    virtual bool getProgramNameAt(VstInt32 program, char* text, VstInt32 length, bool fromEditBuffer) = 0;
    virtual bool writeProgram(VstInt32 program) = 0;
    virtual VstInt32 getProgramCount() = 0;
    virtual void loadProgramIntoEditBuffer(VstInt32 program) = 0;
    virtual void receiveMidi(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 deltaFrames);
    virtual void noteOn(VstInt32 key, VstInt32 velocity, VstInt32 deltaFrames);
    virtual void noteOff(VstInt32 key, VstInt32 deltaFrames);
    virtual void sampleRateChanged();
    virtual void blockSizeChanged() {}
    virtual void suspendEngine();
    virtual void resumeEngine();
    virtual void allSoundOff(VstInt32 deltaFrames);
    virtual void setTempo(float tempo);
    virtual float getInternalTempo() = 0;
    virtual float getMinTempo() { return 20.0f; }
    virtual float getMaxTempo() { return 400.0f; }
    virtual bool isMidiSync() = 0;
    virtual void updateMgTempoRate(float tempo) = 0;
    virtual void updateArpTempoRate(float tempo) = 0;

    float effectiveTempo();
    void takeHostTempo(bool force);

    bool isEdited() const { return edited; }
    bool hostIsOrchardHub() const { return isOrchardHub; }
    bool hostIsStandalone() const { return isStandalone; }
    float getHostTempo() const { return hostTempo; }
    void setWriteMode(bool on) { writeMode = on; }

    // Last MIDI wheel positions, which a program change keeps.
    VstInt32 lastPitchBend() const { return pitchBend; }
    VstInt32 lastControllerValue(int controller) const { return controllerValues[controller & 127]; }

    CMoxSemaphore& instanceLock() { return lock; }
    CSorlDsp* getEngine() const { return engine.get(); }

protected:
    void setEdited(bool on);
    void sendPendingDisplayUpdate();
    void recogniseHost();

    bool displayUpdatePending = false;
    VstInt32 pitchBend = 8192;
    std::array<VstInt32, 128> controllerValues{};
    std::unique_ptr<CSorlDsp> engine;

private:
    template <typename Render>
    void render(float** outputs, VstInt32 sampleFrames, Render renderBlock);

    CMoxSemaphore lock{1};
    float hostTempo = 120.0f;
    bool edited = false;
    bool isOrchardHub = false;
    bool isStandalone = false;
    bool writeMode = false;
    bool counted = false;
};
