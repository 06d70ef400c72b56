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
#include <atomic>
#include <cstdint>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class CMoxFile;
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
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

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

    // Global settings 0-31, each a value in 0..1 (see GlobalSettings.h). Setting one
    // takes the instance lock, as it may retune the engine.
    virtual void setGlobalSetting(VstInt32 index, float value);
    virtual float getGlobalSetting(VstInt32 index);
    // At most length bytes including the terminating zero.
    virtual void formatGlobalSetting(VstInt32 index, char* text, VstInt32 length);
    virtual VstInt32 getGlobalSettingCount();
    // Master tune and the selected scale's twelve offsets, as the block holds them.
    void sendTuningToEngine();

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

    // Chunks: one program record or the bank image. buildChunk answers a pointer that
    // stays valid until the next buildChunk; applyChunk answers 1, or 0 with the state
    // unchanged. Both expect the caller to hold the instance lock.
    virtual VstInt32 buildChunk(void** data, bool program) = 0;
    virtual VstInt32 applyChunk(const void* data, VstInt32 size, bool program) = 0;
    virtual VstInt32 getChunkSize(bool program) = 0;
    // Inflates a compressed bank chunk into the shared decompression buffer: its length
    // with the 16-byte header, or 0. Hold compressionLock while using the result.
    VstInt32 DecompressData(const void* chunk, VstInt32 size);

    // Program (.fxp) and bank (.fxb) files.
    virtual bool writeStateFile(CMoxFile& file, bool program);
    virtual bool saveStateFile(const char* path, bool program, bool remember);
    virtual bool readStateFile(CMoxFile& file, bool program, bool checkOnly);
    virtual bool loadStateFile(const char* path, bool program);
    // The same as a file of size bytes in memory; a bank then selects program 0.
    virtual bool readStateFromMemory(const void* data, std::size_t size, bool program, bool checkOnly);

    // Default files: the per-user file, else the all-users one. Saving writes the
    // per-user file only, creating its folders.
    virtual bool loadDefaultBank();
    bool saveDefaultBank();
    bool loadDefaultControllerMap();
    bool saveDefaultControllerMap();
    virtual const char* getDefaultBankFileName() = 0;
    virtual const char* getDefaultControllerMapFileName() = 0;

    // Only bank paths are remembered; the save dialog proposes them.
    virtual void rememberFilePath(const char* path, bool program);
    const std::string& rememberedBankPath() const { return bankPath; }
    // A bank proposes the remembered path; a program "<effect>_<name>" with the
    // characters that file systems refuse replaced by "_". At most length bytes.
    virtual void suggestFileName(char* text, VstInt32 length, bool program);

    // Paths of length bytes at most; false when they do not fit or no folder is known.
    virtual void getShortEffectName(char* text, VstInt32 length);
    virtual bool getDataFolder(char* text, VstInt32 length, bool perUser);
    virtual bool getDefaultBankPath(char* text, VstInt32 length, bool perUser);
    virtual bool getDefaultControllerMapPath(char* text, VstInt32 length, bool perUser);

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
    bool writeControllerMap(CMoxFile& file);
    bool readControllerMap(CMoxFile& file, bool checkOnly);
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
    void storeGlobalSetting(VstInt32 index, float value);
    bool readStateChunk(const std::function<std::size_t(void*, std::size_t)>& read, bool program, bool checkOnly);
    bool defaultFilePath(char* text, VstInt32 length, bool perUser, const char* fileName);

    template <typename Call>
    void notify(Call call)
    {
        if (listener != nullptr)
            call(*listener);
    }

    // Set under the instance lock, taken and sent by whichever host call comes out of it.
    std::atomic<bool> displayUpdatePending{false};
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
    std::string bankPath;
    bool assignmentsShown = false;
    float hostTempo = 120.0f;
    bool edited = false;
    bool isOrchardHub = false;
    bool isStandalone = false;
    bool writeMode = false;
    bool counted = false;
};
