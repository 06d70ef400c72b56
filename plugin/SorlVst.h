// The instrument: its parameters, programs and engine on top of the framework.
#pragma once

#include "ArpClock.h"
#include "BankImage.h"
#include "M4417Vst.h"
#include "ParameterTable.h"
#include "ProgramFade.h"
#include "ProgramRecord.h"

#include <memory>

class CSorlVst : public CM4417Vst {
public:
    static constexpr VstInt32 kProgramCount = 32;

    explicit CSorlVst(audioMasterCallback audioMaster);
    ~CSorlVst() override;

    // AudioEffectX
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getProductString(char* text) override;
    bool getVendorString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName* programName) override;

    // CM4417Vst
    bool initializeInstrument() override;
    void renderAccumulating(float** outputs, VstInt32 frames) override;
    void renderReplacing(float** outputs, VstInt32 frames) override;
    void applyParameter(VstInt32 index, float value, VstInt32 deltaFrames, bool force) override;
    float getProgramParameter(VstInt32 program, VstInt32 index) override;
    void formatParameterDisplay(VstInt32 index, float value, char* text) override;
    bool isParameterAutomatable(VstInt32 index) override;
    VstInt32 getParameterCount() override { return sorrel::kParameterCount; }
    sorrel::GlobalBlock& getGlobalBlock() override { return bank->global; }
    const sorrel::GlobalBlock& getDefaultGlobalBlock() override { return sorrel::factoryGlobalBlock(); }
    void sendProgramToEngine() override;
    void setEditBufferName(const char* name) override;
    bool getProgramNameAt(VstInt32 program, char* text, VstInt32 length, bool fromEditBuffer) override;
    bool writeProgram(VstInt32 program) override;
    VstInt32 getProgramCount() override { return kProgramCount; }
    void storeCompareBuffer() override;
    void setStoredProgram(VstInt32 program) override;
    VstInt32 getStoredProgram() override;
    void loadProgramIntoEditBuffer(VstInt32 program) override;
    VstInt32 getPluginId() override;
    bool isAcceptedPluginId(VstInt32 id) override;
    VstInt32 buildChunk(void** data, bool program) override;
    VstInt32 applyChunk(const void* data, VstInt32 size, bool program) override;
    VstInt32 getChunkSize(bool program) override;
    const char* getDefaultBankFileName() override { return "Sorrel.fxb"; }
    const char* getDefaultControllerMapFileName() override { return "Sorrel.cmap"; }
    void noteOn(VstInt32 key, VstInt32 velocity, VstInt32 deltaFrames) override;
    void controllerReceived(std::uint8_t status, VstInt32 controller, VstInt32 value, VstInt32 deltaFrames) override;
    void channelPressure(VstInt32 value, VstInt32 deltaFrames) override;
    void pitchBend(VstInt32 deltaFrames) override;
    VstInt32 getExtModSourceParameter(int input) override;
    float getInternalTempo() override;
    bool isMidiSync() override;
    void updateMgTempoRate(float tempo) override;
    void updateArpTempoRate(float tempo) override;

    bool isMgTempoSync();
    bool isMgKeySync();
    bool isArpTempoSync();
    bool isArpKeySync();
    void restartMg(VstInt32 deltaFrames);
    void restartArpClock(VstInt32 deltaFrames);
    void sendToEngine(VstInt32 engineInput, float value, VstInt32 deltaFrames);
    void startFade(int muteMs, int fadeMs, float level);
    void resetPendingParameters();
    const CSorlProgramFade& programFade() const { return fade; }

    const sorrel::ProgramRecord& editBuffer() const { return edit; }
    const sorrel::ProgramRecord& compareBuffer() const { return compare; }
    const sorrel::BankImage& bankImage() const { return *bank; }
    bool notesPlayedSinceProgramSent() const { return notesPlayed; }
    VstInt32 controllerExclusionChannel() const { return exclusionChannel; }
    float mgPeriodSamples() const { return mgPeriod; }
    float arpPeriodSamples() const { return arpClock.periodSamples(); }
    const CSorlArpClock& arpeggiatorClock() const { return arpClock; }

private:
    void storeValue(VstInt32 index, float value);
    void storeAndNotify(VstInt32 index, float value);
    void changeCommon(VstInt32 index, float value, VstInt32 deltaFrames);
    void changeArpeggio(float value, bool force);
    void changeHold(float value);
    void changeKeyAssign(float value, bool force);
    void changeVoicesTotal(float value);
    void changeVoicesUnison(float value);
    void changeExtModSource(VstInt32 input, float value, VstInt32 deltaFrames, bool force);
    void changeCompareTrigger();
    void changeExclusionChannel(float value);
    void advanceArpClock(VstInt32 frames);
    void advanceFade(VstInt32 frames);
    void fadeMuteEnded();
    void selectKeyAssignInEngine();
    void sendChordMemoryToEngine();
    void recordChordMemoryFromEngine();
    float tempoPeriod(float tempo, VstInt32 baseNoteIndex, VstInt32 timesIndex) const;
    VstInt32 applyRecords(const void* data, VstInt32 size, bool program);
    bool applyProgramChunk(const void* data, VstInt32 size);
    bool applyBankChunk(const void* data, VstInt32 size);
    void resetEngineForChunk();

    sorrel::ProgramRecord edit;
    sorrel::ProgramRecord compare;
    std::unique_ptr<sorrel::BankImage> bank;
    // What getChunk hands out; valid until its next call.
    sorrel::ProgramRecord programChunk;
    std::unique_ptr<sorrel::BankImage> bankChunk;
    CSorlProgramFade fade;
    CSorlArpClock arpClock;
    VstInt32 exclusionChannel = -1;
    float mgPeriod = 0.0f;
    bool notesPlayed = false;
};
