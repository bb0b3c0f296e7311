#pragma once
// The picture box: a picture (PNG, JPEG, GIF, ICO, ...) drawn by fill type over a
// background colour, with an optional border. An animated picture plays while Play
// is on: each frame stays for its own delay, driven by the control's timer; a
// picture with one frame is drawn once and starts no timer.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"

#include <optional>
#include <vector>

namespace vamu::toolkit {

// The frames of a decoded picture with the time each one is shown.
struct PictureFrames {
    std::vector<QImage> frames;  // ARGB32 premultiplied, composed to full size
    std::vector<int> delaysMs;   // per frame
    // Decodes every frame; a damaged tail keeps the frames read before it. Bounded:
    // at most kMaxFrames frames and kMaxPixels pixels in all.
    static PictureFrames decode(const QByteArray& bytes);
    static constexpr int kMaxFrames = 2000;
    static constexpr long long kMaxPixels = 64LL * 1024 * 1024;
    // Delays below this are shown for kShortDelayMs, as browsers do: a zero
    // delay would otherwise stop or race the animation.
    static constexpr int kShortestDelayMs = 20;
    static constexpr int kShortDelayMs = 100;
};

struct ImageBoxSetup {
    QRgb background = 0;   // 0: transparent
    long long border = 0;  // 0 none, 1..4 a border style, otherwise a colour
    bool play = true;
    int fillType = 1;  // paint::fill; stretched by default
    bool visible = true;
};

class ImageBox : public BaseControl, public PropertyHolder {
public:
    static ImageBox* create(ControlParent parent, const QRect& rect, const QByteArray& picture = {},
                            const ImageBoxSetup& setup = {});
    // A picture file of at most kMaxFileBytes; an unreadable file leaves the box empty.
    static ImageBox* createFromFile(ControlParent parent, const QRect& rect, const QString& path,
                                    const ImageBoxSetup& setup = {});
    static constexpr qint64 kMaxFileBytes = 32LL * 1024 * 1024;

    // False (and no picture) when the bytes do not decode.
    bool setPicture(const QByteArray& bytes);
    void setPicture(const QImage& image);
    void clearPicture();
    [[nodiscard]] int frameCount() const { return static_cast<int>(m_frames.frames.size()); }
    [[nodiscard]] int currentFrame() const { return m_current; }  // from 0
    [[nodiscard]] int frameDelayMs(int frame) const;
    [[nodiscard]] bool playing() const { return m_play; }
    void setPlay(bool on);
    [[nodiscard]] bool frameTimerRunning() const { return m_timerRunning; }
    void setBackground(QRgb colour);
    void setBorder(long long border);
    void setFill(int fillType, std::optional<QRectF> grid = std::nullopt);

    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

protected:
    ImageBox() = default;
    // Answers true when it painted the background itself.
    virtual bool paintBackground(QPainter&) { return false; }
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onTimer() override;
    void onAnimationEnd() override;
    void onDestroy() override;

private:
    void replaceFrames(PictureFrames frames, QByteArray bytes);
    void scheduleNextFrame();
    void stopFrameTimer();

    QRgb m_background = 0;
    PictureFrames m_frames;
    QByteArray m_bytes;
    bool m_play = true;
    long long m_border = 0;
    int m_current = 0;
    int m_fillType = 1;
    std::optional<QRectF> m_grid;
    bool m_timerRunning = false;
    int m_scheduledFrame = -1;
};

}  // namespace vamu::toolkit
