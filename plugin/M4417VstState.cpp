// Host chunks, program and bank files, and the default files.
#include "M4417Vst.h"

#include "MoxFile.h"
#include "MoxSpecialFolder.h"
#include "SharedResources.h"
#include "StateFileHeader.h"
#include "Trace.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr std::size_t kMaxPathLength = 1024;
constexpr std::size_t kShortEffectNameLength = 63;
constexpr std::size_t kCompressedHeaderSize = 16;
constexpr std::size_t kFlagsByte = 12;
constexpr std::uint8_t kCompressedFlag = 2;
constexpr std::size_t kProgramNameLength = 16;
// Larger chunks in files are refused rather than allocated; no bank comes near it.
constexpr std::uint32_t kMaxFileChunkSize = 2 * CM4417SharedResources::kDecompressionBufferSize;
// Characters that file systems or shells do not take in a name.
constexpr std::string_view kUnsafeFileNameCharacters = "\"'*/:;<>?\\";

void copyBounded(char* text, VstInt32 length, std::string_view source)
{
    if (text == nullptr || length <= 0)
        return;
    const std::size_t count = std::min(source.size(), static_cast<std::size_t>(length) - 1);
    std::memcpy(text, source.data(), count);
    text[count] = '\0';
}

} // namespace

VstInt32 CM4417Vst::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    std::lock_guard<CMoxSemaphore> guard(lock);
    return buildChunk(data, isPreset);
}

VstInt32 CM4417Vst::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    if (data == nullptr || byteSize <= 0)
        return 0;
    std::lock_guard<CMoxSemaphore> guard(lock);
    const VstInt32 applied = applyChunk(data, byteSize, isPreset);
    // This host expects what it hands over to count as stored.
    if (applied != 0 && isOrchardHub) {
        storeCompareBuffer();
        setEdited(false);
    }
    return applied;
}

VstInt32 CM4417Vst::DecompressData(const void* chunk, VstInt32 size)
{
    if (chunk == nullptr || size < static_cast<VstInt32>(kCompressedHeaderSize))
        return 0;
    // All instances share the buffer; the caller may hold the lock already.
    std::unique_lock<std::recursive_mutex> guard(CM4417SharedResources::compressionLock(), std::defer_lock);
    try {
        guard.lock();
    } catch (const std::system_error&) {
        trace("CM4417Vst::DecompressData() - Failed to call sm_pCompMutex->Lock()");
        return 0;
    }
    std::uint8_t* buffer = CM4417SharedResources::decompressionBuffer();
    std::memcpy(buffer, chunk, kCompressedHeaderSize);

    z_stream stream{};
    stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(chunk) + kCompressedHeaderSize);
    stream.avail_in = static_cast<uInt>(size - static_cast<VstInt32>(kCompressedHeaderSize));
    stream.next_out = buffer + kCompressedHeaderSize;
    stream.avail_out = static_cast<uInt>(CM4417SharedResources::kDecompressionBufferSize - kCompressedHeaderSize);
    if (inflateInit(&stream) != Z_OK) {
        trace("CM4417Vst::DecompressData() - Failed to call zlib-inflateInit()");
        return 0;
    }
    // The whole stream in one call, or it does not fit the buffer (or is damaged).
    const int result = inflate(&stream, Z_FINISH);
    const auto inflated = static_cast<VstInt32>(stream.total_out);
    inflateEnd(&stream);
    if (result != Z_STREAM_END) {
        trace("CM4417Vst::DecompressData() - Failed to call zlib-inflate()");
        return 0;
    }
    buffer[kFlagsByte] &= static_cast<std::uint8_t>(~kCompressedFlag);
    return static_cast<VstInt32>(kCompressedHeaderSize) + inflated;
}

bool CM4417Vst::writeStateFile(CMoxFile& file, bool program)
{
    std::vector<std::uint8_t> chunk;
    char name[kProgramNameLength + 1] = {};
    try {
        std::lock_guard<CMoxSemaphore> guard(lock);
        void* data = nullptr;
        const VstInt32 size = buildChunk(&data, program);
        if (data == nullptr || size <= 0)
            return false;
        chunk.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
        if (program)
            getProgramNameAt(curProgram, name, sizeof name, true);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::vector<std::uint8_t> header =
        CM4417StateFileHeader::build(program, getPluginId(), name, static_cast<std::uint32_t>(chunk.size()));
    return file.Write(header.data(), header.size()) == header.size() &&
           file.Write(chunk.data(), chunk.size()) == chunk.size();
}

bool CM4417Vst::saveStateFile(const char* path, bool program, bool remember)
{
    CMoxFile file;
    if (!file.Open(path, CMoxFile::kBinaryWrite))
        return false;
    const bool written = writeStateFile(file, program);
    const bool closed = file.Close();
    if (!written || !closed)
        return false;
    if (remember)
        rememberFilePath(path, program);
    return true;
}

bool CM4417Vst::readStateChunk(const std::function<std::size_t(void*, std::size_t)>& read, bool program,
                               bool checkOnly)
{
    std::uint8_t header[CM4417StateFileHeader::kBankHeaderSize];
    const std::size_t headerSize = CM4417StateFileHeader::size(program);
    if (read(header, headerSize) != headerSize)
        return false;
    const auto size =
        CM4417StateFileHeader::parse(header, program, [this](std::int32_t id) { return isAcceptedPluginId(id); });
    if (!size || *size > kMaxFileChunkSize)
        return false;
    std::vector<std::uint8_t> chunk(*size);
    if (read(chunk.data(), chunk.size()) != chunk.size())
        return false;
    if (checkOnly)
        return true;
    std::lock_guard<CMoxSemaphore> guard(lock);
    return applyChunk(chunk.data(), static_cast<VstInt32>(chunk.size()), program) != 0;
}

bool CM4417Vst::readStateFile(CMoxFile& file, bool program, bool checkOnly)
{
    return readStateChunk([&file](void* buffer, std::size_t bytes) { return file.Read(buffer, bytes); }, program,
                          checkOnly);
}

bool CM4417Vst::loadStateFile(const char* path, bool program)
{
    CMoxFile file;
    if (!file.Open(path, CMoxFile::kBinaryRead))
        return false;
    const bool loaded = readStateFile(file, program, false);
    file.Close();
    if (loaded)
        rememberFilePath(path, program);
    return loaded;
}

bool CM4417Vst::readStateFromMemory(const void* data, std::size_t size, bool program, bool checkOnly)
{
    if (data == nullptr)
        return false;
    const auto* cursor = static_cast<const std::uint8_t*>(data);
    const auto* end = cursor + size;
    auto read = [&cursor, end](void* buffer, std::size_t bytes) {
        const std::size_t count = std::min(bytes, static_cast<std::size_t>(end - cursor));
        if (count > 0) // an empty chunk comes with no buffer at all
            std::memcpy(buffer, cursor, count);
        cursor += count;
        return count;
    };
    if (!readStateChunk(read, program, checkOnly))
        return false;
    if (!program && !checkOnly) {
        std::lock_guard<CMoxSemaphore> guard(lock);
        selectProgram(0);
    }
    return true;
}

bool CM4417Vst::loadDefaultBank()
{
    for (const bool perUser : {true, false}) {
        char path[kMaxPathLength];
        CMoxFile file;
        if (!getDefaultBankPath(path, sizeof path, perUser) || !file.Open(path, CMoxFile::kBinaryRead))
            continue;
        const bool loaded = readStateFile(file, false, false);
        file.Close();
        if (loaded)
            return true;
    }
    return false;
}

bool CM4417Vst::loadDefaultControllerMap()
{
    for (const bool perUser : {true, false}) {
        char path[kMaxPathLength];
        CMoxFile file;
        if (!getDefaultControllerMapPath(path, sizeof path, perUser) || !file.Open(path, CMoxFile::kBinaryRead))
            continue;
        const bool loaded = readControllerMap(file, false);
        file.Close();
        if (loaded)
            return true;
    }
    return false;
}

bool CM4417Vst::saveDefaultBank()
{
    char folder[kMaxPathLength];
    char path[kMaxPathLength];
    return getDataFolder(folder, sizeof folder, true) && CMoxFile::CreateDirectories(folder) &&
           getDefaultBankPath(path, sizeof path, true) && saveStateFile(path, false, false);
}

bool CM4417Vst::saveDefaultControllerMap()
{
    char folder[kMaxPathLength];
    char path[kMaxPathLength];
    return getDataFolder(folder, sizeof folder, true) && CMoxFile::CreateDirectories(folder) &&
           getDefaultControllerMapPath(path, sizeof path, true) && saveControllerMap(path, false);
}

void CM4417Vst::rememberFilePath(const char* path, bool program)
{
    if (path != nullptr && !program)
        bankPath.assign(path, strnlen(path, kMaxPathLength - 1));
}

void CM4417Vst::suggestFileName(char* text, VstInt32 length, bool program)
{
    if (!program) {
        copyBounded(text, length, bankPath);
        return;
    }
    char effect[kShortEffectNameLength + 1] = {};
    char name[kProgramNameLength + 1] = {};
    getShortEffectName(effect, sizeof effect);
    getProgramNameAt(curProgram, name, sizeof name, true);
    std::string proposal = std::string(effect) + "_" + name;
    std::replace_if(
        proposal.begin(), proposal.end(),
        [](char c) { return kUnsafeFileNameCharacters.find(c) != std::string_view::npos; }, '_');
    copyBounded(text, length, proposal);
}

void CM4417Vst::getShortEffectName(char* text, VstInt32 length)
{
    char name[kShortEffectNameLength + 1] = {};
    getEffectName(name);
    copyBounded(text, length, std::string_view(name, strnlen(name, kShortEffectNameLength)));
}

bool CM4417Vst::getDataFolder(char* text, VstInt32 length, bool perUser)
{
    return defaultFilePath(text, length, perUser, nullptr);
}

bool CM4417Vst::getDefaultBankPath(char* text, VstInt32 length, bool perUser)
{
    return defaultFilePath(text, length, perUser, getDefaultBankFileName());
}

bool CM4417Vst::getDefaultControllerMapPath(char* text, VstInt32 length, bool perUser)
{
    return defaultFilePath(text, length, perUser, getDefaultControllerMapFileName());
}

bool CM4417Vst::defaultFilePath(char* text, VstInt32 length, bool perUser, const char* fileName)
{
    if (text == nullptr || length <= 0)
        return false;
    char vendor[kShortEffectNameLength + 1] = {};
    char effect[kShortEffectNameLength + 1] = {};
    getVendorString(vendor);
    getShortEffectName(effect, sizeof effect);
    const std::string folder = std::string(vendor) + "/" + effect;
    return GetSpecialFolderPath(text, static_cast<std::size_t>(length), folder.c_str(), fileName, perUser);
}
