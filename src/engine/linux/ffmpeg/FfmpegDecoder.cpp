#include "engine/linux/ffmpeg/FfmpegDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace tc {

namespace {

using Kind = AudioDecodeError::Kind;

// Owning handles of the FFmpeg objects one read uses.
struct FormatCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct ResamplerFreer {
    void operator()(SwrContext *context) const { swr_free(&context); }
};
struct DictionaryFreer {
    void operator()(AVDictionary *dictionary) const { av_dict_free(&dictionary); }
};
using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using ResamplerHandle = std::unique_ptr<SwrContext, ResamplerFreer>;

// A channel layout that frees what it holds.
class ChannelLayout {
public:
    ChannelLayout() = default;
    ~ChannelLayout() { av_channel_layout_uninit(&layout_); }
    ChannelLayout(const ChannelLayout &) = delete;
    ChannelLayout &operator=(const ChannelLayout &) = delete;

    AVChannelLayout *get() { return &layout_; }

private:
    AVChannelLayout layout_{};
};

// Containers worth probing: audio files and the media containers that commonly carry audio. Playlist
// and concatenation formats are left out so that a file cannot pull in other files.
constexpr const char *kFormats = "wav,w64,aiff,flac,mp3,mov,mp4,m4a,3gp,3g2,mj2,ogg,matroska,webm,aac,caf,au,"
                                 "amr,ape,wv,tta,ac3,eac3,asf,avi,mpc,mpc8,voc,dts,dsf,flv,mpeg,mpegts,rm,tak,"
                                 "xwma,loas,gsm,sox,ircam,oma";

constexpr int kOutRate = AudioBuffer::kSampleRate;
constexpr int kMaxChannels = 64;
constexpr int kMaxRate = 768000;
// Below this a file is not a sound: a tiny file at a few hertz would stretch to the whole 12 s read at
// 48 kHz, costing far more than its size suggests.
constexpr int kMinRate = AudioDecoder::kMinSampleRate;

// How far the probe for the streams' parameters may read: the first bytes and seconds of a sound show them,
// and a file from outside cannot make the probe buffer more than this.
constexpr const char *kProbeBytes = "2097152";
constexpr const char *kProbeMicroseconds = "3000000";

// Every audio decoder FFmpeg has, by name and comma-separated. The probe may open only these, so no video or
// picture decoder ever runs on a file from outside, whatever its streams claim to be (a cover picture or a
// video frame can claim a size that takes gigabytes to decode).
const std::string &audioDecoderNames() {
    static const std::string names = [] {
        std::string list;
        void *state = nullptr;
        while (const AVCodec *codec = av_codec_iterate(&state)) {
            if (av_codec_is_decoder(codec) && codec->type == AVMEDIA_TYPE_AUDIO) {
                list += list.empty() ? "" : ",";
                list += codec->name;
            }
        }
        return list;
    }();
    return names;
}

// Streams that are not wanted are never demuxed: their packets are dropped by the demuxer unread.
void discardAllBut(AVFormatContext &format, int keep, bool keepAudio) {
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        AVStream &stream = *format.streams[i];
        const bool audio = stream.codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
        if (static_cast<int>(i) != keep && !(keepAudio && audio)) {
            stream.discard = AVDISCARD_ALL;
        }
    }
}

FormatHandle openFile(const std::filesystem::path &path) {
    AVDictionary *rawOptions = nullptr;
    av_dict_set(&rawOptions, "protocol_whitelist", "file", 0);
    av_dict_set(&rawOptions, "format_whitelist", kFormats, 0);
    av_dict_set(&rawOptions, "codec_whitelist", audioDecoderNames().c_str(), 0);
    av_dict_set(&rawOptions, "probesize", kProbeBytes, 0);
    av_dict_set(&rawOptions, "analyzeduration", kProbeMicroseconds, 0);
    std::unique_ptr<AVDictionary, DictionaryFreer> options(rawOptions);

    AVFormatContext *raw = nullptr;
    // The "file:" prefix keeps a name such as "a:b.wav" from being taken for a protocol.
    const std::string url = "file:" + path.string();
    AVDictionary *passed = options.release();
    const int result = avformat_open_input(&raw, url.c_str(), nullptr, &passed);
    options.reset(passed);
    if (result < 0) {
        throw AudioDecodeError(Kind::unreadable);
    }
    return FormatHandle(raw);
}

// Converts decoded frames to 48 kHz float planar, mono to mono (one channel in the buffer) and everything
// else to stereo, and collects the result. Made on the first frame, whose format the whole read keeps.
class Converter {
public:
    Converter(const AVFrame &frame, AudioBuffer &out) : out_(out) {
        const int channels = frame.ch_layout.nb_channels;
        mono_ = channels == 1;
        ChannelLayout output;
        av_channel_layout_default(output.get(), mono_ ? 1 : 2);
        // First as the file says, then, for files whose layout is unknown or unusual, the usual layout
        // for that many channels.
        for (bool usual : {false, true}) {
            if (usual && mono_) {
                break; // a mono input already takes the usual layout
            }
            ChannelLayout input;
            if (usual || mono_ || frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
                av_channel_layout_default(input.get(), channels);
            } else if (av_channel_layout_copy(input.get(), &frame.ch_layout) < 0) {
                continue;
            }
            SwrContext *raw = nullptr;
            if (swr_alloc_set_opts2(&raw, output.get(), AV_SAMPLE_FMT_FLTP, kOutRate, input.get(),
                                    static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr) < 0) {
                continue;
            }
            ResamplerHandle resampler(raw);
            if (swr_init(resampler.get()) >= 0) {
                resampler_ = std::move(resampler);
                break;
            }
        }
        if (!resampler_) {
            throw AudioDecodeError(Kind::unreadable);
        }
        rate_ = frame.sample_rate;
        format_ = frame.format;
        channels_ = frame.ch_layout.nb_channels;
    }

    // Whether a later frame has the format this converter was made for.
    bool accepts(const AVFrame &frame) const {
        return frame.sample_rate == rate_ && frame.format == format_ && frame.ch_layout.nb_channels == channels_;
    }
    int rate() const { return rate_; }
    bool mono() const { return mono_; }

    // Converts the first `count` samples of the frame; null input flushes the resampler.
    void convert(const AVFrame *frame, int count) {
        const int capacity = swr_get_out_samples(resampler_.get(), count);
        if (capacity < 0) {
            throw AudioDecodeError(Kind::unreadable);
        }
        if (capacity == 0) {
            return;
        }
        const std::size_t start = out_.left.size();
        out_.left.resize(start + static_cast<std::size_t>(capacity));
        if (!mono_) {
            out_.right.resize(start + static_cast<std::size_t>(capacity));
        }
        std::array<uint8_t *, 2> planes = {reinterpret_cast<uint8_t *>(out_.left.data() + start),
                                           mono_ ? nullptr : reinterpret_cast<uint8_t *>(out_.right.data() + start)};
        const uint8_t **input = frame != nullptr ? const_cast<const uint8_t **>(frame->extended_data) : nullptr;
        const int made = swr_convert(resampler_.get(), planes.data(), capacity, input, frame != nullptr ? count : 0);
        if (made < 0) {
            throw AudioDecodeError(Kind::unreadable);
        }
        out_.left.resize(start + static_cast<std::size_t>(made));
        if (!mono_) {
            out_.right.resize(start + static_cast<std::size_t>(made));
        }
    }

private:
    AudioBuffer &out_;
    ResamplerHandle resampler_;
    bool mono_ = false;
    int rate_ = 0;
    int format_ = 0;
    int channels_ = 0;
};

} // namespace

FfmpegDecoder::FfmpegDecoder() {
    // FFmpeg reports every odd file on standard error; the caller reports failures itself.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
}

AudioBuffer FfmpegDecoder::read(const std::filesystem::path &path) const {
    FormatHandle format = openFile(path);
    // Only audio is probed and read: every other stream is dropped before the probe looks at packets.
    discardAllBut(*format, -1, true);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) {
        throw AudioDecodeError(Kind::unreadable);
    }
    const AVCodec *codec = nullptr;
    const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream < 0 || codec == nullptr || codec->type != AVMEDIA_TYPE_AUDIO) {
        throw AudioDecodeError(Kind::unreadable);
    }
    // The probe may have found more streams; from here on only the chosen one is read.
    discardAllBut(*format, stream, false);
    const int declaredRate = format->streams[stream]->codecpar->sample_rate;
    if (declaredRate > 0 && declaredRate < kMinRate) {
        throw AudioDecodeError(Kind::unreadable);
    }
    CodecHandle decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), format->streams[stream]->codecpar) < 0 ||
        avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        throw AudioDecodeError(Kind::unreadable);
    }

    PacketHandle packet(av_packet_alloc());
    FrameHandle frame(av_frame_alloc());
    if (!packet || !frame) {
        throw AudioDecodeError(Kind::unreadable);
    }

    AudioBuffer out;
    std::unique_ptr<Converter> converter;
    std::int64_t inputLeft = 0; // samples of the file's own rate still to take (12 s worth)
    bool full = false;

    // Takes every frame the decoder has ready; false once the read must stop.
    auto drain = [&]() -> bool {
        while (!full) {
            const int received = avcodec_receive_frame(decoder.get(), frame.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
                return true;
            }
            if (received < 0) {
                return false; // a broken stream: keep what came before it
            }
            if (!converter) {
                const int channels = frame->ch_layout.nb_channels;
                if (channels < 1 || channels > kMaxChannels || frame->sample_rate < kMinRate ||
                    frame->sample_rate > kMaxRate) {
                    throw AudioDecodeError(Kind::unreadable);
                }
                converter = std::make_unique<Converter>(*frame, out);
                inputLeft = static_cast<std::int64_t>(kMaxReadSeconds) * frame->sample_rate;
                out.left.reserve(static_cast<std::size_t>(kMaxReadSeconds) * kOutRate + 1024);
                if (!converter->mono()) {
                    out.right.reserve(out.left.capacity());
                }
            } else if (!converter->accepts(*frame)) {
                return false; // the format changes mid-stream: the start is enough for a key sound
            }
            const int count = static_cast<int>(std::min<std::int64_t>(frame->nb_samples, inputLeft));
            converter->convert(frame.get(), count);
            inputLeft -= count;
            full = inputLeft <= 0;
            av_frame_unref(frame.get());
        }
        return false;
    };

    bool reading = true;
    while (reading && av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream) {
            const int sent = avcodec_send_packet(decoder.get(), packet.get());
            // A damaged packet is skipped, as players do; anything else ends the read.
            if (sent < 0 && sent != AVERROR_INVALIDDATA) {
                reading = false;
            }
            reading = reading && drain();
        }
        av_packet_unref(packet.get());
    }
    if (reading && !full && avcodec_send_packet(decoder.get(), nullptr) >= 0) {
        drain();
    }
    if (converter) {
        converter->convert(nullptr, 0);
    }
    if (out.frames() == 0) {
        throw AudioDecodeError(Kind::empty);
    }
    return out;
}

} // namespace tc
