// Rendered audio written with libsndfile. The samples go to a hidden
// temporary file beside the output, which takes the output's name only on
// commit(): a failed or interrupted render leaves no half-written file.
#pragma once

#include <string>
#include <vector>

struct sf_private_tag;

namespace sorrel::render {

enum class SampleFormat { Pcm16, Pcm24, Float32 };

class AudioFileWriter {
public:
    // The container follows the extension (.wav, .wave, .flac; any case).
    // Throws RenderError for an unknown extension, a sample format the
    // container cannot hold, or a file that cannot be created.
    AudioFileWriter(const std::string& path, int channels, int sampleRate, SampleFormat format);
    // Removes the temporary file unless committed.
    ~AudioFileWriter();

    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Checks the path and format without touching the file system.
    static void validate(const std::string& path, SampleFormat format);

    // `channels` holds one pointer per channel. PCM formats clip at full scale.
    void write(const float* const* channels, int frames);
    // Finishes the file and moves it to its name.
    void commit();

private:
    void closeFile();

    std::string path_;
    std::string temporaryPath_;
    sf_private_tag* file_ = nullptr;
    int channels_;
    std::vector<float> interleaved_;
    bool committed_ = false;
};

} // namespace sorrel::render
