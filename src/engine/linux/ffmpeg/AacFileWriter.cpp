#include "engine/linux/ffmpeg/AacFileWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

#include <algorithm>
#include <cstring>
#include <memory>

namespace tc {

namespace {

struct OutputDeleter {
    void operator()(AVFormatContext *context) const {
        if (context->pb) {
            avio_closep(&context->pb);
        }
        avformat_free_context(context);
    }
};
struct CodecDeleter {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

std::string describe(const char *what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return std::string(what) + ": " + text;
}

// One take's encoder and muxer; fails at the first error with its description.
class Encoder {
public:
    bool open(const std::string &path, int sampleRate, std::string &error) {
        AVFormatContext *format = nullptr;
        int result = avformat_alloc_output_context2(&format, nullptr, "ipod", path.c_str());
        if (result < 0 || !format) {
            error = describe("cannot make an .m4a container", result);
            return false;
        }
        format_.reset(format);
        const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!codec) {
            error = "no AAC encoder";
            return false;
        }
        stream_ = avformat_new_stream(format, nullptr);
        codec_.reset(avcodec_alloc_context3(codec));
        if (!stream_ || !codec_) {
            error = "out of memory";
            return false;
        }
        codec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
        codec_->sample_rate = sampleRate;
        codec_->bit_rate = AacFileWriter::kBitRate;
        codec_->time_base = AVRational{1, sampleRate};
        av_channel_layout_default(&codec_->ch_layout, 1);
        if (format->oformat->flags & AVFMT_GLOBALHEADER) {
            codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        if ((result = avcodec_open2(codec_.get(), codec, nullptr)) < 0) {
            error = describe("cannot open the AAC encoder", result);
            return false;
        }
        if ((result = avcodec_parameters_from_context(stream_->codecpar, codec_.get())) < 0) {
            error = describe("cannot describe the stream", result);
            return false;
        }
        stream_->time_base = codec_->time_base;
        if ((result = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0) {
            error = describe("cannot create the file", result);
            return false;
        }
        if ((result = avformat_write_header(format, nullptr)) < 0) {
            error = describe("cannot write the file header", result);
            return false;
        }
        frame_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!frame_ || !packet_) {
            error = "out of memory";
            return false;
        }
        return true;
    }

    bool encode(const float *samples, size_t frames, std::string &error) {
        const auto chunk = static_cast<size_t>(codec_->frame_size > 0 ? codec_->frame_size : 1024);
        for (size_t done = 0; done < frames; done += chunk) {
            const size_t count = std::min(chunk, frames - done);
            av_frame_unref(frame_.get());
            frame_->nb_samples = static_cast<int>(count);
            frame_->format = codec_->sample_fmt;
            frame_->sample_rate = codec_->sample_rate;
            if (av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout) < 0 ||
                av_frame_get_buffer(frame_.get(), 0) < 0) {
                error = "out of memory";
                return false;
            }
            std::memcpy(frame_->data[0], samples + done, count * sizeof(float));
            frame_->pts = static_cast<int64_t>(done);
            if (!send(frame_.get(), error)) {
                return false;
            }
        }
        return send(nullptr, error); // drain the encoder
    }

    bool finish(std::string &error) {
        const int result = av_write_trailer(format_.get());
        if (result < 0) {
            error = describe("cannot finish the file", result);
            return false;
        }
        if ((format_->pb && format_->pb->error < 0) || avio_closep(&format_->pb) < 0) {
            error = "cannot write the file";
            return false;
        }
        return true;
    }

private:
    bool send(AVFrame *frame, std::string &error) {
        int result = avcodec_send_frame(codec_.get(), frame);
        if (result < 0) {
            error = describe("cannot encode", result);
            return false;
        }
        while ((result = avcodec_receive_packet(codec_.get(), packet_.get())) >= 0) {
            av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            if ((result = av_interleaved_write_frame(format_.get(), packet_.get())) < 0) {
                error = describe("cannot write the file", result);
                return false;
            }
        }
        if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
            error = describe("cannot encode", result);
            return false;
        }
        return true;
    }

    std::unique_ptr<AVFormatContext, OutputDeleter> format_;
    std::unique_ptr<AVCodecContext, CodecDeleter> codec_;
    std::unique_ptr<AVFrame, FrameDeleter> frame_;
    std::unique_ptr<AVPacket, PacketDeleter> packet_;
    AVStream *stream_ = nullptr;
};

} // namespace

bool AacFileWriter::write(const float *samples, size_t frames, int sampleRate, const std::filesystem::path &file,
                          std::string &error) {
    const auto partial = std::filesystem::path(file.string() + ".part");
    bool written = false;
    {
        Encoder encoder;
        written = encoder.open(partial.string(), sampleRate, error) && encoder.encode(samples, frames, error) &&
                  encoder.finish(error);
    }
    std::error_code fileError;
    if (written) {
        std::filesystem::rename(partial, file, fileError);
        if (!fileError) {
            return true;
        }
        error = "cannot move the file into place: " + fileError.message();
    }
    std::filesystem::remove(partial, fileError);
    return false;
}

} // namespace tc
