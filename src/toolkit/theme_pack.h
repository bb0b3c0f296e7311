#pragma once
// A theme pack: one atlas picture plus named regions, nine-grid centres, edge
// adjustments, colours and numbers, looked up by element name and attribute.
// Stored form: see pack_format.h (a 21-byte header, then one zlib stream holding the
// XML description in GB2312 and the atlas as PNG).
//
// Element and attribute names match without regard to ASCII case, like key atoms.
// A loaded pack never changes apart from its lookup cache; every lookup is safe from
// any thread, and the atlas may be read (not modified) from any thread.

#include <QImage>
#include <QRect>
#include <QRectF>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::toolkit {

class ThemePack {
public:
    // Parses and verifies a stored pack; nullptr for a broken pack: bad header or
    // password, a stream that does not inflate, bad lengths, a description that does
    // not decode or parse, an undecodable atlas, an atlas region that is empty or lies
    // outside the atlas, two elements of one name. A broken pack gives no theme rather
    // than garbage.
    //
    // highResolutionPng, when given, is the same atlas drawn at twice the resolution
    // (a PNG kept beside the pack). It is optional: one that does not decode or is not
    // exactly twice the atlas's size is left out and the pack loads without it.
    [[nodiscard]] static std::unique_ptr<ThemePack> load(std::span<const std::byte> stored,
                                                         std::string_view password = {},
                                                         std::span<const std::byte> highResolutionPng = {});
    virtual ~ThemePack() = default;

    // The attribute's text (UTF-8) as written in the description; nullopt when the
    // element or the attribute is absent.
    [[nodiscard]] virtual std::optional<std::string> text(std::string_view element,
                                                          std::string_view attribute) const = 0;
    // Exactly four comma-separated numbers "x,y,w,h" as integers / floats. Parsed once
    // and cached under the key atom of element + "_" + attribute + "_rect" / "_rectF".
    [[nodiscard]] virtual std::optional<QRect> rect(std::string_view element, std::string_view attribute) const = 0;
    [[nodiscard]] virtual std::optional<QRectF> rectF(std::string_view element, std::string_view attribute) const = 0;
    // A single decimal integer.
    [[nodiscard]] virtual std::optional<long long> number(std::string_view element,
                                                          std::string_view attribute) const = 0;
    // Comma-separated decimal integers (at least one).
    [[nodiscard]] virtual std::optional<std::vector<long long>> numbers(std::string_view element,
                                                                        std::string_view attribute) const = 0;
    // Comma-separated colours, written as signed (or unsigned) 32-bit ARGB decimals,
    // returned as unpremultiplied 0xAARRGGBB.
    [[nodiscard]] virtual std::optional<std::vector<std::uint32_t>> colours(std::string_view element,
                                                                            std::string_view attribute) const = 0;

    // ARGB32 premultiplied; every region of the description lies inside it.
    [[nodiscard]] virtual const QImage& atlas() const = 0;
    // The atlas at twice the resolution for screens with a device pixel ratio above 1,
    // or nullptr. Its devicePixelRatio() is 2, so the description's regions, read as
    // logical pixels, select the same parts in it (controls/surface.h).
    [[nodiscard]] virtual const QImage* highResolutionAtlas() const { return nullptr; }
    // The description's "ThemesName" (UTF-8; may be empty).
    [[nodiscard]] virtual std::string_view name() const = 0;
};

// The pack built into the program, loaded on first use (thread-safe) and kept for the
// life of the process. nullptr only if the built-in data is damaged.
[[nodiscard]] const ThemePack* builtinThemePack();

// The same pack shared, for holders that also keep loaded packs alive (the current
// theme selection, host windows with a theme of their own).
[[nodiscard]] std::shared_ptr<const ThemePack> sharedBuiltinThemePack();

// The built-in pack's stored bytes, as handed to the toolkit core at start-up.
[[nodiscard]] std::span<const std::byte> builtinThemePackBytes();

}  // namespace vamu::toolkit
