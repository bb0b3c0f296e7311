// The theme pack and method map that the program carries as constant data.
#include "toolkit/method_map.h"
#include "toolkit/theme_pack.h"

#include <embedded/vamu_toolkit_theme.h>

namespace vamu::toolkit {

std::span<const std::byte> builtinThemePackBytes() { return resources::defaultThemePack(); }

std::shared_ptr<const ThemePack> sharedBuiltinThemePack() {
    static const std::shared_ptr<const ThemePack> pack =
        ThemePack::load(builtinThemePackBytes(), {}, resources::defaultThemeAtlas2x());
    return pack;
}

const ThemePack* builtinThemePack() { return sharedBuiltinThemePack().get(); }

std::span<const std::byte> builtinMethodMapText() { return resources::methodMap(); }

const MethodMap* builtinMethodMap() {
    static const std::optional<MethodMap> map = MethodMap::parse(builtinMethodMapText());
    return map ? &*map : nullptr;
}

}  // namespace vamu::toolkit
