// The common instrument framework between the VST layers and an instrument: the
// instance lock, program change, MIDI intake and controller map, host tempo and host
// recognition.
#pragma once

#include "AudioEffectX.h"
#include "GlobalBlock.h"
#include "M4417VstListener.h"
#include "MoxSemaphore.h"
#include "NoteState.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

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
    virtual sorrel::GlobalBlock& getGlobalBlock() = 0;
    virtual const sorrel::GlobalBlock& getDefaultGlobalBlock() = 0;
    virtual void sendProgramToEngine() = 0;

    // Programs.
    virtual void selectProgram(VstInt32 program);
    virtual void setEditBufferName(const char* name) = 0;
    virtual void getCurrentProgramName(char* text);
    virtual bool getProgramNameAt(VstInt32 program, char* text, VstInt32 length, bool fromEditBuffer) = 0;
    virtual bool writeProgram(VstInt32 program) = 0;
    virtual bool writeCurrentProgram();
    virtual bool writeProgramAndSelect(VstInt32 program);
    virtual VstInt32 getProgramCount() = 0;
    virtual void storeCompareBuffer() = 0;
    virtual void setStoredProgram(VstInt32 program) = 0;
    virtual VstInt32 getStoredProgram() = 0;
    virtual void loadProgramIntoEditBuffer(VstInt32 program) = 0;
    virtual VstInt32 getPluginId() = 0;
    virtual bool isAcceptedPluginId(VstInt32 id) = 0;

    // MIDI intake.
    virtual void receiveMidi(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 deltaFrames);
    virtual void dispatchMidi(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, VstInt32 deltaFrames);
    virtual void noteOn(VstInt32 key, VstInt32 velocity, VstInt32 deltaFrames) = 0;
    virtual void noteOff(VstInt32 key, VstInt32 velocity, VstInt32 deltaFrames);
    virtual void controlChange(VstInt32 controller, VstInt32 value, VstInt32 deltaFrames);
    virtual void controllerReceived(std::uint8_t status, VstInt32 controller, VstInt32 value,
                                    VstInt32 deltaFrames) = 0;
    virtual void sustainPedal(VstInt32 value, VstInt32 deltaFrames);
    virtual void programChange(VstInt32 program);
    virtual void channelPressure(VstInt32 value, VstInt32 deltaFrames) = 0;
    virtual void pitchBend(VstInt32 deltaFrames) = 0;
    virtual bool isMidiFiltered(std::uint8_t status);
    virtual void releaseSustained(VstInt32 deltaFrames);
    virtual void allSoundOff(VstInt32 deltaFrames);
    virtual void allNotesOff(VstInt32 deltaFrames);
    virtual void resetControllers(VstInt32 deltaFrames);

    // Controller map (entries 0-95 of the global block's map).
    virtual VstInt32 findControllerForParameter(VstInt32 parameter);
    virtual void assignController(VstInt32 parameter, VstInt32 controller);
    virtual VstInt32 getControllerParameter(VstInt32 controller);
    virtual void setControllerParameter(VstInt32 controller, VstInt32 parameter);
    bool writeControllerMap(std::FILE* file);
    bool readControllerMap(std::FILE* file, bool checkOnly);
    bool saveControllerMap(const char* path, bool remember);
    const std::string& rememberedControllerMapPath() const { return controllerMapPath; }

    // External modulation inputs 0 and 1 and the parameter choosing each one's source.
    virtual VstInt32 getExtModSourceParameter(int input) = 0;
    virtual void updateExtModSources(VstInt32 deltaFrames);

    virtual void sampleRateChanged();
    virtual void blockSizeChanged() {}
    virtual void suspendEngine();
    virtual void resumeEngine();

    // Tempo.
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

    // The editor's notifications; null until the editor exists.
    void setListener(CM4417VstListener* newListener) { listener = newListener; }

    // MIDI state.
    const CM4417NoteState& noteState() const { return notes; }
    VstInt32 lastPitchBend() const { return pitchBendValue; }
    VstInt32 lastChannelPressure() const { return channelPressureValue; }
    VstInt32 lastControllerValue(int controller) const { return controllerValues[controller & 127]; }
    // NRPN LSB, NRPN MSB, RPN LSB, RPN MSB (controllers 98 to 101).
    VstInt32 parameterNumberRegister(int which) const { return parameterNumbers[which & 3]; }
    bool controllerAssignmentsShown() const { return assignmentsShown; }
    void showControllerAssignments(bool shown) { assignmentsShown = shown; }

    CMoxSemaphore& instanceLock() { return lock; }
    CSorlDsp* getEngine() const { return engine.get(); }

protected:
    void setEdited(bool on);
    void sendPendingDisplayUpdate();
    void recogniseHost();
    void clearMidiState();
    // Queues the value into every external modulation input fed by this source.
    void queueExtModValue(int source, float value, VstInt32 deltaFrames);

    template <typename Call>
    void notify(Call call)
    {
        if (listener != nullptr)
            call(*listener);
    }

    bool displayUpdatePending = false;
    CM4417NoteState notes;
    std::unique_ptr<CSorlDsp> engine;

private:
    template <typename Render>
    void render(float** outputs, VstInt32 sampleFrames, Render renderBlock);

    CMoxSemaphore lock{1};
    CM4417VstListener* listener = nullptr;
    std::array<VstInt32, 128> controllerValues{};
    std::array<VstInt32, 4> parameterNumbers{255, 255, 255, 255};
    VstInt32 pitchBendValue = 8192;
    VstInt32 channelPressureValue = 0;
    std::string controllerMapPath;
    bool assignmentsShown = false;
    float hostTempo = 120.0f;
    bool edited = false;
    bool isOrchardHub = false;
    bool isStandalone = false;
    bool writeMode = false;
    bool counted = false;
};
