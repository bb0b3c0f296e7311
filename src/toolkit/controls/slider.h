#pragma once
// The slider ("huakuaitiao"): a thumb on a horizontal track, its position a
// percentage from 0.0 to 100.0. The player panel shows the playing position with it
// and seeks when the left button is released over it.
//
// The track picture is drawn as a nine-grid, starting half a thumb in from the left
// and as long as the control less one thumb, so the thumb's left edge runs from 0 to
// that length. The control is made 10 pixels taller than asked, which leaves room
// for a thumb taller than the track.
//
// Only the mouse fires the change handler; while the user drags, positions set by
// the program are not applied (a playing song's clock would otherwise pull the
// thumb back under the mouse and the release would seek to the old place).
// UI thread only.

#include "toolkit/controls/control.h"

#include <QImage>

#include <functional>

namespace vamu::toolkit {

class Slider : public BaseControl {
public:
    // The pictures of a slider. trackGrid is the stretchable centre of the track
    // picture (x, y, width, height), as in a theme's "gird".
    struct Look {
        QImage track;
        QRect trackGrid;
        QImage thumbNormal;
        QImage thumbHot;
        QImage thumbPressed;
    };
    enum class ThumbState { None = 0, Normal = 1, Hot = 2, Pressed = 3 };
    using ChangeHandler = std::function<void(Slider&, double position)>;

    static constexpr int kExtraHeight = 10;

    // A slim track and a round thumb in the toolkit's theme colour.
    [[nodiscard]] static const Look& defaultLook();
    // The rectangle's height is the asked one; the control is kExtraHeight taller.
    static Slider* create(ControlParent parent, const QRect& rect, double position = 0.0,
                          const Look& look = defaultLook(), const CreateOptions& options = {});

    [[nodiscard]] double position() const { return m_position; }
    // Clamped to 0..100; ignored while the user drags. Answers whether it was applied.
    bool setPosition(double position);
    void setChangeHandler(ChangeHandler handler) { m_onChange = std::move(handler); }
    void setLook(const Look& look);

    // Off (the default): only a press on the thumb moves it. On: a press on the track
    // puts the thumb's centre under the mouse and starts a drag from there.
    [[nodiscard]] bool jumpToClick() const { return m_jumpToClick; }
    void setJumpToClick(bool on) { m_jumpToClick = on; }

    [[nodiscard]] bool dragging() const { return m_dragging; }
    [[nodiscard]] ThumbState thumbState() const { return m_thumbState; }
    [[nodiscard]] QRect thumbRect() const { return m_thumb; }
    [[nodiscard]] int trackWidth() const { return m_trackWidth; }

    explicit Slider(double position, const Look& look) : m_position(position), m_look(look) {}

protected:
    void onCreate(int createData) override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onMouseMove(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onMouseLeave(ControlHandle next) override;
    void onHide() override;
    void onGeometryChanged(const QRect& old) override;

private:
    void layout();
    void setThumbState(ThumbState state);
    void dragTo(int x);
    [[nodiscard]] const QImage& thumbImage() const;

    double m_position = 0.0;
    Look m_look;
    int m_trackWidth = 0;
    QRect m_thumb;
    ChangeHandler m_onChange;
    bool m_dragging = false;
    bool m_jumpToClick = false;
    int m_grabOffset = 0;
    ThumbState m_thumbState = ThumbState::Normal;
};

}  // namespace vamu::toolkit
