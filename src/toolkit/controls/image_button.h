#pragma once
// Buttons drawn from the application's own pictures instead of the skin.
//
// ImageButton: one picture per look (normal, highlight, pressed, focused, disabled);
// a look without its picture shows the normal one. With a disabled picture the
// button draws its own disabled look (no half-transparent fading).
//
// ImageListButton: one strip of ImageCount cells side by side, BlockSize pixels
// apart (cell width: (strip width - (count - 1) * BlockSize) / count). Cell 0 is
// normal, 1 hot, 2 pressed, and 3 disabled when the strip has more than 3 cells.

#include "toolkit/controls/button.h"

#include <array>

namespace vamu::toolkit {

// A picture as the image properties take it: bytes of any format QImage reads.
struct PictureBytes {
    QImage image;
    QByteArray bytes;  // as given, answered when the property is read
    void set(const QByteArray& data);
};

class ImageButton final : public Button {
public:
    enum class Look { Normal, Highlight, Down, Focus, Disabled };

    static ImageButton* create(ControlParent parent, const QRect& rect, const ButtonSetup& setup = {});
    void setImage(Look look, const QImage& image);
    // Fill type of the pictures (paint::fill) and the nine-grid centre for type 3.
    void setFill(int fillType, std::optional<QRectF> grid = std::nullopt);
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

private:
    ImageButton() = default;
    bool paintBackground(QPainter& painter, std::uint32_t visualState) override;
    bool onEnableChanged(bool disabled) override;
    void onFocusIn(ControlHandle previous, bool byKeyboard) override;

    std::array<PictureBytes, 5> m_images;
    int m_fillType = 0;
    std::optional<QRectF> m_grid;
};

class ImageListButton final : public Button {
public:
    static ImageListButton* create(ControlParent parent, const QRect& rect, const ButtonSetup& setup = {});
    void setStrip(const QImage& strip, int count, int blockSize = 0);
    void setFill(int fillType, std::optional<QRectF> grid = std::nullopt);
    // The strip cell a visual state shows (as painted now).
    [[nodiscard]] int cellIndex(std::uint32_t visualState) const;
    [[nodiscard]] QRect cellRect(int index) const;
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

private:
    ImageListButton() = default;
    bool paintBackground(QPainter& painter, std::uint32_t visualState) override;
    bool onEnableChanged(bool disabled) override;

    PictureBytes m_strip;
    int m_count = 1;
    int m_blockSize = 0;
    int m_blockSizeY = 0;
    int m_fillType = 0;
    std::optional<QRectF> m_grid;
};

}  // namespace vamu::toolkit
