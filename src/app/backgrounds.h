#pragma once
// The program's pictures held as constant data: the five background pictures of the
// main window (made by tools/make_backgrounds, 380 x 415) and the 128 x 128 icon.

#include <QByteArray>
#include <QImage>

namespace vamu::app {

inline constexpr int kBackgroundCount = 5;

// Background picture 0..4; a null image for any other number.
[[nodiscard]] QImage backgroundPicture(int index);
// The program's icon, 128 x 128.
[[nodiscard]] QImage programIcon();
// The icon file's bytes (PNG), for controls that take encoded pictures.
[[nodiscard]] QByteArray programIconBytes();
// The paging tiles' pictures: a chevron on a soft disc (PNG bytes), pointing left for
// the previous page and right for the next.
enum class PagingArrow { Previous, Next };
[[nodiscard]] QByteArray pagingArrowBytes(PagingArrow arrow);

}  // namespace vamu::app
