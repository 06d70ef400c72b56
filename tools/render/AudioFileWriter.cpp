#include "AudioFileWriter.h"

#include "RenderError.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorrel::render {

namespace {

struct Container {
    const char* extension;
    int format;
    bool holdsFloat;
};

constexpr std::array<Container, 3> kContainers{{
    {".wav", SF_FORMAT_WAV, true},
    {".wave", SF_FORMAT_WAV, true},
    {".flac", SF_FORMAT_FLAC, false},
}};

int subtypeOf(SampleFormat format)
{
    switch (format) {
    case SampleFormat::Pcm16:
        return SF_FORMAT_PCM_16;
    case SampleFormat::Pcm24:
        return SF_FORMAT_PCM_24;
    case SampleFormat::Float32:
        return SF_FORMAT_FLOAT;
    }
    return 0;
}

const Container& containerFor(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto found = std::find_if(kContainers.begin(), kContainers.end(),
                                    [&](const Container& c) { return extension == c.extension; });
    if (found == kContainers.end()) {
        throw RenderError("cannot tell the file type of '" + path + "' from its extension: use .wav or .flac");
    }
    return *found;
}

// mkstemp creates files readable by their owner only; the output should get
// the permissions any new file gets.
void grantDefaultPermissions(int descriptor)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);
}

} // namespace

void AudioFileWriter::validate(const std::string& path, SampleFormat format)
{
    const Container& container = containerFor(path);
    if (format == SampleFormat::Float32 && !container.holdsFloat) {
        throw RenderError("FLAC holds 16- or 24-bit samples only: use --format 16 or 24, or a .wav output");
    }
}

AudioFileWriter::AudioFileWriter(const std::string& path, int channels, int sampleRate, SampleFormat format)
    : path_(path), channels_(channels)
{
    validate(path, format);
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = containerFor(path).format | subtypeOf(format);

    const std::filesystem::path target(path);
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        throw RenderError("cannot create the output '" + path + "': " + std::strerror(errno));
    }
    temporaryPath_ = pattern;
    grantDefaultPermissions(descriptor);

    file_ = sf_open_fd(descriptor, SFM_WRITE, &info, SF_TRUE);
    if (file_ == nullptr) {
        const std::string reason = sf_strerror(nullptr);
        ::close(descriptor);
        ::unlink(temporaryPath_.c_str());
        throw RenderError("cannot write '" + path + "': " + reason);
    }
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioFileWriter::~AudioFileWriter()
{
    closeFile();
    if (!committed_) {
        ::unlink(temporaryPath_.c_str());
    }
}

void AudioFileWriter::write(const float* const* channels, int frames)
{
    const auto count = static_cast<std::size_t>(channels_);
    interleaved_.resize(static_cast<std::size_t>(frames) * count);
    for (std::size_t channel = 0; channel < count; ++channel) {
        for (std::size_t frame = 0; frame < static_cast<std::size_t>(frames); ++frame) {
            interleaved_[frame * count + channel] = channels[channel][frame];
        }
    }
    if (sf_writef_float(file_, interleaved_.data(), frames) != frames) {
        throw RenderError("cannot write '" + path_ + "': " + sf_strerror(file_));
    }
}

void AudioFileWriter::commit()
{
    const int error = sf_close(file_);
    file_ = nullptr;
    if (error != 0) {
        throw RenderError("cannot finish '" + path_ + "': " + sf_error_number(error));
    }
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        throw RenderError("cannot move the rendered file to '" + path_ + "': " + std::strerror(errno));
    }
    committed_ = true;
}

void AudioFileWriter::closeFile()
{
    if (file_ != nullptr) {
        sf_close(file_);
        file_ = nullptr;
    }
}

} // namespace sorrel::render
