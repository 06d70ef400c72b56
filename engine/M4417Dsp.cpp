#include "M4417Dsp.h"

CM4417Dsp::~CM4417Dsp() = default;

void CM4417Dsp::Process(float**, float**, std::int32_t) {}
void CM4417Dsp::ProcessReplacing(float**, float**, std::int32_t) {}
void CM4417Dsp::SetParameter(std::uint32_t, std::int32_t, float) {}
void CM4417Dsp::SetTuning(std::int32_t, float) {}
void CM4417Dsp::SetExtModSource(std::int32_t, std::int32_t) {}
void CM4417Dsp::QueueExtModValue(std::int32_t, float, std::uint32_t) {}
void CM4417Dsp::QueueNote(std::uint32_t, std::int32_t, std::int32_t) {}
void CM4417Dsp::QueueNoteOff(std::uint32_t, std::int32_t, std::int32_t) {}
void CM4417Dsp::QueueAllNotesOff(std::uint32_t) {}
void CM4417Dsp::QueueAllSoundOff(std::uint32_t) {}
void CM4417Dsp::Reset() {}
void CM4417Dsp::Resume() {}
void CM4417Dsp::Suspend() {}
void CM4417Dsp::SetSampleRate(float) {}
void CM4417Dsp::SetMgTempoSync(bool) {}
void CM4417Dsp::SetMgSyncRate(float) {}
std::uint32_t CM4417Dsp::GetVersion() const { return 0; }
void CM4417Dsp::SetMute(bool) {}
