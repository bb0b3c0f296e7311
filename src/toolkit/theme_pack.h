#pragma once
// A theme pack: one atlas picture plus named regions, nine-grid centres, edge
// adjustments, colours and numbers, looked up by element name and attribute.
// Stored form: a 21-byte header, then one zlib stream holding the description's
// length (uint32 LE), the XML description (GB2312), the atlas length (uint32 LE) and
// the atlas (PNG).
//
// A loaded pack is immutable apart from its lookup cache and may be read from the UI
// thread only (QImage is not shared across threads here).

#include <QImage>
#include <QRect>
#include <QRectF>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vamu::toolkit {

class ThemePack {
public:
    // Parses and verifies a stored pack; nullopt-like nullptr for a broken pack (bad
    // header or password, a stream that does not inflate, bad XML, an undecodable atlas,
    // regions outside the atlas). A broken pack gives no theme rather than garbage.
    [[nodiscard]] static std::unique_ptr<ThemePack> load(std::span<const std::byte> stored,
                                                         std::string_view password = {});
    virtual ~ThemePack() = default;

    // The attribute's text as written in the description; nullopt when the element or
    // the attribute is absent.
    [[nodiscard]] virtual std::optional<std::string> text(std::string_view element,
                                                          std::string_view attribute) const = 0;
    // "x,y,w,h" (or any four comma-separated numbers) as integers / floats; parsed
    // once and cached under the element's and attribute's key.
    [[nodiscard]] virtual std::optional<QRect> rect(std::string_view element,
                                                    std::string_view attribute) const = 0;
    [[nodiscard]] virtual std::optional<QRectF> rectF(std::string_view element,
                                                      std::string_view attribute) const = 0;
    // A decimal number attribute (colours are signed 32-bit ARGB in decimal).
    [[nodiscard]] virtual std::optional<long long> number(std::string_view element,
                                                          std::string_view attribute) const = 0;

    [[nodiscard]] virtual const QImage& atlas() const = 0;
    [[nodiscard]] virtual std::string_view name() const = 0;
};

// The pack built into the program; loaded on first use on the UI thread.
// nullptr only if the built-in data is damaged.
[[nodiscard]] const ThemePack* builtinThemePack();

}  // namespace vamu::toolkit
