// Audio files through libsndfile: reading any format it knows in blocks, and writing a new file
// that replaces the target only once it is complete.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vst2host/replacing_file.h"

struct sf_private_tag;  // libsndfile's SNDFILE

namespace vst2host {

// The sample encodings a user may ask for with --format.
enum class SampleFormat { Float, Pcm16, Pcm24 };

// "float", "pcm16" or "pcm24"; nothing for any other word.
std::optional<SampleFormat> ParseSampleFormat(std::string_view name);

struct OutputFormat {
    int format = 0;    // libsndfile's major | subtype
    std::string note;  // why the encoding differs from the one asked for; empty when it does not
};

// The output keeps the input's container (major format). Its encoding is the requested one, or
// by default 32-bit float, else the best the container can hold. Throws CommandError when the
// container cannot hold the requested encoding, this many channels or this sample rate.
OutputFormat ChooseOutputFormat(int inputFormat, int channels, int sampleRate,
                                std::optional<SampleFormat> requested);

// A note when the output's name has the extension of another file type than the one it gets
// (out.flac from a WAV input); empty otherwise.
std::string ContainerMismatchNote(const std::string& path, int format);

// libsndfile's names, e.g. "WAV (Microsoft)" and "32 bit float".
std::string ContainerName(int format);
std::string EncodingName(int format);

class AudioReader {
  public:
    // Throws CommandError ("cannot read PATH: reason").
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channels() const { return channels_; }
    int sampleRate() const { return sampleRate_; }
    int format() const { return format_; }
    // As the header says; the frames actually read may be fewer for a damaged file.
    int64_t frames() const { return frames_; }

    // Reads up to `frames` interleaved frames, scaled so full scale is +-1; returns how many were
    // read, 0 at the end. Throws CommandError on a read error.
    int64_t read(float* interleaved, int64_t frames);
    int64_t read(double* interleaved, int64_t frames);

  private:
    template <typename T>
    int64_t readFrames(T* interleaved, int64_t frames);

    std::string path_;
    sf_private_tag* file_ = nullptr;
    int channels_ = 0;
    int sampleRate_ = 0;
    int format_ = 0;
    int64_t frames_ = 0;
};

class AudioWriter {
  public:
    // Creates the temporary file next to `path`. Throws CommandError.
    AudioWriter(const std::string& path, int format, int channels, int sampleRate);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Writes interleaved frames. Samples beyond full scale are clipped when the encoding is
    // integer. Throws CommandError.
    void write(const float* interleaved, int64_t frames);
    void write(const double* interleaved, int64_t frames);
    // Completes the file and puts it in place of the target. Throws CommandError.
    void commit();

    // Samples that did not fit the integer encoding and were clipped.
    int64_t clippedSamples() const { return clipped_; }

  private:
    template <typename T>
    void writeFrames(const T* interleaved, int64_t frames);
    void check(int64_t written, int64_t expected);
    void closeSoundFile();

    ReplacingFile file_;
    sf_private_tag* sound_ = nullptr;
    int channels_ = 0;
    int integerBits_ = 0;  // 0 unless the encoding is integer PCM
    std::vector<int32_t> integers_;
    int64_t clipped_ = 0;
};

}  // namespace vst2host
