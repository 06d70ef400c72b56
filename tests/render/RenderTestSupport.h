// Shared pieces of the renderer tests: Standard MIDI Files built byte by byte,
// a temporary folder, and reading rendered audio back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace sorrel::render::test {

using Bytes = std::vector<std::uint8_t>;

Bytes quantity(std::uint32_t value);

// One track's event bytes: each event is a delta time followed by its bytes.
class TrackBytes {
public:
    TrackBytes& event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes);
    TrackBytes& tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter);
    TrackBytes& end(std::uint32_t delta = 0);
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

// 'MThd' with format, track count and division, then one 'MTrk' per track.
Bytes midiFile(int format, std::uint16_t division, const std::vector<Bytes>& tracks);

// Appends to `bytes` a 32-bit big-endian number.
void appendBigEndian(Bytes& bytes, std::uint32_t value);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const Bytes& bytes) const;
    // Every file in the folder, hidden ones included.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path path_;
};

struct AudioFile {
    int sampleRate = 0;
    int channels = 0;
    std::int64_t frames = 0;
    std::vector<float> samples; // interleaved
};

AudioFile readAudio(const std::string& path);

} // namespace sorrel::render::test
