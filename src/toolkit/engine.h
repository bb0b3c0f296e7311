#pragma once
// The toolkit engine: the process-wide services controls and host windows share,
// as named operations. The current theme pack and its lookups, the registry of
// control classes, the attribute store used when controls are built from a layout
// description, and the state-animation curve. UI thread only.

#include "toolkit/controls/events.h"

#include <QImage>
#include <QRect>
#include <QRectF>

#include <optional>
#include <string>
#include <string_view>

namespace vamu::toolkit {
class ThemePack;
}

namespace vamu::toolkit::engine {

// The theme that host windows take unless they are given their own.
void selectResourcePack(const ThemePack* pack);
[[nodiscard]] const ThemePack* currentResourcePack();

struct PackImageRect {
    QRectF rect;         // source rectangle in the pack image
    int imageIndex = 0;  // the pack holds one image: always 0
};

// Lookups by element ("SysButton.Close") and key ("normal"); nullopt when the pack,
// the element or the key is missing.
[[nodiscard]] std::optional<std::string> getPackText(const ThemePack* pack, std::string_view element,
                                                     std::string_view key);
[[nodiscard]] std::optional<QRect> getPackRect(const ThemePack* pack, std::string_view element, std::string_view key);
[[nodiscard]] std::optional<PackImageRect> getPackImageRect(const ThemePack* pack, std::string_view element,
                                                            std::string_view key);
[[nodiscard]] std::optional<long long> getPackNumber(const ThemePack* pack, std::string_view element,
                                                     std::string_view key);
// The pack image for an index; nullptr when there is none.
[[nodiscard]] const QImage* getPackImage(const ThemePack* pack, int index = 0);

// Control classes by name (stored upper case) and their kind codes.
void registerClass(std::string_view name, int kind);
[[nodiscard]] std::optional<int> classKind(std::string_view name);

// Attributes of a control built from a layout description, kept per control until
// it is destroyed; a class reads its own attributes from here.
void setControlAttribute(ControlHandle control, std::string_view name, std::string_view value, bool firstPass);
[[nodiscard]] std::optional<std::string> controlAttribute(ControlHandle control, std::string_view name);
void forgetControlAttributes(ControlHandle control);

// The eased progress (0..1, clamped) of a state animation at linear progress t.
[[nodiscard]] double easeProgress(int curve, double t);

}  // namespace vamu::toolkit::engine
