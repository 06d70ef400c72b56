#include "StateFile.h"

#include "ByteReader.h"
#include "FileBytes.h"
#include "FourCharCode.h"
#include "RenderError.h"

#include <algorithm>
#include <bit>

namespace sorrel::render {

namespace {

constexpr VstInt32 kChunkMagic = fourCharCode("CcnK");
constexpr VstInt32 kProgramChunkMagic = fourCharCode("FPCh");
constexpr VstInt32 kBankChunkMagic = fourCharCode("FBCh");
constexpr VstInt32 kProgramValuesMagic = fourCharCode("FxCk");
constexpr VstInt32 kBankValuesMagic = fourCharCode("FxBk");

constexpr std::size_t kProgramNameBytes = 28;
constexpr std::size_t kBankReservedBytes = 124;
// Bank files of version 2 and later store the current program.
constexpr std::uint32_t kFirstVersionWithCurrentProgram = 2;
// Hosts hand program names in buffers at least this large.
constexpr std::size_t kNameBufferBytes = 64;

struct Header {
    VstInt32 fxMagic;
    std::uint32_t version;
    VstInt32 pluginId;
};

Header readHeader(ByteReader& reader)
{
    if (static_cast<VstInt32>(reader.u32()) != kChunkMagic) {
        throw RenderError("not a VST program or bank file (it does not start with 'CcnK')");
    }
    reader.u32(); // byteSize: writers disagree on it, and every length that matters is stored again
    Header header{};
    header.fxMagic = static_cast<VstInt32>(reader.u32());
    header.version = reader.u32();
    header.pluginId = static_cast<VstInt32>(reader.u32());
    reader.u32(); // the plug-in's version when it wrote the file
    return header;
}

std::string readName(ByteReader& reader)
{
    const auto bytes = reader.take(kProgramNameBytes);
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

std::vector<std::uint8_t> readChunk(ByteReader& reader)
{
    const std::uint32_t size = reader.u32();
    if (size > reader.remaining()) {
        throw RenderError("truncated: the chunk announces " + std::to_string(size) + " bytes but " +
                          std::to_string(reader.remaining()) + " follow");
    }
    const auto chunk = reader.take(size);
    return {chunk.begin(), chunk.end()};
}

// The values of one 'FxCk' record after its common header.
ProgramValues readValues(ByteReader& reader, const std::string& where)
{
    const std::uint32_t count = reader.u32();
    ProgramValues program;
    program.name = readName(reader);
    if (count > reader.remaining() / 4) {
        throw RenderError("truncated: " + where + " announces " + std::to_string(count) + " parameters but the file ends at byte " +
                          std::to_string(reader.fileOffset() + reader.remaining()));
    }
    for (std::uint32_t index = 0; index < count; ++index) {
        const float value = std::bit_cast<float>(reader.u32());
        if (!(value >= 0.0f && value <= 1.0f)) {
            throw RenderError(where + " sets parameter " + std::to_string(index) + " to " + std::to_string(value) +
                              ", outside 0 to 1");
        }
        program.values.push_back(value);
    }
    return program;
}

void requireKind(bool isBank, bool bank)
{
    if (isBank != bank) {
        throw RenderError(isBank ? "this is a bank file (.fxb), not a program file: give it with --bank"
                                 : "this is a program file (.fxp), not a bank file: give it with --fxp");
    }
}

} // namespace

StateFile StateFile::parse(std::span<const std::uint8_t> bytes, bool bank)
{
    ByteReader reader(bytes);
    StateFile file;
    try {
        const Header header = readHeader(reader);
        file.pluginId_ = header.pluginId;
        if (header.fxMagic == kProgramChunkMagic || header.fxMagic == kProgramValuesMagic) {
            requireKind(false, bank);
            if (header.fxMagic == kProgramChunkMagic) {
                file.kind_ = StateKind::ProgramChunk;
                reader.u32(); // numParams, unused with a chunk
                readName(reader);
                file.chunk_ = readChunk(reader);
            } else {
                file.kind_ = StateKind::ProgramParameters;
                file.programs_.push_back(readValues(reader, "the program"));
            }
        } else if (header.fxMagic == kBankChunkMagic || header.fxMagic == kBankValuesMagic) {
            requireKind(true, bank);
            const std::uint32_t programCount = reader.u32();
            const std::uint32_t current = reader.u32();
            if (header.version >= kFirstVersionWithCurrentProgram) {
                file.currentProgram_ = static_cast<int>(current);
            }
            reader.take(kBankReservedBytes);
            if (header.fxMagic == kBankChunkMagic) {
                file.kind_ = StateKind::BankChunk;
                file.chunk_ = readChunk(reader);
            } else {
                file.kind_ = StateKind::BankParameters;
                for (std::uint32_t index = 0; index < programCount; ++index) {
                    const std::string where = "program " + std::to_string(index) + " of the bank";
                    const Header program = readHeader(reader);
                    if (program.fxMagic != kProgramValuesMagic) {
                        throw RenderError(where + " is a " + fourCharText(program.fxMagic) + " record, not 'FxCk'");
                    }
                    file.programs_.push_back(readValues(reader, where));
                }
                if (file.currentProgram_ < 0 || file.currentProgram_ >= static_cast<int>(programCount)) {
                    file.currentProgram_ = 0;
                }
            }
        } else {
            throw RenderError("unknown kind of VST file " + fourCharText(header.fxMagic) +
                              " ('FPCh', 'FxCk', 'FBCh' and 'FxBk' are known)");
        }
    } catch (const ByteReader::Truncated& cut) {
        throw RenderError("truncated: the file ends at byte " + std::to_string(cut.offset) + ", inside a header");
    }
    return file;
}

StateFile StateFile::read(const std::string& path, bool bank)
{
    const char* what = bank ? "bank file" : "program file";
    const std::vector<std::uint8_t> bytes = readFileBytes(path, what);
    try {
        return parse(bytes, bank);
    } catch (const RenderError& error) {
        throw RenderError(std::string(what) + " '" + path + "': " + error.what());
    }
}

void StateFile::applyTo(host::VstPlugin& plugin, std::ostream& warnings) const
{
    const VstInt32 expected = plugin.effect().uniqueID;
    const bool chunk = kind_ == StateKind::ProgramChunk || kind_ == StateKind::BankChunk;
    if (pluginId_ != expected) {
        const std::string mismatch =
            "the file is for plug-in ID " + fourCharText(pluginId_) + ", this plug-in is " + fourCharText(expected);
        if (!chunk) {
            throw RenderError(mismatch);
        }
        warnings << "warning: " << mismatch << "; handing the chunk over anyway\n";
    }
    if (chunk) {
        applyChunk(plugin);
    } else {
        applyValues(plugin);
    }
}

std::vector<std::uint8_t> StateFile::currentChunk(host::VstPlugin& plugin, VstInt32 index)
{
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, index, 0, &data);
    if (size <= 0 || data == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

void StateFile::applyChunk(host::VstPlugin& plugin) const
{
    if ((plugin.effect().flags & effFlagsProgramChunks) == 0) {
        throw RenderError("the plug-in does not take chunks (no program-chunks flag), so it cannot load this file");
    }
    const VstInt32 index = isBank() ? 0 : 1;
    const std::vector<std::uint8_t> before = currentChunk(plugin, index);
    // The plug-in takes the data as non-const; it gets a copy, with a zero byte
    // after the end for plug-ins (amsynth among them) that read text chunks up to
    // a terminator.
    std::vector<std::uint8_t> data = chunk_;
    data.push_back(0);
    if (plugin.dispatch(effSetChunk, index, static_cast<VstIntPtr>(chunk_.size()), data.data()) != 0) {
        return;
    }
    // Some plug-ins (amsynth among them) answer 0 even when they take the
    // chunk; their own chunk shows whether they did.
    const std::vector<std::uint8_t> after = currentChunk(plugin, index);
    if (after == before && after != chunk_) {
        throw RenderError(std::string("the plug-in refused the ") + (isBank() ? "bank" : "program") + " chunk");
    }
}

void StateFile::applyValues(host::VstPlugin& plugin) const
{
    const AEffect& effect = plugin.effect();
    if (static_cast<std::size_t>(std::max(effect.numPrograms, 1)) < programs_.size()) {
        throw RenderError("the bank holds " + std::to_string(programs_.size()) + " programs, the plug-in has " +
                          std::to_string(effect.numPrograms));
    }
    for (std::size_t index = 0; index < programs_.size(); ++index) {
        const ProgramValues& program = programs_[index];
        if (program.values.size() > static_cast<std::size_t>(effect.numParams)) {
            throw RenderError("the file sets " + std::to_string(program.values.size()) + " parameters, the plug-in has " +
                              std::to_string(effect.numParams));
        }
        if (isBank()) {
            plugin.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(index));
        }
        std::vector<char> name(kNameBufferBytes, '\0');
        std::copy(program.name.begin(), program.name.end(), name.begin());
        plugin.dispatch(effSetProgramName, 0, 0, name.data());
        for (std::size_t parameter = 0; parameter < program.values.size(); ++parameter) {
            plugin.setParameter(static_cast<VstInt32>(parameter), program.values[parameter]);
        }
    }
    if (isBank()) {
        plugin.dispatch(effSetProgram, 0, currentProgram_);
    }
}

} // namespace sorrel::render
