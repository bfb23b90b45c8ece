#include "video_reader.h"

#include "av_error.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/mathematics.h>
}

namespace {

// Decoding errors in a row after which a stream counts as ended rather than damaged.
constexpr int kMaxErrorsInARow = 500;
constexpr double kFallbackFPS = 25.0;
// How much of a program or transport stream's end is read to find its last picture.
constexpr int64_t kTailBytes = 4 << 20;
// How far short of its stated end a cut file's pictures may stop and still count as all there.
constexpr double kEndTolerance = 0.1;
// Pictures up to this size decode on one thread; up to the second, on at most two.
constexpr int64_t kOneThreadPixels = 352 * 288;
constexpr int64_t kHdPixels = 1280 * 720;
// Without an index, a seek target at most this many seconds ahead is reached by decoding on.
constexpr int64_t kForwardWithoutIndex = 2;
// The widest (and, inverted, the narrowest) pixel shape taken from a file. Real ones stay
// within 1:2 and 2:1; beyond 4 the value is damage, which would give a default thumbnail
// of 320 x 61200 for a 320 x 240 picture.
constexpr double kMaxSampleAspect = 4.0;

// The clockwise turn that shows the stream upright, from its display matrix.
int RotationOf(const AVStream* Stream) {
    const int32_t* Matrix = nullptr;
#if LIBAVFORMAT_VERSION_MAJOR >= 61
    const AVPacketSideData* Side = av_packet_side_data_get(
        Stream->codecpar->coded_side_data, Stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
    if (Side && Side->size >= 9 * sizeof(int32_t))
        Matrix = reinterpret_cast<const int32_t*>(Side->data);
#else
    size_t Size = 0;
    const uint8_t* Data = av_stream_get_side_data(Stream, AV_PKT_DATA_DISPLAYMATRIX, &Size);
    if (Data && Size >= 9 * sizeof(int32_t))
        Matrix = reinterpret_cast<const int32_t*>(Data);
#endif
    if (!Matrix)
        return 0;
    // The matrix gives the anticlockwise angle; players turn the picture back by it.
    const double Angle = -av_display_rotation_get(Matrix);
    if (std::isnan(Angle))
        return 0;
    int Turn = static_cast<int>(std::lround(Angle / 90.0)) * 90 % 360;
    if (Turn < 0)
        Turn += 360;
    return Turn;
}

bool Positive(AVRational R) { return R.num > 0 && R.den > 0; }

// The stream's average frame rate, else its real base rate (either may be unknown, 0/0).
AVRational FrameRateOf(const AVStream* Stream) {
    return Positive(Stream->avg_frame_rate) ? Stream->avg_frame_rate : Stream->r_frame_rate;
}

// Decoding threads for a stream. The rest of a job's pipeline (conversion, scaling, JPEG
// encoding, writing) runs on threads of its own and waits for the pictures; a second decoding
// thread keeps them coming for SD video too (measured on 480 x 352 H.264 and 768 x 576 MPEG-4,
// every frame at 400 x 225 and at their own size: the same processor time, 7 to 20 % less wall
// time on two busy cores). Only tiny pictures, which decode faster than they are handed over,
// stay on one thread, and only the demanding codecs take every core beyond HD.
int ThreadCountFor(const AVCodecParameters& Parameters) {
    const int64_t Pixels = static_cast<int64_t>(Parameters.width) * Parameters.height;
    bool Demanding = false;
    switch (Parameters.codec_id) {
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_HEVC:
    case AV_CODEC_ID_VP9:
    case AV_CODEC_ID_AV1: Demanding = true; break;
    default: break;
    }
    const int Cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    if (Pixels <= kOneThreadPixels)
        return 1;
    if (Pixels <= kHdPixels || !Demanding)
        return std::min(Cores, 2);
    return Cores;
}

// A file's bytes read beside the demuxer, for a look at the container's own structure.
class TRawFile {
public:
    explicit TRawFile(const std::string& FileName) : FFd(open(FileName.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat Info {};
        if (FFd >= 0 && fstat(FFd, &Info) == 0)
            FSize = Info.st_size;
    }
    ~TRawFile() {
        if (FFd >= 0)
            close(FFd);
    }
    TRawFile(const TRawFile&) = delete;
    TRawFile& operator=(const TRawFile&) = delete;
    int64_t Size() const { return FSize; }
    // Up to Count bytes from Offset on: how many were read.
    size_t Read(int64_t Offset, uint8_t* Buffer, size_t Count) const {
        size_t Done = 0;
        while (FFd >= 0 && Done < Count) {
            const ssize_t Got = pread(FFd, Buffer + Done, Count - Done, static_cast<off_t>(Offset + Done));
            if (Got < 0 && errno == EINTR)
                continue;
            if (Got <= 0)
                break;
            Done += static_cast<size_t>(Got);
        }
        return Done;
    }

private:
    int FFd;
    int64_t FSize = 0;
};

uint64_t BigEndian(const uint8_t* Data, int Bytes) {
    uint64_t Value = 0;
    for (int I = 0; I < Bytes; ++I)
        Value = Value << 8 | Data[I];
    return Value;
}

// An EBML number at Data (no further than End): its length in bytes, 0 when malformed. Value
// keeps the length marker for an element ID, and drops it for a size; Unknown tells a size whose
// bits are all set (a Matroska writer that did not know the size yet).
size_t EbmlNumber(const uint8_t* Data, const uint8_t* End, bool Id, uint64_t& Value, bool& Unknown) {
    if (Data >= End || *Data == 0)
        return 0;
    const int Length = std::countl_zero(*Data) + 1;
    if (Length > (Id ? 4 : 8) || End - Data < Length)
        return 0;
    Value = BigEndian(Data, Length);
    const uint64_t Bits = (uint64_t{1} << (7 * Length)) - 1;
    if (!Id)
        Value &= Bits;
    Unknown = !Id && Value == Bits;
    return static_cast<size_t>(Length);
}

// The bytes a Matroska file's header gives for its segment, from the file's start; 0 when it
// gives none (a file written live leaves the size unknown).
int64_t MatroskaStatedBytes(const TRawFile& File) {
    constexpr uint64_t kEbmlHeader = 0x1A45DFA3, kSegment = 0x18538067;
    uint8_t Head[4096];
    const uint8_t* End = Head + File.Read(0, Head, sizeof Head);
    const uint8_t* Element = Head;
    for (int I = 0; I < 8; ++I) {
        uint64_t Id = 0, Size = 0;
        bool Unknown = false;
        const size_t IdLength = EbmlNumber(Element, End, true, Id, Unknown);
        const size_t SizeLength = IdLength ? EbmlNumber(Element + IdLength, End, false, Size, Unknown) : 0;
        if (!SizeLength || Unknown || Size > (uint64_t{1} << 56) || (I == 0 && Id != kEbmlHeader))
            return 0;
        const int64_t Data = (Element - Head) + static_cast<int64_t>(IdLength + SizeLength);
        if (Id == kSegment)
            return Data + static_cast<int64_t>(Size);
        if (Size > static_cast<uint64_t>(End - Head - Data))
            return 0;
        Element = Head + Data + Size;
    }
    return 0;
}

// The bytes an AVI file's RIFF chunks give, one after the other (OpenDML files hold one chunk
// per gigabyte): up to the end of the first chunk that reaches the file's end or beyond.
int64_t RiffStatedBytes(const TRawFile& File) {
    int64_t Offset = 0, Stated = 0;
    uint8_t Head[8];
    while (Offset < File.Size() && File.Read(Offset, Head, sizeof Head) == sizeof Head &&
           std::memcmp(Head, "RIFF", 4) == 0) {
        const uint32_t Size = static_cast<uint32_t>(Head[4] | Head[5] << 8 | Head[6] << 16) |
                              static_cast<uint32_t>(Head[7]) << 24;
        Stated = Offset + 8 + Size;
        Offset = Stated + (Size & 1); // a chunk of odd size is padded to an even one
    }
    return Stated;
}

// The bytes the header of a file in Format states for the whole file, where it states them.
int64_t StatedBytes(const std::string& FileName, std::string_view Format) {
    const TRawFile File(FileName);
    if (Format.starts_with("matroska"))
        return MatroskaStatedBytes(File);
    if (Format == "avi")
        return RiffStatedBytes(File);
    return 0;
}

// Whether FileName is an MP4 or QuickTime file whose pictures are there but whose index (the
// "moov" box, written when the recording ends) is not: its boxes lead to the end of the file
// without one.
bool IsoFileWithoutIndex(const std::string& FileName) {
    const TRawFile File(FileName);
    int64_t Offset = 0;
    bool Media = false;
    for (int Box = 0; Box < 4096 && Offset < File.Size(); ++Box) {
        uint8_t Head[16];
        if (File.Read(Offset, Head, 8) != 8)
            break;
        const std::string_view Type(reinterpret_cast<const char*>(Head + 4), 4);
        if (Type == "moov")
            return false;
        if (Box == 0 && Type != "ftyp" && Type != "wide" && Type != "free" && Type != "skip" &&
            Type != "mdat")
            return false;
        Media = Media || Type == "mdat";
        uint64_t Length = BigEndian(Head, 4);
        if (Length == 0) // the last box, to the end of the file
            break;
        if (Length == 1) {
            if (File.Read(Offset + 8, Head + 8, 8) != 8)
                break;
            Length = BigEndian(Head + 8, 8);
        }
        if (Length < 8 || Length > static_cast<uint64_t>(INT64_MAX - Offset))
            return false;
        Offset += static_cast<int64_t>(Length);
    }
    return Media;
}

// The size of a transport stream's packets, from the sync bytes that begin them in the file's
// first packets: plain (188), with a time code before each (192, as on Blu-ray) or with error
// correction after each (204); 0 when the start shows none of them.
int64_t TransportPacketSize(const std::string& FileName) {
    constexpr size_t kPackets = 5;
    uint8_t Start[204 * kPackets];
    const size_t Read = TRawFile(FileName).Read(0, Start, sizeof Start);
    for (const size_t Size : {188, 192, 204}) {
        const size_t Sync = Size == 192 ? 4 : 0;
        bool All = true;
        for (size_t K = 0; K < kPackets && All; ++K)
            All = Sync + K * Size < Read && Start[Sync + K * Size] == 0x47;
        if (All)
            return static_cast<int64_t>(Size);
    }
    return 0;
}

} // namespace

TVideoReader::TVideoReader(const std::string& FileName) : FFileName(FileName) {
    struct stat Info {};
    if (stat(FileName.c_str(), &Info) != 0)
        throw std::runtime_error("File not found: " + FileName);
    if (!S_ISREG(Info.st_mode))
        throw std::runtime_error("Not a file: " + FileName);
    FIdentity = {true,
                 static_cast<uint64_t>(Info.st_dev),
                 static_cast<uint64_t>(Info.st_ino),
                 Info.st_size,
                 Info.st_mtim.tv_sec,
                 Info.st_mtim.tv_nsec};
    try {
        OpenInput();
        FStartTime = FStream->start_time != AV_NOPTS_VALUE ? FStream->start_time : 0;
        AVFrame* First = Decode();
        if (!First)
            throw std::runtime_error("No picture could be decoded from " + FileName);
        // Times count from the first picture: a container's start time can lie a frame
        // or more before it (AVI and raw streams with B-frames). Where the first picture carries
        // no time of its own, none of them are taken.
        FVopOriginMissing = FVopOrigin == INT64_MIN;
        FVopTimes = FVopTimes && !FVopOriginMissing;
        FFirstTime = FStartTime = FLastTime;
        FHasPending = true;
        ReadProperties();
    } catch (...) {
        CloseInput();
        throw;
    }
}

TVideoReader::TVideoReader(const std::string& FileName, TInputOnly) : FFileName(FileName) {
    // A look at the end has no first picture to count the pictures' own times from.
    FVopOriginMissing = true;
    try {
        OpenInput();
    } catch (...) {
        CloseInput();
        throw;
    }
}

TVideoReader::~TVideoReader() {
    CloseInput();
}

void TVideoReader::OpenInput() {
    // Only local files: a name that looks like another protocol ("http:", "concat:") is
    // still read as a file name.
    AVDictionary* Options = nullptr;
    av_dict_set(&Options, "protocol_whitelist", "file", 0);
    const std::string Url = "file:" + FFileName;
    const int Rc = avformat_open_input(&FFormat, Url.c_str(), nullptr, &Options);
    av_dict_free(&Options);
    if (Rc == AVERROR_INVALIDDATA && IsoFileWithoutIndex(FFileName))
        throw TAvError("Cannot read " + FFileName +
                       ": the file has no index of its pictures; it was probably cut short while it was "
                       "being written");
    CheckRc(Rc, "Cannot read " + FFileName);
    CheckRc(avformat_find_stream_info(FFormat, nullptr), "Cannot read " + FFileName);

    // The best video stream that is a moving picture (not a cover image).
    FStreamIndex = av_find_best_stream(FFormat, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (FStreamIndex >= 0 && (FFormat->streams[FStreamIndex]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        FStreamIndex = -1;
        for (unsigned I = 0; I < FFormat->nb_streams; ++I) {
            const AVStream* S = FFormat->streams[I];
            if (S->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                !(S->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
                FStreamIndex = static_cast<int>(I);
                break;
            }
        }
    }
    if (FStreamIndex < 0)
        throw std::runtime_error("No video stream in " + FFileName);
    FStream = FFormat->streams[FStreamIndex];
    for (unsigned I = 0; I < FFormat->nb_streams; ++I)
        if (static_cast<int>(I) != FStreamIndex)
            FFormat->streams[I]->discard = AVDISCARD_ALL;

    const AVCodec* Codec = avcodec_find_decoder(FStream->codecpar->codec_id);
    if (!Codec)
        throw std::runtime_error("No decoder for the video of " + FFileName);
    FCodec = avcodec_alloc_context3(Codec);
    if (!FCodec)
        throw std::bad_alloc();
    CheckRc(avcodec_parameters_to_context(FCodec, FStream->codecpar), "Cannot decode " + FFileName);
    FCodec->pkt_timebase = FStream->time_base;
    // A raw stream's container carries no times (FFmpeg can only guess its length from
    // the bit rate), and those the parser makes up jump; count frames instead.
    FCountFrames = FFormat->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    FCodec->thread_count = ThreadCountFor(*FStream->codecpar);
    // The times an AVI gives MPEG-4 video pictures are those of the packets the decoder gives
    // them out with, a frame or more off where the file packs B-frames (see TVopClock).
    FVopTimes = !FVopOriginMissing && FStream->codecpar->codec_id == AV_CODEC_ID_MPEG4 &&
                std::strcmp(FFormat->iformat->name, "avi") == 0;
    FVopClock = TVopClock();
    if (FVopTimes)
        FVopClock.ReadHeaders(FStream->codecpar->extradata,
                              static_cast<size_t>(std::max(FStream->codecpar->extradata_size, 0)));
    FCodec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    CheckRc(avcodec_open2(FCodec, Codec, nullptr), "Cannot decode " + FFileName);

    FPacket = av_packet_alloc();
    FFrame = av_frame_alloc();
    if (!FPacket || !FFrame)
        throw std::bad_alloc();

    const AVRational Rate = FrameRateOf(FStream);
    FFrameStep =
        Positive(Rate) ? std::max<int64_t>(1, av_rescale_q(1, av_inv_q(Rate), FStream->time_base)) : 1;
    FRateNum = Positive(Rate) ? Rate.num : 25;
    FRateDen = Positive(Rate) ? Rate.den : 1;
    FDecoded = 0;
    FInputEnded = FEnded = FHasPending = false;
    FLastTime = FBeforeLastTime = FSkippedLast = INT64_MIN;
    FCutShort.clear();
}

void TVideoReader::CloseInput() {
    av_frame_free(&FFrame);
    av_packet_free(&FPacket);
    avcodec_free_context(&FCodec);
    avformat_close_input(&FFormat);
    FStream = nullptr;
}

void TVideoReader::ReadProperties() {
    FStoredWidth = FFrame->width;
    FStoredHeight = FFrame->height;
    FRotation = RotationOf(FStream);

    const AVRational Rate = FrameRateOf(FStream);
    FFPS = Positive(Rate) ? av_q2d(Rate) : kFallbackFPS;
    if (!std::isfinite(FFPS) || FFPS <= 0)
        FFPS = kFallbackFPS;

    const AVRational Sample = av_guess_sample_aspect_ratio(FFormat, FStream, FFrame);
    const double Sar =
        Positive(Sample) ? std::clamp(av_q2d(Sample), 1.0 / kMaxSampleAspect, kMaxSampleAspect) : 1.0;
    FStoredAspect = FStoredHeight > 0 ? FStoredWidth * Sar / FStoredHeight : 1.0;
    if (!std::isfinite(FStoredAspect) || FStoredAspect <= 0)
        FStoredAspect = 1.0;

    // FFmpeg only guesses the length of a raw stream from its bit rate, which can be far
    // off: count it from all the packets' times instead. For program and transport
    // streams it takes the packet times near the end, where the last pictures often
    // carry none: decode the tail and take the end of the last picture.
    // A file without an average frame rate may have gaps in its frames (variable rate): its
    // rate is then what the frames average, counted from a packet scan.
    const bool KnownAverage = Positive(FStream->avg_frame_rate) || FCountFrames;
    TPacketScan Scan;
    bool Scanned = false;
    const auto Packets = [&]() -> const TPacketScan& {
        if (!Scanned)
            Scan = ScanPackets();
        Scanned = true;
        return Scan;
    };
    // ASF headers give a play time that need not reach the last picture.
    const bool HeaderMayFallShort = std::strcmp(FFormat->iformat->name, "asf") == 0;
    switch (FFormat->duration_estimation_method) {
    case AVFMT_DURATION_FROM_BITRATE:
        FDuration = MeasureDurationByPackets(Packets());
        break;
    case AVFMT_DURATION_FROM_PTS:
        FDuration = MeasureDurationByDecodingTail();
        break;
    default:
        if (FStream->duration != AV_NOPTS_VALUE && FStream->duration > 0)
            FDuration = FStream->duration * av_q2d(FStream->time_base);
        else if (FFormat->duration != AV_NOPTS_VALUE && FFormat->duration > 0)
            FDuration = FFormat->duration / static_cast<double>(AV_TIME_BASE);
        else
            FDuration = MeasureDurationByPackets(Packets());
        if (HeaderMayFallShort)
            FDuration = std::max(FDuration, MeasureDurationByDecodingTail());
    }
    // A file cut short lasts as long as its header says: the pictures past its end are missing,
    // and asking for them tells so.
    FStatedBytes = StatedBytes(FFileName, FFormat->iformat->name);
    if (const double StatedEnd = StatedEndOfCutFile(); StatedEnd > 0)
        FDuration = std::max(FDuration, StatedEnd - ContainerStart());
    if (!std::isfinite(FDuration) || FDuration < 0)
        FDuration = 0;
    if (!KnownAverage && FDuration > 0 && Packets().Count > 0) {
        const double Measured = Packets().Count / FDuration;
        if (std::isfinite(Measured) && Measured > 0)
            FFPS = Measured;
    }

    // A file cut short is known as such from the start where its index lists pictures past its
    // end, or its header states more bytes than it holds and its last packets stop short: a job
    // that never reads that far still learns that the video is not whole. Only such a file costs
    // the look at its end.
    FKnownCut.clear();
    if (const int64_t Size = FFormat->pb ? avio_size(FFormat->pb) : 0; Size > 0) {
        const bool Stated = FStatedBytes > Size;
        if (!Stated)
            FKnownCut = CutShort(INT64_MIN);
        else if (const int64_t End = TailPacketsEnd(); End != INT64_MIN)
            FKnownCut = CutShort(End);
    }

    // Formats whose index lists every picture (MP4, AVI) count them for free; pictures that an
    // edit list leaves out before its start are decoded but never shown.
    FFrameCount = 0;
    const int Entries = avformat_index_get_entries_count(FStream);
    if (FStream->nb_frames > 0 && FStream->nb_frames == Entries) {
        for (int I = 0; I < Entries; ++I) {
            const AVIndexEntry* Entry = avformat_index_get_entry(FStream, I);
            if (Entry && !(Entry->flags & AVINDEX_DISCARD_FRAME))
                ++FFrameCount;
        }
    }
}

int64_t TVideoReader::EndOf(const AVPacket& Packet) const {
    const int64_t Time = Packet.pts != AV_NOPTS_VALUE ? Packet.pts : Packet.dts;
    if (Time == AV_NOPTS_VALUE)
        return INT64_MIN;
    return Time + (Packet.duration > 0 ? Packet.duration : FFrameStep);
}

TVideoReader::TPacketScan TVideoReader::ScanPackets() const {
    // A second reading of the file, packets only (no decoding), so that the open one
    // keeps its place.
    TPacketScan Scan;
    AVFormatContext* Input = nullptr;
    AVDictionary* Options = nullptr;
    av_dict_set(&Options, "protocol_whitelist", "file", 0);
    const std::string Url = "file:" + FFileName;
    const int Rc = avformat_open_input(&Input, Url.c_str(), nullptr, &Options);
    av_dict_free(&Options);
    if (Rc < 0)
        return Scan;
    int64_t End = INT64_MIN;
    AVPacket* Packet = av_packet_alloc();
    if (Packet && avformat_find_stream_info(Input, nullptr) >= 0 &&
        FStreamIndex < static_cast<int>(Input->nb_streams)) {
        for (unsigned I = 0; I < Input->nb_streams; ++I)
            if (static_cast<int>(I) != FStreamIndex)
                Input->streams[I]->discard = AVDISCARD_ALL;
        while (av_read_frame(Input, Packet) >= 0) {
            if (Packet->stream_index == FStreamIndex) {
                ++Scan.Count;
                End = std::max(End, EndOf(*Packet));
            }
            av_packet_unref(Packet);
        }
    }
    av_packet_free(&Packet);
    avformat_close_input(&Input);
    if (End != INT64_MIN && End > FStartTime)
        Scan.Seconds = (End - FStartTime) * av_q2d(FStream->time_base);
    return Scan;
}

double TVideoReader::MeasureDurationByPackets(const TPacketScan& Scan) const {
    if (!FCountFrames && Scan.Seconds > 0)
        return Scan.Seconds;
    return Scan.Count / FFPS;
}

double TVideoReader::MeasureDurationByDecodingTail() const {
    const double Estimate = FStream->duration > 0 ? FStream->duration * av_q2d(FStream->time_base) : 0;
    try {
        TVideoReader Tail(FFileName, TInputOnly{});
        Tail.FStartTime = FStartTime;
        // Only the pictures' times are wanted, not their quality.
        Tail.FCodec->skip_loop_filter = AVDISCARD_ALL;
        const int64_t Size = avio_size(Tail.FFormat->pb);
        if (Size > kTailBytes && av_seek_frame(Tail.FFormat, -1, Size - kTailBytes, AVSEEK_FLAG_BYTE) < 0)
            return Estimate;
        Tail.ResetDecoding();
        int64_t End = INT64_MIN;
        while (Tail.Decode())
            End = std::max(End, Tail.FLastTime + FFrameStep);
        if (End == INT64_MIN || End <= FStartTime)
            return Estimate;
        return (End - FStartTime) * av_q2d(FStream->time_base);
    } catch (const std::exception&) {
        return Estimate;
    }
}

double TVideoReader::AroundOf(const AVPacket& Packet) const {
    const int Resolution = FVopClock.Resolution();
    if (Packet.dts == AV_NOPTS_VALUE || FFirstPacketTime == INT64_MIN || Resolution == 0)
        return NAN;
    const double Origin = FVopOrigin == INT64_MIN ? 0 : FVopOrigin / static_cast<double>(Resolution);
    const double Elapsed = static_cast<double>(Packet.dts - FFirstPacketTime);
    // Where the pictures state a fixed rate, the container's frames count in it: an AVI's rate may
    // have been changed without touching the pictures (a film sped to 25 frames a second and back).
    if (FVopClock.FrameTicks() > 0)
        return Origin + Elapsed / FFrameStep * FVopClock.FrameTicks() / Resolution;
    return Origin + Elapsed * av_q2d(FStream->time_base);
}

int64_t TVideoReader::VopTime(int64_t Ticks) const {
    const int64_t Since = Ticks - FVopOrigin;
    // In the container's frames where the pictures state a fixed rate (see AroundOf), else in
    // seconds.
    if (FVopClock.FrameTicks() > 0)
        return FStartTime + av_rescale(Since, FFrameStep, FVopClock.FrameTicks());
    return FStartTime + av_rescale_q(Since, AVRational{1, FVopClock.Resolution()}, FStream->time_base);
}

int64_t TVideoReader::TimestampOf(const AVFrame* Frame) {
    // Counted from the first picture's own time, where the pictures carry theirs.
    int64_t Ticks = 0;
    if (FVopTimes && FVopClock.TimeOf(Frame->pict_type == AV_PICTURE_TYPE_B, Ticks)) {
        if (FVopOrigin == INT64_MIN)
            FVopOrigin = Ticks; // only the first picture is dated before its origin is known
        return VopTime(Ticks);
    }
    // The picture's own time first: FFmpeg's best-effort guess can switch between
    // presentation and decoding times within a stream and so jump by a frame.
    int64_t Time = Frame->pts;
    if (Time == AV_NOPTS_VALUE)
        Time = Frame->best_effort_timestamp;
    if (Time == AV_NOPTS_VALUE)
        Time = FLastTime == INT64_MIN ? FStartTime : FLastTime + FFrameStep;
    return Time;
}

AVFrame* TVideoReader::Decode() {
    if (FEnded)
        return nullptr;
    int Errors = 0; // damaged pictures and packets in a row
    for (;;) {
        int Rc = avcodec_receive_frame(FCodec, FFrame);
        if (Rc == 0) {
            FBeforeLastTime = FLastTime;
            FLastTime = FCountFrames ? FStartTime + av_rescale_q(FDecoded, AVRational{FRateDen, FRateNum},
                                                                 FStream->time_base)
                                     : TimestampOf(FFrame);
            ++FDecoded;
            FFrame->pts = FLastTime;
            return FFrame;
        }
        if (Rc != AVERROR(EAGAIN)) {
            // AVERROR_EOF: the drained decoder has nothing left. Anything else is a damaged
            // picture, skipped unless damage is all there is.
            if (Rc == AVERROR_EOF || ++Errors > kMaxErrorsInARow)
                return End();
            continue;
        }
        if (FInputEnded)
            return End();

        Rc = av_read_frame(FFormat, FPacket);
        if (Rc == AVERROR(EAGAIN))
            continue;
        if (Rc < 0) {
            // The end of the file: drain the decoder so that the pictures it still holds
            // are not lost (also in a file cut short, which fails after them). A read error is
            // no end.
            CheckEndOfInput(Rc);
            avcodec_send_packet(FCodec, nullptr);
            FInputEnded = true;
            continue;
        }
        if (FPacket->stream_index == FStreamIndex) {
            FPacketsEnd = std::max(FPacketsEnd, EndOf(*FPacket));
            if (FVopTimes) {
                if (FFirstPacketTime == INT64_MIN)
                    FFirstPacketTime = FPacket->dts != AV_NOPTS_VALUE ? FPacket->dts : INT64_MIN;
                FVopClock.Read(FPacket->data, static_cast<size_t>(FPacket->size), AroundOf(*FPacket));
            }
            // A packet whose time differs from its decoding time (or comes without one) shows
            // that the container stores when pictures are shown. AVI and raw streams store
            // only the decoding order, which a reordering codec does not show pictures in.
            if (FPacket->pts != AV_NOPTS_VALUE && FPacket->pts != FPacket->dts)
                FPresentationTimes = true;
            // Decided per packet: the decoder takes the setting with the packet, also where
            // its frame threads decode it later.
            const bool Skip = Skippable(*FPacket);
            FCodec->skip_frame = Skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
            // A picture left undecoded may lie after the last two decoded ones.
            if (Skip)
                FSkippedLast = std::max(FSkippedLast, FPacket->pts);
            Rc = avcodec_send_packet(FCodec, FPacket);
            // A corrupt packet is skipped; it counts towards giving up.
            if (Rc >= 0)
                Errors = 0;
            else if (Rc != AVERROR(EAGAIN) && ++Errors > kMaxErrorsInARow) {
                av_packet_unref(FPacket);
                FEnded = true;
                return nullptr;
            }
        }
        av_packet_unref(FPacket);
    }
}

void TVideoReader::CheckEndOfInput(int Rc) {
    const int IoError = FFormat->pb ? FFormat->pb->error : 0;
    if (IoError < 0 && IoError != AVERROR_EOF)
        Rc = IoError; // the system's reason, whatever the demuxer made of it
    else if (Rc != AVERROR_EOF && FFormat->pb && avio_feof(FFormat->pb))
        Rc = AVERROR_EOF; // damage right at the end of the file ends it like the end
    if (Rc != AVERROR_EOF)
        Fail("Cannot read " + FFileName + ": " + AvErrorText(Rc));
    if (const std::string Change = FileChange(false); !Change.empty())
        Fail(Change);
    FCutShort = CutShort(FPacketsEnd);
}

AVFrame* TVideoReader::End() {
    if (!FCutShort.empty())
        Fail(FCutShort);
    FEnded = true;
    return nullptr;
}

double TVideoReader::ContainerStart() const {
    return FFormat->start_time != AV_NOPTS_VALUE ? FFormat->start_time / static_cast<double>(AV_TIME_BASE)
                                                 : 0;
}

double TVideoReader::StatedEndOfCutFile() const {
    if (FStatedBytes <= FIdentity.Size)
        return 0;
    // The container's length, where it states one rather than FFmpeg guessing it; an AVI header's
    // frame count stays as written where the demuxer's length counts only the frames there are.
    double Seconds = 0;
    if (FFormat->duration != AV_NOPTS_VALUE && FFormat->duration > 0 &&
        FFormat->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
        Seconds = ContainerStart() + FFormat->duration / static_cast<double>(AV_TIME_BASE);
    if (std::strcmp(FFormat->iformat->name, "avi") == 0 && FStream->nb_frames > 0) {
        const int64_t Start = FStream->start_time != AV_NOPTS_VALUE ? FStream->start_time : 0;
        Seconds = std::max(Seconds, (Start + FStream->nb_frames) * av_q2d(FStream->time_base));
    }
    return std::isfinite(Seconds) ? Seconds : 0;
}

std::string TVideoReader::Note() const {
    // A transport stream has no index to say what it should hold; a file that ends inside one
    // of its fixed-size packets was cut where no muxer would end it.
    if (!FFormat || !FFormat->pb || std::strcmp(FFormat->iformat->name, "mpegts") != 0)
        return {};
    const int64_t Size = avio_size(FFormat->pb);
    const int64_t Packet = TransportPacketSize(FFileName);
    if (Size <= 0 || Packet == 0 || Size % Packet == 0)
        return {};
    return FFileName + " ends inside a transport stream packet (its last " + std::to_string(Size % Packet) +
           " bytes are part of one): the file was probably cut short, and its last picture may be missing";
}

int64_t TVideoReader::TailPacketsEnd() const {
    try {
        TVideoReader Tail(FFileName, TInputOnly{});
        const int64_t Size = avio_size(Tail.FFormat->pb);
        if (Size > kTailBytes && av_seek_frame(Tail.FFormat, -1, Size - kTailBytes, AVSEEK_FLAG_BYTE) < 0)
            return INT64_MIN;
        int64_t End = INT64_MIN;
        while (av_read_frame(Tail.FFormat, Tail.FPacket) >= 0) {
            if (Tail.FPacket->stream_index == Tail.FStreamIndex)
                End = std::max(End, Tail.EndOf(*Tail.FPacket));
            av_packet_unref(Tail.FPacket);
        }
        return End;
    } catch (const std::exception&) {
        return INT64_MIN;
    }
}

std::string TVideoReader::CutShort(int64_t PacketsEnd) const {
    if (!FFormat->pb)
        return {};
    const int64_t Size = avio_size(FFormat->pb);
    if (Size <= 0)
        return {};
    const std::string Cut = "Cannot read " + FFileName + ": the file ends before its ";
    const std::string Probably = "; the file was probably cut short";
    // Only an index read from the file itself says what the file should hold; one the
    // demuxer builds while reading knows nothing beyond what was there.
    const int Entries = avformat_index_get_entries_count(FStream);
    if (!(FFormat->iformat->flags & AVFMT_GENERIC_INDEX) && Entries > 0 && FStatedBytes <= Size) {
        int64_t Missing = 0;
        for (int I = 0; I < Entries; ++I) {
            const AVIndexEntry* Entry = avformat_index_get_entry(FStream, I);
            if (Entry && Entry->pos >= 0 && Entry->pos + std::max(Entry->size, 0) > Size)
                ++Missing;
        }
        if (Missing > 0)
            return Cut + "index says: " + std::to_string(Missing) + " of its " + std::to_string(Entries) +
                   " pictures lie beyond its end (" + std::to_string(Size) + " bytes)" + Probably;
    }
    // A header that states more bytes than the file holds (a Matroska segment, AVI's RIFF chunks):
    // the file is cut, and pictures are missing unless all it lost is what follows them (an index,
    // tags); where the header states no length, it is taken at its word.
    if (FStatedBytes <= Size)
        return {};
    const std::string Bytes = "header says (it holds " + std::to_string(Size) + " of the " +
                              std::to_string(FStatedBytes) + " bytes stated)";
    const double StatedEnd = StatedEndOfCutFile();
    if (StatedEnd <= 0)
        return Cut + Bytes + Probably;
    // Both on the stream's clock, told from the container's start as its length is.
    const double Start = ContainerStart();
    const double Reached = PacketsEnd == INT64_MIN ? Start : PacketsEnd * av_q2d(FStream->time_base);
    // A frame or two short is no loss: times are rounded, and the length may count another
    // stream's end.
    if (Reached >= StatedEnd - std::max(2 / FFPS, kEndTolerance))
        return {};
    char Times[96];
    std::snprintf(Times, sizeof Times, ": its pictures stop at %.2f s of the %.2f s it states",
                  std::max(0.0, Reached - Start), StatedEnd - Start);
    return Cut + Bytes + Times + Probably;
}

std::string TVideoReader::FileChange(bool Reopening) const {
    if (!FIdentity.Known)
        return {};
    struct stat Now {};
    if (stat(FFileName.c_str(), &Now) != 0) {
        // Removed: the open file is still read whole, but it cannot be opened again.
        return Reopening ? "Cannot read " + FFileName + ": " + std::strerror(errno) : std::string();
    }
    const bool SameFile = static_cast<uint64_t>(Now.st_dev) == FIdentity.Device &&
                          static_cast<uint64_t>(Now.st_ino) == FIdentity.Inode;
    if (!SameFile)
        return Reopening ? "Cannot read " + FFileName + ": the file was replaced while it was being read"
                         : std::string();
    if (Now.st_size != FIdentity.Size || Now.st_mtim.tv_sec != FIdentity.ChangeSeconds ||
        Now.st_mtim.tv_nsec != FIdentity.ChangeNanoseconds)
        return "Cannot read " + FFileName + ": the file changed while it was being read";
    return {};
}

void TVideoReader::Reopen() {
    if (const std::string Change = FileChange(true); !Change.empty())
        Fail(Change);
    CloseInput();
    try {
        OpenInput();
    } catch (...) {
        CloseInput();
        FEnded = true;
        throw;
    }
}

void TVideoReader::Fail(const std::string& Message) {
    FEnded = true;
    FHasPending = false;
    throw TAvError(Message);
}

const AVFrame* TVideoReader::NextFrame() {
    if (FHasPending) {
        FHasPending = false;
        return FFrame;
    }
    return Decode();
}

int64_t TVideoReader::SecondsOf(const AVFrame* Frame) const {
    const int64_t Seconds = av_rescale_rnd(Frame->pts - FStartTime, FStream->time_base.num,
                                           FStream->time_base.den, AV_ROUND_DOWN);
    return Seconds < 0 ? 0 : Seconds;
}

int64_t TVideoReader::MicrosecondsOf(const AVFrame* Frame) const {
    const int64_t Micros =
        av_rescale_q_rnd(Frame->pts - FStartTime, FStream->time_base, AVRational{1, 1000000}, AV_ROUND_DOWN);
    return Micros < 0 ? 0 : Micros;
}

void TVideoReader::ResetDecoding() {
    avcodec_flush_buffers(FCodec);
    FVopClock.Restart();
    FDecoded = 0;
    FInputEnded = FEnded = FHasPending = false;
    FLastTime = FBeforeLastTime = FSkippedLast = INT64_MIN;
    FCutShort.clear();
}

void TVideoReader::RestartFromBeginning() {
    if (FCountFrames) {
        // Counted times hold only when reading starts at the very beginning.
        Reopen();
        return;
    }
    const int Rc = avformat_seek_file(FFormat, FStreamIndex, INT64_MIN, FStartTime, FStartTime, 0);
    ResetDecoding();
    if (Rc >= 0) {
        AVFrame* First = Decode();
        if (First && FLastTime == FFirstTime) {
            FHasPending = true;
            return;
        }
    }
    // The container cannot go back to its first picture: read it anew.
    Reopen();
}

bool TVideoReader::CloserByDecodingOn(int64_t Target) const {
    // Only forward of the last decoded picture: that one and all before it are gone.
    if (FEnded || FLastTime == INT64_MIN || Target <= FLastTime)
        return false;
    // Raw streams cannot seek at all: any seek reads from the start.
    if (FCountFrames)
        return true;
    // The keyframe a seek would start from: when it lies at or before the current position,
    // going on decodes no more than the seek would (and skips reading the file anew).
    // Some formats build their index while reading: past its last entry it knows nothing.
    // An index may list a keyframe by its decoding time, which comes before its presentation
    // time by up to the reordering delay: a keyframe listed just before the target may still be
    // shown after it, and a seek then starts from the one before. Such a keyframe is not taken
    // for the place a seek would start from.
    const int Entries = avformat_index_get_entries_count(FStream);
    if (Entries > 0) {
        const int64_t Reordering = static_cast<int64_t>(std::max(FCodec->has_b_frames, 1) + 1) * FFrameStep;
        const AVIndexEntry* Key =
            avformat_index_get_entry_from_timestamp(FStream, Target - Reordering, AVSEEK_FLAG_BACKWARD);
        const bool Partial = FFormat->iformat->flags & AVFMT_GENERIC_INDEX;
        if (Key && !(Partial && Key == avformat_index_get_entry(FStream, Entries - 1)))
            return Key->timestamp <= FLastTime;
    }
    // No index (program and transport streams): a seek lands by estimated byte positions and
    // decodes a GOP; a short way forward is cheaper decoded.
    return Target - FLastTime <= av_rescale_q(kForwardWithoutIndex, AVRational{1, 1}, FStream->time_base);
}

void TVideoReader::Seek(int32_t Seconds) {
    SeekTo(FStartTime + av_rescale_q(std::max(Seconds, 0), AVRational{1, 1}, FStream->time_base),
           std::max(Seconds, 0));
}

void TVideoReader::SeekTime(int64_t Microseconds) {
    if (Microseconds <= 0) {
        Seek(0);
        return;
    }
    // The first picture whose time in microseconds, rounded down, is at least Microseconds: the
    // first whose stream time is at least Microseconds rounded up.
    const int64_t Target =
        FStartTime + av_rescale_q_rnd(Microseconds, AVRational{1, 1000000}, FStream->time_base, AV_ROUND_UP);
    SeekTo(Target, Microseconds / 1000000);
}

void TVideoReader::SeekTo(int64_t Target, int64_t Seconds) {
    // A read error stays with the file until cleared: a seek tries the disk again.
    if (FFormat->pb)
        FFormat->pb->error = 0;
    const bool Ahead = Target > FStartTime; // not the very first picture
    // Still at the first picture (just opened, or rewound): it is delivered next as it is.
    if (!Ahead && FHasPending && FLastTime == FFirstTime && FDecoded == 1)
        return;
    // The picture decoded last is the first at or after the target: the caller read up to the
    // one before (or asked for a time between the two), or the read-ahead decoded this one before
    // the caller sought (and dropped it). Not where a picture left undecoded lies between them.
    if (Ahead && !FEnded && FLastTime != INT64_MIN && FBeforeLastTime != INT64_MIN && FLastTime >= Target &&
        FBeforeLastTime < Target && FSkippedLast < Target) {
        FHasPending = true;
        return;
    }
    if (Ahead && CloserByDecodingOn(Target)) {
        // The pending picture, if any, is the last decoded one, before the target.
        FHasPending = false;
        DropUntil(Target, Decode());
        return;
    }
    if (!Ahead || FCountFrames) {
        // Raw streams have no times to seek by: read from the start.
        RestartFromBeginning();
        if (Ahead)
            DropUntil(Target, NextFrame());
        return;
    }

    // A plain backward seek may land after the target (program and transport streams
    // place by estimated byte positions) or find nothing at all (a stream of one long
    // GOP). Check the first picture and step further back until it is not past the target,
    // finally from the start.
    const AVFrame* Frame = nullptr;
    for (int64_t Back = 0;; Back = Back ? Back * 2 : 1) {
        if (Seconds - Back <= 0) {
            RestartFromBeginning();
            Frame = NextFrame();
            break;
        }
        const int64_t SeekTime =
            FStartTime + av_rescale_q(Seconds - Back, AVRational{1, 1}, FStream->time_base);
        if (av_seek_frame(FFormat, FStreamIndex, SeekTime, AVSEEK_FLAG_BACKWARD) < 0)
            continue;
        ResetDecoding();
        Frame = Decode();
        if (Frame && FLastTime <= Target)
            break;
    }
    DropUntil(Target, Frame);
}

bool TVideoReader::Skippable(const AVPacket& Packet) const {
    if (FSkipBefore == INT64_MIN || !FPresentationTimes || Packet.pts == AV_NOPTS_VALUE)
        return false;
    // The decoder may hold back as many pictures as it reorders: a margin of that many
    // frames keeps a picture whose time is off by its reordering out of the skip.
    const int64_t Margin = static_cast<int64_t>(std::max(FCodec->has_b_frames, 1)) * FFrameStep;
    return Packet.pts < FSkipBefore - Margin;
}

void TVideoReader::DropUntil(int64_t Target, const AVFrame* Frame) {
    // A picture shown before the target is never delivered; one that no other picture refers
    // to need not be decoded either, where the packets' times say when it is shown.
    struct TSkipping {
        int64_t& Before;
        ~TSkipping() { Before = INT64_MIN; } // also when reading fails
    } Skipping{FSkipBefore};
    if (!FCountFrames)
        FSkipBefore = Target;
    while (Frame && FLastTime < Target)
        Frame = Decode();
    FHasPending = Frame != nullptr;
}
