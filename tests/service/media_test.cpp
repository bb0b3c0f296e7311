// Generated media: PNG files decode back to the painted pixels; songs are real MP3
// streams of the promised length, audible, and the same for the same seed.

#include "mp3_encoder.h"
#include "picture_painter.h"
#include "png_writer.h"
#include "song_score.h"

#include <gtest/gtest.h>
#include <mpg123.h>
#include <zlib.h>

#include <cmath>
#include <cstring>

namespace vamu::service {
namespace {

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
    return (std::uint32_t(static_cast<unsigned char>(bytes[at])) << 24) |
           (std::uint32_t(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (std::uint32_t(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           std::uint32_t(static_cast<unsigned char>(bytes[at + 3]));
}

// A minimal reader for the PNGs the writer makes: checks every chunk's CRC, inflates
// the image data and undoes the row filters. Empty on any inconsistency.
RgbaImage decodePng(const std::string& png) {
    if (png.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0) return {};
    RgbaImage image;
    std::string packed;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const auto length = bigEndian(png, at);
        const auto type = png.substr(at + 4, 4);
        if (at + 12 + length > png.size()) return {};
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
        if (crc != bigEndian(png, at + 8 + length)) return {};
        if (type == "IHDR") {
            image.width = static_cast<int>(bigEndian(png, at + 8));
            image.height = static_cast<int>(bigEndian(png, at + 12));
        } else if (type == "IDAT") {
            packed += png.substr(at + 8, length);
        }
        at += 12 + length;
    }
    const std::size_t row = static_cast<std::size_t>(image.width) * 4;
    std::string raw((row + 1) * static_cast<std::size_t>(image.height), '\0');
    uLongf rawSize = raw.size();
    if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize, reinterpret_cast<const Bytef*>(packed.data()),
                   packed.size()) != Z_OK ||
        rawSize != raw.size()) {
        return {};
    }
    for (int y = 0; y < image.height; ++y) {
        const auto* line = reinterpret_cast<const std::uint8_t*>(raw.data()) + (row + 1) * static_cast<std::size_t>(y);
        if (line[0] != 1) return {};  // the writer uses the Sub filter throughout
        for (std::size_t i = 0; i < row; ++i) {
            const std::uint8_t left = i >= 4 ? image.pixels[image.pixels.size() - 4] : 0;
            image.pixels.push_back(static_cast<std::uint8_t>(line[1 + i] + left));
        }
    }
    return image;
}

TEST(ServicePictures, EncodeToPngsThatDecodeToTheSamePixels) {
    const std::pair<const char*, RgbaImage> pictures[] = {
        {"cover", paintCover(42)}, {"channel", paintChannelPicture(7)}, {"avatar", paintAvatar(3)}};
    for (const auto& [name, image] : pictures) {
        const auto png = encodePng(image);
        const auto decoded = decodePng(png);
        EXPECT_EQ(decoded.width, image.width) << name;
        EXPECT_EQ(decoded.height, image.height) << name;
        EXPECT_EQ(decoded.pixels, image.pixels) << name;
    }
    EXPECT_EQ(paintCover(42).width, kCoverSize);
    EXPECT_EQ(paintAvatar(3).width, kAvatarSize);
    EXPECT_EQ(paintCover(42).pixels, paintCover(42).pixels);
    EXPECT_NE(paintCover(42).pixels, paintCover(43).pixels);
    EXPECT_TRUE(encodePng(RgbaImage{2, 2, std::vector<std::uint8_t>(3)}).empty());
}

struct Decoded {
    long rate = 0;
    int channels = 0;
    std::size_t frames = 0;
    double rms = 0;
    double peak = 0;
};

Decoded decodeMp3(const std::string& mp3) {
    Decoded result;
    mpg123_init();
    int error = 0;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    mpg123_param(handle, MPG123_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_STEREO | MPG123_MONO, MPG123_ENC_SIGNED_16);
    mpg123_open_feed(handle);
    mpg123_feed(handle, reinterpret_cast<const unsigned char*>(mp3.data()), mp3.size());
    std::vector<unsigned char> out(1 << 16);
    double sum = 0;
    std::size_t samples = 0;
    for (;;) {
        size_t got = 0;
        const int status = mpg123_read(handle, out.data(), out.size(), &got);
        if (status == MPG123_NEW_FORMAT) {
            int encoding = 0;
            mpg123_getformat(handle, &result.rate, &result.channels, &encoding);
        }
        for (std::size_t i = 0; i + 1 < got; i += 2) {
            std::int16_t sample = 0;
            std::memcpy(&sample, out.data() + i, 2);
            const double value = sample / 32768.0;
            sum += value * value;
            result.peak = std::max(result.peak, std::fabs(value));
            ++samples;
        }
        if (status != MPG123_OK && status != MPG123_NEW_FORMAT) break;
    }
    mpg123_delete(handle);
    if (result.channels > 0) result.frames = samples / static_cast<std::size_t>(result.channels);
    result.rms = samples ? std::sqrt(sum / static_cast<double>(samples)) : 0;
    return result;
}

TEST(ServiceSongs, AreAudibleStereoMp3OfTheirLengthAndDeterministic) {
    for (const auto& [seed, seconds] : {std::pair<std::uint64_t, double>{11, 3.0}, {12, 21.0}}) {
        SongSynth synth(composeSong(seed, seconds));
        const auto mp3 = encodeMp3(synth);
        ASSERT_TRUE(mp3);
        // Constant bit rate: the size gives the length, give or take a frame.
        EXPECT_NEAR(static_cast<double>(mp3->size()) / kSongBytesPerSecond, seconds, 0.1) << seed;
        const auto decoded = decodeMp3(*mp3);
        EXPECT_EQ(decoded.rate, 44100);
        EXPECT_EQ(decoded.channels, 2);
        EXPECT_NEAR(static_cast<double>(decoded.frames) / 44100.0, seconds, 0.1) << seed;
        EXPECT_GT(decoded.rms, 0.03) << "too quiet to be music";
        EXPECT_LT(decoded.peak, 1.0) << "clipped";

        SongSynth again(composeSong(seed, seconds));
        EXPECT_EQ(encodeMp3(again), mp3) << "not deterministic";
    }
}

TEST(ServiceSongs, DifferentSeedsMakeDifferentMusicAndAStopEndsEncoding) {
    SongSynth a(composeSong(1, 2.0));
    SongSynth b(composeSong(2, 2.0));
    EXPECT_NE(encodeMp3(a), encodeMp3(b));

    std::stop_source stop;
    stop.request_stop();
    SongSynth c(composeSong(3, 60.0));
    EXPECT_FALSE(encodeMp3(c, stop.get_token()));
}

TEST(ServiceSongs, ScoresStayInsideTheSongAndAreOrdered) {
    const auto score = composeSong(99, 30.0);
    ASSERT_FALSE(score.notes.empty());
    EXPECT_EQ(score.totalFrames, 30 * kSongSampleRate);
    for (std::size_t i = 0; i < score.notes.size(); ++i) {
        EXPECT_GE(score.notes[i].startFrame, 0);
        EXPECT_LT(score.notes[i].startFrame, score.totalFrames);
        if (i > 0) {
            EXPECT_LE(score.notes[i - 1].startFrame, score.notes[i].startFrame);
        }
        EXPECT_GT(score.notes[i].gateFrames, 0);
    }
}

}  // namespace
}  // namespace vamu::service
