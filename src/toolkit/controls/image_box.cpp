#include "toolkit/controls/image_box.h"

#include "toolkit/controls/class_names.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace vamu::toolkit {

PictureFrames PictureFrames::decode(const QByteArray& bytes) {
    PictureFrames result;
    if (bytes.isEmpty()) return result;
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    long long pixels = 0;
    while (static_cast<int>(result.frames.size()) < kMaxFrames) {
        QImage frame = reader.read();
        if (frame.isNull()) break;
        pixels += static_cast<long long>(frame.width()) * frame.height();
        if (pixels > kMaxPixels) break;
        // The delay the reader reports after a frame is that frame's own.
        int delay = reader.nextImageDelay();
        if (delay < kShortestDelayMs) delay = kShortDelayMs;
        result.frames.push_back(frame.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        result.delaysMs.push_back(delay);
        if (!reader.supportsAnimation() || !reader.canRead()) break;
    }
    return result;
}

ImageBox* ImageBox::create(ControlParent parent, const QRect& rect, const QByteArray& picture,
                           const ImageBoxSetup& setup) {
    auto box = std::unique_ptr<ImageBox>(new ImageBox);
    box->m_background = setup.background;
    box->m_border = setup.border;
    box->m_play = setup.play;
    box->m_fillType = setup.fillType;
    box->m_frames = PictureFrames::decode(picture);
    if (!box->m_frames.frames.empty()) box->m_bytes = picture;
    CreateOptions options;
    options.visible = setup.visible;
    return BaseControl::create(std::move(box), parent, rect, kind::kImageBox, names::kImageBox, options);
}

ImageBox* ImageBox::createFromFile(ControlParent parent, const QRect& rect, const QString& path,
                                   const ImageBoxSetup& setup) {
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxFileBytes) bytes = file.read(kMaxFileBytes);
    return create(parent, rect, bytes, setup);
}

int ImageBox::frameDelayMs(int frame) const {
    if (frame < 0 || frame >= frameCount()) return 0;
    return m_frames.delaysMs[static_cast<std::size_t>(frame)];
}

void ImageBox::replaceFrames(PictureFrames frames, QByteArray bytes) {
    stopFrameTimer();
    m_frames = std::move(frames);
    m_bytes = m_frames.frames.empty() ? QByteArray() : std::move(bytes);
    m_current = 0;
    redraw();
}

bool ImageBox::setPicture(const QByteArray& bytes) {
    replaceFrames(PictureFrames::decode(bytes), bytes);
    return frameCount() > 0;
}

void ImageBox::setPicture(const QImage& image) {
    PictureFrames frames;
    if (!image.isNull()) {
        frames.frames.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        frames.delaysMs.push_back(0);
    }
    replaceFrames(std::move(frames), {});
}

void ImageBox::clearPicture() { replaceFrames({}, {}); }

void ImageBox::setPlay(bool on) {
    if (on == m_play) return;
    m_play = on;
    if (on)
        scheduleNextFrame();
    else
        stopFrameTimer();
}

void ImageBox::setBackground(QRgb colour) {
    if (colour == m_background) return;
    m_background = colour;
    redraw();
}

void ImageBox::setBorder(long long border) {
    if (border == m_border) return;
    m_border = border;
    redraw();
}

void ImageBox::setFill(int fillType, std::optional<QRectF> grid) {
    m_fillType = fillType;
    m_grid = grid;
    redraw();
}

void ImageBox::onPaint(QPainter& painter, const PaintContext& context) {
    const QRectF whole(context.whole);
    if (!paintBackground(painter) && qAlpha(m_background) != 0) painter.fillRect(whole, QColor::fromRgba(m_background));
    if (m_current < frameCount()) {
        paint::drawImage(painter, m_frames.frames[static_cast<std::size_t>(m_current)], whole, std::nullopt, m_fillType,
                         m_grid);
    }
    if (m_border != 0) paint::drawBorder(painter, whole, m_border);
    // A state fade of this paint would be cut short by the next frame: the frame
    // timer waits for its end then.
    if (animationFrames() == 0 || animationInterval() == 0) scheduleNextFrame();
}

void ImageBox::scheduleNextFrame() {
    if (!m_play || frameCount() < 2 || !isCreated()) {
        stopFrameTimer();
        return;
    }
    // A repaint of the same frame keeps the running timer, so frequent repaints
    // never hold the animation back.
    if (m_timerRunning && m_scheduledFrame == m_current) return;
    m_scheduledFrame = m_current;
    m_timerRunning = setTimer(frameDelayMs(m_current));
}

void ImageBox::stopFrameTimer() {
    if (m_timerRunning) killTimer();
    m_timerRunning = false;
    m_scheduledFrame = -1;
}

void ImageBox::onTimer() {
    if (frameCount() < 2) {
        stopFrameTimer();
        return;
    }
    m_current = (m_current + 1) % frameCount();
    redraw();
}

void ImageBox::onAnimationEnd() { scheduleNextFrame(); }

void ImageBox::onDestroy() {
    stopFrameTimer();
    m_frames = {};
    m_bytes.clear();
}

std::optional<PropertyValues> ImageBox::property(std::string_view name, const PropertyValues* set) {
    const auto number = [](long long value) { return PropertyValues{value}; };
    if (name == "Image") {
        if (set) setPicture(bytesArgument(*set, 0));
        return PropertyValues{m_bytes};
    }
    if (name == "Play") {
        if (set) setPlay(intArgument(*set, 0) != 0);
        return number(m_play ? 1 : 0);
    }
    if (name == "crBackground") {
        if (set) setBackground(static_cast<QRgb>(intArgument(*set, 0)));
        return number(m_background);
    }
    if (name == "crBorder") {
        if (set) setBorder(intArgument(*set, 0));
        return number(m_border);
    }
    if (name == "Filltype") {
        if (set) setFill(static_cast<int>(intArgument(*set, 0)), m_grid);
        return number(m_fillType);
    }
    if (name == "Gird") {
        if (set) setFill(m_fillType, gridArgument(*set));
        return gridValues(m_grid);
    }
    return std::nullopt;
}

}  // namespace vamu::toolkit
