// Audio files the tests write and read back with libsndfile, independently of vst2host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host_test {

struct Sound {
    int format = 0;  // libsndfile major | subtype
    int channels = 0;
    int sampleRate = 0;
    int64_t frames = 0;
    std::vector<float> samples;  // interleaved, as libsndfile scales them
    std::vector<int32_t> ints;   // interleaved, the integer encodings' values in the top bits
};

// Writes interleaved floats (for float encodings) or ints (for integer ones, in the top bits).
void WriteSound(const std::string& path, int format, int channels, int sampleRate,
                const std::vector<float>& samples);
void WriteSoundInts(const std::string& path, int format, int channels, int sampleRate,
                    const std::vector<int32_t>& ints);

// Reads the whole file as floats and as ints. Fails the test when it cannot.
Sound ReadSound(const std::string& path);

}  // namespace host_test
