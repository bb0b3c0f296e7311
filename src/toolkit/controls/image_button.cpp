#include "toolkit/controls/image_button.h"

#include "toolkit/controls/class_names.h"
#include "toolkit/controls/paint.h"

#include <algorithm>

namespace vamu::toolkit {

namespace {

// The fill type (under the class's own spelling) and "Gird" of the picture buttons;
// nullopt for other names.
std::optional<PropertyValues> fillProperty(std::string_view name, std::string_view fillName, const PropertyValues* set,
                                           int& fillType, std::optional<QRectF>& grid) {
    if (name == fillName) {
        if (set) fillType = static_cast<int>(intArgument(*set, 0));
        return PropertyValues{static_cast<long long>(fillType)};
    }
    if (name == "Gird") {
        if (set) grid = gridArgument(*set);
        return gridValues(grid);
    }
    return std::nullopt;
}

}  // namespace

void PictureBytes::set(const QByteArray& data) {
    image = QImage::fromData(data);
    bytes = image.isNull() ? QByteArray() : data;
}

ImageButton* ImageButton::create(ControlParent parent, const QRect& rect, const ButtonSetup& setup) {
    return createAs(std::unique_ptr<ImageButton>(new ImageButton), parent, rect, setup, kind::kImageButton,
                    names::kImageButton);
}

void ImageButton::setImage(Look look, const QImage& image) {
    PictureBytes& slot = m_images[static_cast<std::size_t>(look)];
    slot.image = image;
    slot.bytes.clear();
    redraw();
}

void ImageButton::setFill(int fillType, std::optional<QRectF> grid) {
    m_fillType = fillType;
    m_grid = grid;
    redraw();
}

bool ImageButton::paintBackground(QPainter& painter, std::uint32_t visualState) {
    Look look = Look::Normal;
    if (isDisabled())
        look = Look::Disabled;
    else if (visualState & state::kHot)
        look = Look::Highlight;
    else if (visualState & state::kPressed)
        look = Look::Down;
    else if (isFocused())
        look = Look::Focus;
    const QImage* image = &m_images[static_cast<std::size_t>(look)].image;
    if (image->isNull()) image = &m_images[static_cast<std::size_t>(Look::Normal)].image;
    paint::drawImage(painter, *image, QRectF(0, 0, width(), height()), std::nullopt, m_fillType, m_grid);
    return true;
}

bool ImageButton::onEnableChanged(bool) {
    redraw();
    return !m_images[static_cast<std::size_t>(Look::Disabled)].image.isNull();
}

void ImageButton::onFocusIn(ControlHandle, bool) {
    if (!m_images[static_cast<std::size_t>(Look::Focus)].image.isNull()) redraw();
}

std::optional<PropertyValues> ImageButton::property(std::string_view name, const PropertyValues* set) {
    static constexpr std::array<std::string_view, 5> kNames{"ImgNormal", "ImgHighlight", "ImgDown", "ImgFocus",
                                                            "ImgDisable"};
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (name != kNames[i]) continue;
        if (set) {
            m_images[i].set(bytesArgument(*set, 0));
            redraw();
        }
        return PropertyValues{m_images[i].bytes};
    }
    if (auto fill = fillProperty(name, "FiilType", set, m_fillType, m_grid)) {
        if (set) redraw();
        return fill;
    }
    return Button::property(name, set);
}

ImageListButton* ImageListButton::create(ControlParent parent, const QRect& rect, const ButtonSetup& setup) {
    return createAs(std::unique_ptr<ImageListButton>(new ImageListButton), parent, rect, setup, kind::kImageListButton,
                    names::kImageListButton);
}

void ImageListButton::setStrip(const QImage& strip, int count, int blockSize) {
    m_strip.image = strip;
    m_strip.bytes.clear();
    m_count = std::max(count, 1);
    m_blockSize = std::max(blockSize, 0);
    redraw();
}

void ImageListButton::setFill(int fillType, std::optional<QRectF> grid) {
    m_fillType = fillType;
    m_grid = grid;
    redraw();
}

int ImageListButton::cellIndex(std::uint32_t visualState) const {
    int index = 0;
    if (isDisabled())
        index = m_count > 3 ? 3 : 0;
    else if (visualState == button_state::kHot)
        index = 1;
    else if (visualState == button_state::kPressed)
        index = 2;
    return index < m_count ? index : 0;  // a short strip shows its first cell
}

QRect ImageListButton::cellRect(int index) const {
    if (m_strip.image.isNull()) return {};
    const int cellWidth = (m_strip.image.width() - (m_count - 1) * m_blockSize) / m_count;
    if (cellWidth <= 0) return {};
    return QRect(index * (cellWidth + m_blockSize), 0, cellWidth, m_strip.image.height());
}

bool ImageListButton::paintBackground(QPainter& painter, std::uint32_t visualState) {
    const QRect cell = cellRect(cellIndex(visualState));
    if (!cell.isEmpty()) {
        paint::drawImage(painter, m_strip.image, QRectF(0, 0, width(), height()), QRectF(cell), m_fillType, m_grid);
    }
    return true;
}

bool ImageListButton::onEnableChanged(bool) {
    redraw();
    return !m_strip.image.isNull() && m_count > 3;
}

std::optional<PropertyValues> ImageListButton::property(std::string_view name, const PropertyValues* set) {
    if (name == "Image") {
        if (set) {
            m_strip.set(bytesArgument(*set, 0));
            redraw();
        }
        return PropertyValues{m_strip.bytes};
    }
    if (name == "ImageCount") {
        if (set) {
            m_count = std::max(static_cast<int>(intArgument(*set, 0)), 1);
            redraw();
        }
        return PropertyValues{static_cast<long long>(m_count)};
    }
    if (name == "BlockSize") {
        // A horizontal and a vertical gap; a strip is one row, so only the first counts.
        if (set) {
            m_blockSize = std::max(static_cast<int>(intArgument(*set, 0)), 0);
            m_blockSizeY = static_cast<int>(intArgument(*set, 1));
            redraw();
        }
        return PropertyValues{static_cast<long long>(m_blockSize), static_cast<long long>(m_blockSizeY)};
    }
    if (auto fill = fillProperty(name, "FillType", set, m_fillType, m_grid)) {
        if (set) redraw();
        return fill;
    }
    return Button::property(name, set);
}

}  // namespace vamu::toolkit
