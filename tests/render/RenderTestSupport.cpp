#include "RenderTestSupport.h"

#include <algorithm>
#include <fstream>
#include <sndfile.h>
#include <stdexcept>
#include <stdlib.h>

namespace sorrel::render::test {

Bytes quantity(std::uint32_t value)
{
    Bytes groups{static_cast<std::uint8_t>(value & 0x7F)};
    for (value >>= 7; value != 0; value >>= 7) {
        groups.push_back(static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    }
    std::reverse(groups.begin(), groups.end());
    return groups;
}

TrackBytes& TrackBytes::event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes)
{
    const Bytes time = quantity(delta);
    bytes_.insert(bytes_.end(), time.begin(), time.end());
    bytes_.insert(bytes_.end(), bytes);
    return *this;
}

TrackBytes& TrackBytes::tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter)
{
    return event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsecondsPerQuarter >> 16),
                         static_cast<std::uint8_t>(microsecondsPerQuarter >> 8),
                         static_cast<std::uint8_t>(microsecondsPerQuarter)});
}

TrackBytes& TrackBytes::end(std::uint32_t delta)
{
    return event(delta, {0xFF, 0x2F, 0x00});
}

void appendBigEndian(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

Bytes midiFile(int format, std::uint16_t division, const std::vector<Bytes>& tracks)
{
    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    for (const int word : {format, static_cast<int>(tracks.size()), static_cast<int>(division)}) {
        file.push_back(static_cast<std::uint8_t>(word >> 8));
        file.push_back(static_cast<std::uint8_t>(word));
    }
    for (const Bytes& track : tracks) {
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        appendBigEndian(file, static_cast<std::uint32_t>(track.size()));
        file.insert(file.end(), track.begin(), track.end());
    }
    return file;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sorrel-render-test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const Bytes& bytes) const
{
    const std::string path = file(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<std::string> TempDir::entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

AudioFile readAudio(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot open " + path + ": " + sf_strerror(nullptr));
    }
    AudioFile audio{info.samplerate, info.channels, info.frames, {}};
    audio.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    return audio;
}

} // namespace sorrel::render::test
