#include "toolkit/theme_engine.h"

#include <mutex>
#include <utility>

namespace vamu::toolkit {

namespace {

std::mutex g_currentMutex;
std::shared_ptr<const ThemePack> g_current;  // guarded by g_currentMutex

}  // namespace

std::shared_ptr<const ThemePack> loadResourcePack(std::span<const std::byte> stored, std::string_view password) {
    return ThemePack::load(stored, password);
}

void selectResourcePack(std::shared_ptr<const ThemePack> pack) {
    std::shared_ptr<const ThemePack> previous;
    {
        std::lock_guard lock(g_currentMutex);
        previous = std::exchange(g_current, std::move(pack));
    }
    // `previous` may hold the last reference; it is released outside the lock.
}

std::shared_ptr<const ThemePack> currentResourcePack() {
    std::lock_guard lock(g_currentMutex);
    return g_current;
}

std::optional<std::string> getPackText(const ThemePack* pack, std::string_view name, std::string_view key) {
    return pack ? pack->text(name, key) : std::nullopt;
}

std::optional<QRect> getPackRect(const ThemePack* pack, std::string_view name, std::string_view key) {
    return pack ? pack->rect(name, key) : std::nullopt;
}

std::optional<PackImageRect> getPackImageRect(const ThemePack* pack, std::string_view name, std::string_view key) {
    if (!pack) return std::nullopt;
    const std::optional<QRectF> source = pack->rectF(name, key);
    if (!source) return std::nullopt;
    // A pack holds one image, the atlas.
    return PackImageRect{*source, 0};
}

const QImage* getPackImage(const ThemePack* pack, int imageIndex) {
    return pack && imageIndex == 0 ? &pack->atlas() : nullptr;
}

}  // namespace vamu::toolkit
