#include "tools/vst2host/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <type_traits>

#include "tools/vst2host/command_error.h"

namespace vst2host {
namespace {

constexpr int kSubtypeMask = SF_FORMAT_SUBMASK;
constexpr int kMajorMask = SF_FORMAT_TYPEMASK;

int Subtype(SampleFormat format) {
    switch (format) {
        case SampleFormat::Pcm16:
            return SF_FORMAT_PCM_16;
        case SampleFormat::Pcm24:
            return SF_FORMAT_PCM_24;
        case SampleFormat::Float:
            break;
    }
    return SF_FORMAT_FLOAT;
}

bool Fits(int format, int channels, int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    return sf_format_check(&info) != 0;
}

// Bits of the integer encodings whose samples this writer scales itself.
int IntegerBits(int format) {
    switch (format & kSubtypeMask) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return 8;
        case SF_FORMAT_PCM_16:
            return 16;
        case SF_FORMAT_PCM_24:
            return 24;
        case SF_FORMAT_PCM_32:
            return 32;
        default:
            return 0;
    }
}

std::string FormatInfoName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || info.name == nullptr) {
        return "format " + std::to_string(format);
    }
    return info.name;
}

// libsndfile's messages may end in a full stop or a line break; the tool's errors are one line.
std::string OneLine(const char* text) {
    std::string line = text != nullptr ? text : "unknown error";
    constexpr std::string_view kSystemPrefix = "System error : ";
    if (line.starts_with(kSystemPrefix)) line.erase(0, kSystemPrefix.size());
    std::replace(line.begin(), line.end(), '\n', ' ');
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
    return line;
}

}  // namespace

std::optional<SampleFormat> ParseSampleFormat(std::string_view name) {
    if (name == "float") return SampleFormat::Float;
    if (name == "pcm16") return SampleFormat::Pcm16;
    if (name == "pcm24") return SampleFormat::Pcm24;
    return std::nullopt;
}

std::string ContainerMismatchNote(const std::string& path, int format) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) != 0) continue;
        if (info.extension == nullptr || extension != info.extension) continue;
        if ((info.format & kMajorMask) == (format & kMajorMask)) return "";
        return path + " is written as " + ContainerName(format) +
               ", the input's file type, whatever its name says";
    }
    return "";
}

std::string ContainerName(int format) {
    return FormatInfoName(format & kMajorMask);
}

std::string EncodingName(int format) {
    return FormatInfoName(format & kSubtypeMask);
}

OutputFormat ChooseOutputFormat(int inputFormat, int channels, int sampleRate,
                                std::optional<SampleFormat> requested) {
    const int major = inputFormat & kMajorMask;
    std::vector<int> candidates;
    if (requested) {
        candidates = {Subtype(*requested)};
    } else {
        // Float keeps whatever the plug-in produced; where the container has no float, the
        // widest integer it holds, and last the input's own encoding (e.g. Ogg Vorbis).
        candidates = {SF_FORMAT_FLOAT, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16,
                      inputFormat & kSubtypeMask};
    }
    for (const int subtype : candidates) {
        if (!Fits(major | subtype, channels, sampleRate)) continue;
        OutputFormat out{major | subtype, ""};
        if (!requested && subtype != SF_FORMAT_FLOAT) {
            out.note = ContainerName(major) + " cannot hold 32 bit float samples; writing " +
                       EncodingName(subtype);
        }
        return out;
    }
    const std::string container = ContainerName(major);
    for (const int subtype : candidates) {
        if (Fits(major | subtype, 1, sampleRate)) {
            throw CommandError("the output format " + container + " cannot hold " +
                               std::to_string(channels) +
                               " channels (--outputs keeps fewer of the plug-in's outputs)");
        }
    }
    if (requested) {
        throw CommandError("the output format " + container + " cannot hold " +
                           EncodingName(Subtype(*requested)) + " samples at " +
                           std::to_string(sampleRate) + " Hz");
    }
    throw CommandError("cannot write " + container + " files at " + std::to_string(sampleRate) +
                       " Hz");
}

AudioReader::AudioReader(const std::string& path) : path_(path) {
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (file_ == nullptr)
        throw CommandError("cannot read " + path + ": " + OneLine(sf_strerror(nullptr)));
    channels_ = info.channels;
    sampleRate_ = info.samplerate;
    format_ = info.format;
    frames_ = info.frames;
    if (channels_ <= 0 || sampleRate_ <= 0) {
        sf_close(file_);
        file_ = nullptr;
        throw CommandError("cannot read " + path + ": no channels or no sample rate");
    }
}

AudioReader::~AudioReader() {
    if (file_ != nullptr) sf_close(file_);
}

template <typename T>
int64_t AudioReader::readFrames(T* interleaved, int64_t frames) {
    sf_count_t n = 0;
    if constexpr (std::is_same_v<T, float>) {
        n = sf_readf_float(file_, interleaved, frames);
    } else {
        n = sf_readf_double(file_, interleaved, frames);
    }
    if (n < frames && sf_error(file_) != SF_ERR_NO_ERROR) {
        throw CommandError("cannot read " + path_ + ": " + OneLine(sf_strerror(file_)));
    }
    return n;
}

int64_t AudioReader::read(float* interleaved, int64_t frames) {
    return readFrames(interleaved, frames);
}

int64_t AudioReader::read(double* interleaved, int64_t frames) {
    return readFrames(interleaved, frames);
}

AudioWriter::AudioWriter(const std::string& path, int format, int channels, int sampleRate)
    : file_(path), channels_(channels), integerBits_(IntegerBits(format)) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    // The descriptor stays with file_, which syncs, closes and renames it.
    sound_ = sf_open_fd(file_.fd(), SFM_WRITE, &info, SF_FALSE);
    if (sound_ == nullptr) {
        throw CommandError("cannot write " + path + ": " + OneLine(sf_strerror(nullptr)));
    }
    // For encodings libsndfile converts itself: clip, never wrap around.
    sf_command(sound_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioWriter::~AudioWriter() {
    closeSoundFile();
}

void AudioWriter::closeSoundFile() {
    if (sound_ != nullptr) sf_close(sound_);
    sound_ = nullptr;
}

void AudioWriter::check(int64_t written, int64_t expected) {
    if (written == expected) return;
    const std::string reason = OneLine(sf_strerror(sound_));
    throw CommandError("cannot write " + file_.target() + ": " + reason);
}

// Integer encodings are scaled here, by 2^(bits-1): the factor libsndfile divides by when it
// reads them, so an integer file read and written again comes back bit for bit. (libsndfile's
// own writer multiplies by 2^(bits-1)-1 and wraps values beyond full scale around.)
template <typename T>
void AudioWriter::writeFrames(const T* interleaved, int64_t frames) {
    const auto count = static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_);
    if (integerBits_ == 0) {
        if constexpr (std::is_same_v<T, float>) {
            check(sf_writef_float(sound_, interleaved, frames), frames);
        } else {
            check(sf_writef_double(sound_, interleaved, frames), frames);
        }
        return;
    }
    if (integers_.size() < count) integers_.resize(count);
    const double scale = std::ldexp(1.0, integerBits_ - 1);
    const double highest = scale - 1.0;
    const int shift = 32 - integerBits_;  // libsndfile takes the top bits of each int32
    for (std::size_t i = 0; i < count; ++i) {
        double value = std::nearbyint(static_cast<double>(interleaved[i]) * scale);
        if (!(value <= highest && value >= -scale)) {  // NaN clips to 0
            ++clipped_;
            value = std::isnan(value) ? 0.0 : std::clamp(value, -scale, highest);
        }
        integers_[i] =
            static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)) << shift);
    }
    check(sf_writef_int(sound_, integers_.data(), frames), frames);
}

void AudioWriter::write(const float* interleaved, int64_t frames) {
    writeFrames(interleaved, frames);
}

void AudioWriter::write(const double* interleaved, int64_t frames) {
    writeFrames(interleaved, frames);
}

void AudioWriter::commit() {
    // sf_close writes the final header; its failure is a failed write.
    const int closed = sf_close(sound_);
    sound_ = nullptr;
    if (closed != 0) {
        throw CommandError("cannot write " + file_.target() + ": " +
                           OneLine(sf_error_number(closed)));
    }
    file_.commit();
}

}  // namespace vst2host
