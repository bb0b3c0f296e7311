// Media of the music service: pictures and songs. Songs are read from their files in
// slices, honour Range requests, and follow the stream fault rules (throttle, stall, drop).

#include "http_range.h"
#include "mp3_encoder.h"
#include "request_head.h"
#include "service_names.h"
#include "service_routes.h"
#include "whole_number.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

namespace vamu::service {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kSliceBytes = 16 * 1024;

std::optional<Id> idOf(const Request& request) {
    if (request.matches.size() < 2) return std::nullopt;
    return wholeNumber(request.matches[1].str());
}

FaultKeys prefixKeys(std::string_view prefix) {
    return [prefix = std::string(prefix)](const Request& request) {
        return std::vector<std::string>{request.path, prefix};
    };
}

// One song response in progress. The provider is called again and again on the
// connection's thread, so this needs no lock.
struct SongStream {
    int file = -1;
    std::int64_t bytesPerSecond = 0;  // 0: as fast as the connection takes it
    std::int64_t stallAfter = -1;     // -1: never
    std::int64_t dropAfter = -1;      // -1: never; counted from this response's first byte
    int connection = -1;              // for noticing a client that left during a stall
    std::int64_t sent = 0;
    Clock::time_point started;

    ~SongStream() {
        if (file >= 0) ::close(file);
    }
};

// `offset` counts from the start of the file.
bool sendSlice(SongStream& stream, StopSignal& stop, std::size_t offset, std::size_t length, httplib::DataSink& sink) {
    if (stream.sent == 0) stream.started = Clock::now();
    auto wanted = std::min(length, kSliceBytes);
    if (stream.stallAfter >= 0 && stream.sent >= stream.stallAfter) {
        // Stalled: keep the connection open and send nothing until the client leaves or the service stops.
        while (stop.waitFor(std::chrono::milliseconds(100))) {
            if (stream.connection < 0 || peerHasClosed(stream.connection)) return false;
        }
        return false;
    }
    // Dropped: the connection closes short of the length it announced.
    if (stream.dropAfter >= 0 && stream.sent >= stream.dropAfter) return false;
    if (stream.stallAfter >= 0)
        wanted = std::min<std::size_t>(wanted, static_cast<std::size_t>(stream.stallAfter - stream.sent));
    if (stream.dropAfter >= 0)
        wanted = std::min<std::size_t>(wanted, static_cast<std::size_t>(stream.dropAfter - stream.sent));
    if (stream.bytesPerSecond > 0) {
        // Small slices, each sent when the rate allows it, keep the flow even.
        wanted = std::min<std::size_t>(wanted,
                                       static_cast<std::size_t>(std::max<std::int64_t>(1, stream.bytesPerSecond / 10)));
        const auto due = stream.started + std::chrono::microseconds(stream.sent * 1'000'000 / stream.bytesPerSecond);
        if (const auto now = Clock::now(); due > now && !stop.waitFor(due - now)) return false;
    }
    char buffer[kSliceBytes];
    const auto got = ::pread(stream.file, buffer, wanted, static_cast<off_t>(offset));
    if (got <= 0) return false;
    stream.sent += got;
    return sink.write(buffer, static_cast<std::size_t>(got));
}

void song(ServiceContext& context, const Request& request, Response& response) {
    const auto id = idOf(request);
    const Song* record = id ? context.catalogue.song(*id) : nullptr;
    const auto file = record ? context.media.song(*id) : std::nullopt;
    if (!file) {
        response.status = record ? 503 : 404;
        return;
    }
    response.set_header("Accept-Ranges", "bytes");
    const auto range = resolveRange(request.get_header_value(std::string(kRangeHeader).c_str()), file->size);
    if (range.outcome == RangeOutcome::Unsatisfiable) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(file->size));
        return;
    }
    const std::int64_t first = range.outcome == RangeOutcome::Partial ? range.first : 0;
    const std::int64_t last = range.outcome == RangeOutcome::Partial ? range.last : file->size - 1;
    if (range.outcome == RangeOutcome::Partial) {
        response.status = 206;
        response.set_header("Content-Range", "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                                                 std::to_string(file->size));
    }
    auto stream = std::make_shared<SongStream>();
    stream->file = ::open(file->path.c_str(), O_RDONLY | O_CLOEXEC);
    if (stream->file < 0) {
        response.status = 503;
        return;
    }
    if (const auto fault = context.faults.stream(*id)) {
        switch (fault->kind) {
        case StreamFaultKind::Throttle:
            stream->bytesPerSecond = fault->bytes;
            break;
        case StreamFaultKind::ThrottleReal:
            stream->bytesPerSecond = kSongBytesPerSecond;
            break;
        case StreamFaultKind::Stall:
            stream->stallAfter = fault->bytes;
            stream->connection = connectionSocket(request);
            break;
        case StreamFaultKind::Drop:
            stream->dropAfter = fault->bytes;
            break;
        }
    }
    response.set_content_provider(
        static_cast<std::size_t>(last - first + 1), "audio/mpeg",
        [stream, first, &stop = context.stop](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return sendSlice(*stream, stop, static_cast<std::size_t>(first) + offset, length, sink);
        });
}

void picture(ServiceContext& context, PictureKind kind, const Request& request, Response& response) {
    const auto id = idOf(request);
    const auto png = id ? context.media.picture(kind, *id) : nullptr;
    if (!png) {
        response.status = 404;
        return;
    }
    response.set_header("Cache-Control", "max-age=86400");
    response.set_content(*png, "image/png");
}

std::string patternFor(std::string_view prefix, std::string_view extension) {
    return std::string(prefix) + R"((\d+)\.)" + std::string(extension);
}

}  // namespace

void addMediaRoutes(HttpServer& api, ServiceContext& context) {
    api.routePattern(Method::Get, patternFor(path::kSoundPrefix, "mp3"), withContext(context, song),
                     prefixKeys(path::kSoundPrefix));
    const std::pair<std::string_view, PictureKind> pictures[] = {{path::kCoverPrefix, PictureKind::Cover},
                                                                 {path::kChannelPicturePrefix, PictureKind::Channel},
                                                                 {path::kAvatarPrefix, PictureKind::Avatar}};
    for (const auto& [prefix, kind] : pictures) {
        api.routePattern(
            Method::Get, patternFor(prefix, "png"),
            [&context, kind = kind](const Request& request, Response& response) {
                picture(context, kind, request, response);
            },
            prefixKeys(prefix));
    }
}

}  // namespace vamu::service
