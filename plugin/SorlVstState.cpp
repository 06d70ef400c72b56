// Building and applying chunks: the edit buffer alone, or the whole bank with its trailer.
#include "SorlVst.h"

#include "ParameterIndices.h"
#include "RecordUpgrade.h"
#include "SharedResources.h"
#include "SorlDsp.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

using namespace sorrel;

namespace {

constexpr std::size_t kRecordHeaderSize = 16; // magic, size, version, flags
constexpr std::size_t kFlagsByte = 12;
constexpr std::uint8_t kCompressedFlag = 2;
constexpr int kKeys = 128;
constexpr VstInt32 kEnginePoly = static_cast<int>(kEngineKeyAssignChord) + static_cast<int>(kKeyAssignStepPoly);

std::uint32_t magicOf(const void* data)
{
    std::uint32_t magic;
    std::memcpy(&magic, data, sizeof magic);
    return magic;
}

bool isCompressedBank(const void* data, VstInt32 size)
{
    return static_cast<std::size_t>(size) >= kRecordHeaderSize && magicOf(data) == kGlobalMagic &&
           (static_cast<const std::uint8_t*>(data)[kFlagsByte] & kCompressedFlag) != 0;
}

// Shorter chunks are padded with zeros, longer ones cut.
template <typename Record>
void copyPadded(Record& record, const void* data, VstInt32 size)
{
    std::memcpy(&record, data, std::min(static_cast<std::size_t>(size), sizeof(Record)));
}

} // namespace

VstInt32 CSorlVst::getChunkSize(bool program) { return program ? kProgramRecordSize : kBankImageSize; }

VstInt32 CSorlVst::buildChunk(void** data, bool program)
{
    if (program) {
        recordChordMemoryFromEngine();
        programChunk = edit;
        *data = &programChunk;
        return getChunkSize(true);
    }
    if (bankChunk == nullptr)
        bankChunk.reset(new (std::nothrow) BankImage());
    if (bankChunk == nullptr)
        return 0;
    *bankChunk = *bank;
    bankChunk->program = curProgram;
    bankChunk->edited = isEdited() ? 1 : 0;
    std::fill(std::begin(bankChunk->reserved), std::end(bankChunk->reserved), 0);
    bankChunk->edit = edit;
    bankChunk->compare = compare;
    *data = bankChunk.get();
    return getChunkSize(false);
}

VstInt32 CSorlVst::applyChunk(const void* data, VstInt32 size, bool program)
{
    if (data == nullptr || size <= 0)
        return 0;
    notify([](CM4417VstListener& editor) { editor.OnChunkLoading(); });
    if (program || !isCompressedBank(data, size))
        return applyRecords(data, size, program);
    std::lock_guard<std::recursive_mutex> guard(CM4417SharedResources::compressionLock());
    const VstInt32 inflated = DecompressData(data, size);
    return inflated != 0 ? applyRecords(CM4417SharedResources::decompressionBuffer(), inflated, false) : 0;
}

VstInt32 CSorlVst::applyRecords(const void* data, VstInt32 size, bool program)
{
    // Anything that does not start like our records is refused before it changes state.
    if (static_cast<std::size_t>(size) < kRecordHeaderSize)
        return 0;
    if (!(program ? applyProgramChunk(data, size) : applyBankChunk(data, size)))
        return 0;
    notify([](CM4417VstListener& editor) { editor.OnProgramsReloaded(); });
    return 1;
}

bool CSorlVst::applyProgramChunk(const void* data, VstInt32 size)
{
    if (magicOf(data) != kProgramMagic)
        return false;
    ProgramRecord loaded;
    copyPadded(loaded, data, size);
    upgradeProgram(loaded);
    startFade(20, 20, 0.0f);
    edit = loaded;
    resetEngineForChunk();
    setEdited(true);
    return true;
}

bool CSorlVst::applyBankChunk(const void* data, VstInt32 size)
{
    if (magicOf(data) != kGlobalMagic)
        return false;
    std::unique_ptr<BankImage> loaded(new (std::nothrow) BankImage());
    if (loaded == nullptr)
        return false;
    copyPadded(*loaded, data, size);
    upgradeBank(*loaded);
    *bank = *loaded;
    edit = loaded->edit;
    compare = loaded->compare;
    curProgram = loaded->program;
    resetEngineForChunk();
    setEdited(loaded->edited != 0);
    // A bank sounds as it was saved, tuning included.
    sendTuningToEngine();
    return true;
}

void CSorlVst::resetEngineForChunk()
{
    for (int key = 0; key < kKeys; ++key)
        engine->QueueNoteOff(0, key, 0);
    sendToEngine(kEngineHold, 0.0f, 0);
    sendToEngine(kEnginePoly, 1.0f, 0);
    sendToEngine(kEngineVoicesTotal, 0.0f, 0);
    sendProgramToEngine();
    // Rebuilds the voice layout even when the count did not change.
    sendToEngine(kEngineVoicesTotal, 0.0f, 0);
    sendToEngine(kEngineVoicesTotal, edit.value(kParamVoicesTotal), 0);
}
