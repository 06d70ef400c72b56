// Abstract engine: the operations the plug-in object drives. Sample offsets are
// positions inside the coming block.
#pragma once

#include <cstdint>

class CM4417Dsp {
public:
    virtual ~CM4417Dsp();

    virtual void Process(float** inputs, float** outputs, std::int32_t frames);
    virtual void ProcessReplacing(float** inputs, float** outputs, std::int32_t frames);
    virtual void SetParameter(std::uint32_t sampleOffset, std::int32_t index, float value);
    virtual void SetTuning(std::int32_t index, float value);
    virtual void SetExtModSource(std::int32_t input, std::int32_t source);
    virtual void QueueExtModValue(std::int32_t input, float value, std::uint32_t sampleOffset);
    virtual void QueueNote(std::uint32_t sampleOffset, std::int32_t key, std::int32_t velocity);
    virtual void QueueNoteOff(std::uint32_t sampleOffset, std::int32_t key, std::int32_t velocity);
    virtual void QueueAllNotesOff(std::uint32_t sampleOffset);
    virtual void QueueAllSoundOff(std::uint32_t sampleOffset);
    virtual void Reset();
    virtual void Resume();
    virtual void Suspend();
    virtual void SetSampleRate(float rate);
    virtual void SetMgTempoSync(bool flag);
    virtual void SetMgSyncRate(float increment);
    virtual std::uint32_t GetVersion() const;
    virtual void SetMute(bool flag);
    virtual bool IsSounding() const = 0;
};
