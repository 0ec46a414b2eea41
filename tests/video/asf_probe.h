#pragma once

// Reading recordings back: with libavformat and libavcodec (the packets'
// times and the decoded pictures and sound), and with FFmpeg's own programs
// ffprobe and ffmpeg as readers written by someone else.

#include "tests/support/outside_tool.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <string>
#include <vector>

namespace orbisk::test {

struct ReadBackStream {
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVCodecID codec = AV_CODEC_ID_NONE;
    int width = 0;
    int height = 0;
    std::vector<double> times;  // each packet's presentation time, seconds
    double end = 0;             // where the last packet ends, seconds
};

struct ReadBack {
    bool opened = false;
    std::string format;
    std::vector<ReadBackStream> streams;
    std::vector<double> pictureLuma;  // mean luma (Y) of each decoded picture
    double soundRms = 0;              // of the decoded sound, full scale 1
    int decodeErrors = 0;

    const ReadBackStream* Stream(AVMediaType type) const {
        for (const auto& s : streams) {
            if (s.type == type) return &s;
        }
        return nullptr;
    }
};

inline ReadBack ReadBackFile(const QString& path) {
    ReadBack r;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0) {
        return r;
    }
    avformat_find_stream_info(format, nullptr);
    r.opened = true;
    r.format = format->iformat->name;
    std::vector<AVCodecContext*> decoders(format->nb_streams, nullptr);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* p = format->streams[i]->codecpar;
        r.streams.push_back({p->codec_type, p->codec_id, p->width, p->height, {}, 0});
        if (const AVCodec* codec = avcodec_find_decoder(p->codec_id)) {
            decoders[i] = avcodec_alloc_context3(codec);
            avcodec_parameters_to_context(decoders[i], p);
            if (avcodec_open2(decoders[i], codec, nullptr) < 0) avcodec_free_context(&decoders[i]);
        }
    }
    double squares = 0;
    long samples = 0;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto drain = [&](AVCodecContext* codec) {
        while (avcodec_receive_frame(codec, frame) >= 0) {
            if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
                double sum = 0;
                for (int y = 0; y < frame->height; ++y) {
                    const uint8_t* row = frame->data[0] + y * frame->linesize[0];
                    for (int x = 0; x < frame->width; ++x) sum += row[x];
                }
                r.pictureLuma.push_back(sum / (double(frame->width) * frame->height));
            } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO &&
                       frame->format == AV_SAMPLE_FMT_FLTP) {
                const auto* s = reinterpret_cast<const float*>(frame->data[0]);
                for (int i = 0; i < frame->nb_samples; ++i) squares += double(s[i]) * s[i];
                samples += frame->nb_samples;
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        const AVStream* st = format->streams[packet->stream_index];
        ReadBackStream& s = r.streams[packet->stream_index];
        const double tb = av_q2d(st->time_base);
        const int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
        if (packet->pts != AV_NOPTS_VALUE) {
            const double t = double(packet->pts - start) * tb;
            s.times.push_back(t);
            s.end = std::max(s.end, t + double(packet->duration) * tb);
        }
        if (AVCodecContext* codec = decoders[packet->stream_index]) {
            if (avcodec_send_packet(codec, packet) < 0) ++r.decodeErrors;
            drain(codec);
        }
        av_packet_unref(packet);
    }
    for (AVCodecContext* codec : decoders) {
        if (!codec) continue;
        avcodec_send_packet(codec, nullptr);
        drain(codec);
        avcodec_free_context(&codec);
    }
    r.soundRms = samples ? std::sqrt(squares / double(samples)) : 0;
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return r;
}

struct ProbedStream {
    std::string type;   // "video", "audio"
    std::string codec;  // ffprobe's codec name
    int width = 0;
    int height = 0;
    double duration = -1;  // seconds; -1 when not given
    long frames = -1;      // frames ffprobe decoded
};

struct Probed {
    bool ran = false;  // ffprobe is installed and answered
    std::string format;
    double duration = -1;
    std::vector<ProbedStream> streams;

    const ProbedStream* Stream(const std::string& type) const {
        for (const auto& s : streams) {
            if (s.type == type) return &s;
        }
        return nullptr;
    }
};

inline double JsonNumber(const QJsonValue& v) {
    bool ok = false;
    const double d = v.toString().toDouble(&ok);
    return ok ? d : (v.isDouble() ? v.toDouble() : -1);
}

// ffprobe's view of the file: its format and streams, with the frames it
// decoded of each.
inline Probed Ffprobe(const QString& path) {
    Probed p;
    const ToolRun run = RunOutsideTool(
        "ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                    "format=format_name,duration:stream=codec_type,codec_name,width,height,"
                    "duration,nb_read_frames",
                    "-of", "json", path});
    if (!run.started || run.exitCode != 0) return p;
    const QJsonObject root = QJsonDocument::fromJson(run.output).object();
    p.ran = true;
    p.format = root["format"].toObject()["format_name"].toString().toStdString();
    p.duration = JsonNumber(root["format"].toObject()["duration"]);
    for (const QJsonValue& v : root["streams"].toArray()) {
        const QJsonObject s = v.toObject();
        ProbedStream ps;
        ps.type = s["codec_type"].toString().toStdString();
        ps.codec = s["codec_name"].toString().toStdString();
        ps.width = s["width"].toInt();
        ps.height = s["height"].toInt();
        ps.duration = JsonNumber(s["duration"]);
        ps.frames = static_cast<long>(JsonNumber(s["nb_read_frames"]));
        p.streams.push_back(ps);
    }
    return p;
}

// Plays the file through ffmpeg's decoders into nothing: what it complains
// about, empty when it plays cleanly.
inline std::string FfmpegErrors(const QString& path) {
    const ToolRun run =
        RunOutsideTool("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    if (!run.started) return "ffmpeg is not installed";
    std::string errors = run.errors.toStdString();
    if (run.exitCode != 0) errors += " (exit " + std::to_string(run.exitCode) + ")";
    return errors;
}

}  // namespace orbisk::test
