#pragma once
// The engine's theme operations, as the rest of the toolkit calls them: loading and
// selecting resource packs and looking values up by element name and key. A null pack
// stands for "no theme": every lookup on it reports not found, and each caller falls
// back to its own defaults.
//
// Packs are shared: the current selection and any host window with a theme of its own
// keep the pack alive, so releasing one holder never leaves another dangling.
// Every function here is safe from any thread.

#include "toolkit/theme_pack.h"

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

// A stored pack checked with its password; nullptr when it is broken or the password
// does not match.
[[nodiscard]] std::shared_ptr<const ThemePack> loadResourcePack(std::span<const std::byte> stored,
                                                                std::string_view password = {});

// The process's current theme; nullptr until one is selected or after selecting none.
void selectResourcePack(std::shared_ptr<const ThemePack> pack);
[[nodiscard]] std::shared_ptr<const ThemePack> currentResourcePack();

// The attribute's text; nullopt when absent.
[[nodiscard]] std::optional<std::string> getPackText(const ThemePack* pack, std::string_view name,
                                                     std::string_view key);

// Four integers, cached under the key atom of name + "_" + key + "_rect".
[[nodiscard]] std::optional<QRect> getPackRect(const ThemePack* pack, std::string_view name, std::string_view key);

// A picture region: its source rectangle in pack image `imageIndex`, cached under the
// key atom of name + "_" + key + "_rectF".
struct PackImageRect {
    QRectF source;
    int imageIndex = 0;
};
[[nodiscard]] std::optional<PackImageRect> getPackImageRect(const ThemePack* pack, std::string_view name,
                                                            std::string_view key);

// The pack image of an index from getPackImageRect (owned by the pack); nullptr for an
// unknown index or no pack.
[[nodiscard]] const QImage* getPackImage(const ThemePack* pack, int imageIndex);

}  // namespace vamu::toolkit
