// What the plug-in object tells its editor. Every operation does nothing by default,
// so the plug-in can run before (or without) an editor.
#pragma once

class CM4417VstListener {
public:
    virtual ~CM4417VstListener() = default;

    virtual void OnProgramChanged(int /*program*/, bool /*flag*/) {}
    virtual void OnProgramNameChanged(const char* /*name*/, bool /*redraw*/) {}
    virtual void OnParameterChanged(int /*index*/, float /*value*/, bool /*flag*/) {}
    virtual void OnGlobalChanged(int /*index*/, float /*value*/, bool /*flag*/) {}
    virtual void OnControllerAssigned(int /*parameter*/, int /*controller*/) {}
    virtual void OnModifiedChanged(bool /*edited*/) {}
    virtual void OnNoteOn(int /*key*/, int /*velocity*/) {}
    virtual void OnNoteOff(int /*key*/) {}
    virtual void OnControlChangeReceived(int /*controller*/, int /*value*/) {}
    virtual void OnAllSoundOff() {}
    virtual void OnAllNotesReset() {}
    virtual void OnTempoChanged(float /*tempo*/) {}
    virtual void OnProgramWritten(int /*program*/) {}
    virtual void SuspendUpdates(bool /*suspended*/) {}
    virtual void RefreshAll(bool /*now*/) {}
    // Around applying a chunk or a state file: before anything changes, and after
    // programs, buffers and the global block were replaced.
    virtual void OnChunkLoading() {}
    virtual void OnProgramsReloaded() {}
};
