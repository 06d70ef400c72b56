// Writes the seed corpus of the fuzz targets from our own plug-in's output:
//     fuzz_seed_writer <corpus folder>
// Each target's folder gets files that its fuzzer reads (see the targets for the
// leading selector byte). The MIDI file seeds are examples/demo.mid, copied by
// scripts/fuzz.sh, and the small files written here.
#include "FuzzInstrument.h"
#include "StateFileHeader.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace sorrel::fuzz;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRecordHeaderSize = 16;
constexpr std::size_t kFlagsByte = 12;
constexpr std::uint8_t kCompressedFlag = 2;

void write(const fs::path& path, const Bytes& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
}

Bytes selected(std::uint8_t selector, const Bytes& bytes)
{
    Bytes out{selector};
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

Bytes chunkOf(CSorlVst& instrument, bool program)
{
    void* data = nullptr;
    const VstInt32 size = instrument.getChunk(&data, program);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return Bytes(bytes, bytes + size);
}

// The header with the compressed flag, then a zlib stream of the rest.
Bytes compressed(const Bytes& bank)
{
    uLongf room = compressBound(static_cast<uLong>(bank.size()));
    Bytes packed(kRecordHeaderSize + room);
    std::copy_n(bank.begin(), kRecordHeaderSize, packed.begin());
    packed[kFlagsByte] |= kCompressedFlag;
    compress2(packed.data() + kRecordHeaderSize, &room, bank.data() + kRecordHeaderSize,
              static_cast<uLong>(bank.size() - kRecordHeaderSize), 9);
    packed.resize(kRecordHeaderSize + room);
    return packed;
}

Bytes stateFile(CSorlVst& instrument, bool program, const Bytes& chunk)
{
    char name[32] = {};
    instrument.getProgramName(name);
    Bytes file = CM4417StateFileHeader::build(program, instrument.getPluginId(), name,
                                              static_cast<std::uint32_t>(chunk.size()));
    file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Steps of the MIDI event target: kind, three MIDI bytes, offset.
Bytes midiSteps(std::initializer_list<std::array<std::uint8_t, 5>> steps)
{
    Bytes bytes;
    for (const auto& step : steps)
        bytes.insert(bytes.end(), step.begin(), step.end());
    return bytes;
}

// A small format-1 file: a tempo track, and a track with running status, a
// pitch bend, a controller and a SysEx message.
Bytes smallMidiFile()
{
    const Bytes tempoTrack = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04, 0x04,
                              0x02, 0x18, 0x08, 0x83, 0x60, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x00,
                              0xFF, 0x2F, 0x00};
    const Bytes noteTrack = {0x00, 0xFF, 0x03, 0x04, 'l',  'e',  'a',  'd',  0x00, 0x90, 0x3C, 0x64,
                             0x60, 0x40, 0x64, 0x00, 0xE0, 0x00, 0x50, 0x30, 0xB0, 0x01, 0x40, 0x00,
                             0xF0, 0x03, 0x7E, 0x00, 0xF7, 0x81, 0x40, 0x80, 0x3C, 0x00, 0x00, 0x40,
                             0x00, 0x00, 0xFF, 0x2F, 0x00};
    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0};
    for (const Bytes* track : {&tempoTrack, &noteTrack}) {
        const auto length = static_cast<std::uint32_t>(track->size());
        const Bytes header = {'M',
                              'T',
                              'r',
                              'k',
                              static_cast<std::uint8_t>(length >> 24),
                              static_cast<std::uint8_t>(length >> 16),
                              static_cast<std::uint8_t>(length >> 8),
                              static_cast<std::uint8_t>(length)};
        file.insert(file.end(), header.begin(), header.end());
        file.insert(file.end(), track->begin(), track->end());
    }
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1];
    keepDefaultFilesAway();
    auto instrument = makeInstrument();
    instrument->setProgram(3);
    instrument->setParameter(7, 0.25f);
    instrument->assignController(7, 30);

    const Bytes program = chunkOf(*instrument, true);
    const Bytes bank = chunkOf(*instrument, false);
    const Bytes packedBank = compressed(bank);
    write(corpus / "set_chunk/program", selected(1, program));
    write(corpus / "set_chunk/bank-compressed", selected(0, packedBank));
    write(corpus / "set_chunk/bank-short", selected(0, Bytes(bank.begin(), bank.begin() + 4096)));

    write(corpus / "state_file/program.fxp", selected(1, stateFile(*instrument, true, program)));
    write(corpus / "state_file/bank-compressed.fxb", selected(0, stateFile(*instrument, false, packedBank)));

    const fs::path map = fs::temp_directory_path() / "sorrel-seed.cmap";
    instrument->saveControllerMap(map.c_str(), false);
    write(corpus / "controller_map/learned.cmap", readFile(map));
    fs::remove(map);

    write(corpus / "midi_events/notes",
          midiSteps({{0, 0x90, 60, 100, 0}, {0, 0x90, 64, 90, 8}, {0, 0xB0, 1, 64, 4}, {1, 0x02, 0x00, 0, 0},
                     {0, 0x80, 60, 0, 2}, {0, 0xE0, 0, 80, 0}, {0, 0xB0, 64, 127, 0}, {1, 0x01, 0x00, 0, 0},
                     {0, 0xB0, 64, 0, 0}, {0, 0xB0, 123, 0, 0}, {1, 0x04, 0x00, 0, 0}}));
    write(corpus / "midi_events/programs-and-controllers",
          midiSteps({{0, 0xC0, 5, 0, 0}, {0, 0x90, 48, 127, 0}, {0, 0xB0, 30, 100, 0}, {2, 0xF0, 1, 2, 0},
                     {0, 0xD0, 90, 0, 10}, {1, 0x02, 0x00, 0, 0}, {0, 0xB0, 121, 0, 0}, {0, 0xB0, 120, 0, 0},
                     {1, 0x00, 0x40, 0, 0}}));
    write(corpus / "midi_file/small.mid", smallMidiFile());
    return 0;
}
