#include "tests/tools/sound_file.h"

#include <sndfile.h>

#include <gtest/gtest.h>

namespace host_test {
namespace {

SNDFILE* OpenForWriting(const std::string& path, int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    return file;
}

}  // namespace

void WriteSound(const std::string& path, int format, int channels, int sampleRate,
                const std::vector<float>& samples) {
    SNDFILE* file = OpenForWriting(path, format, channels, sampleRate);
    if (file == nullptr) return;
    const auto count = static_cast<sf_count_t>(samples.size());
    EXPECT_EQ(sf_write_float(file, samples.data(), count), count);
    sf_close(file);
}

void WriteSoundInts(const std::string& path, int format, int channels, int sampleRate,
                    const std::vector<int32_t>& ints) {
    SNDFILE* file = OpenForWriting(path, format, channels, sampleRate);
    if (file == nullptr) return;
    const auto count = static_cast<sf_count_t>(ints.size());
    EXPECT_EQ(sf_write_int(file, ints.data(), count), count);
    sf_close(file);
}

Sound ReadSound(const std::string& path) {
    Sound sound;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
        return sound;
    }
    sound.format = info.format;
    sound.channels = info.channels;
    sound.sampleRate = info.samplerate;
    sound.frames = info.frames;
    const auto count = static_cast<std::size_t>(info.frames * info.channels);
    sound.samples.resize(count);
    sound.ints.resize(count);
    EXPECT_EQ(sf_readf_float(file, sound.samples.data(), info.frames), info.frames);
    sf_seek(file, 0, SEEK_SET);
    EXPECT_EQ(sf_readf_int(file, sound.ints.data(), info.frames), info.frames);
    sf_close(file);
    return sound;
}

}  // namespace host_test
