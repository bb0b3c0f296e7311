#include "toolkit/theme_pack.h"

#include "toolkit/key_atoms.h"
#include "toolkit/legacy_text.h"
#include "toolkit/pack_format.h"
#include "toolkit/theme_names.h"
#include "toolkit/theme_values.h"

#include <pugixml.hpp>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <limits>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace vamu::toolkit {

namespace {

constexpr std::size_t kMaxElements = 4096;
constexpr std::size_t kMaxAttributesPerElement = 256;
constexpr int kMaxAtlasSide = 4096;

using AttributeMap = std::unordered_map<std::string, std::string, CaseInsensitiveHash, CaseInsensitiveEqual>;
using ElementMap = std::unordered_map<std::string, AttributeMap, CaseInsensitiveHash, CaseInsensitiveEqual>;

class LoadedThemePack final : public ThemePack {
public:
    LoadedThemePack(ElementMap elements, QImage atlas, QImage highResolution, std::string name)
        : m_elements(std::move(elements)),
          m_atlas(std::move(atlas)),
          m_highResolution(std::move(highResolution)),
          m_name(std::move(name)) {}

    std::optional<std::string> text(std::string_view element, std::string_view attribute) const override {
        if (const std::string* value = find(element, attribute)) return *value;
        return std::nullopt;
    }

    std::optional<QRect> rect(std::string_view element, std::string_view attribute) const override {
        return cached(m_rects, element, attribute, "_rect", [](std::string_view value) -> std::optional<QRect> {
            const auto parts = parseIntegerList(value);
            if (!parts || parts->size() != 4) return std::nullopt;
            for (long long part : *parts) {
                if (part < std::numeric_limits<int>::min() || part > std::numeric_limits<int>::max())
                    return std::nullopt;
            }
            return QRect(static_cast<int>((*parts)[0]), static_cast<int>((*parts)[1]), static_cast<int>((*parts)[2]),
                         static_cast<int>((*parts)[3]));
        });
    }

    std::optional<QRectF> rectF(std::string_view element, std::string_view attribute) const override {
        return cached(m_rectFs, element, attribute, "_rectF", [](std::string_view value) -> std::optional<QRectF> {
            const auto parts = parseRealList(value);
            if (!parts || parts->size() != 4) return std::nullopt;
            return QRectF((*parts)[0], (*parts)[1], (*parts)[2], (*parts)[3]);
        });
    }

    std::optional<long long> number(std::string_view element, std::string_view attribute) const override {
        const auto parts = numbers(element, attribute);
        if (!parts || parts->size() != 1) return std::nullopt;
        return parts->front();
    }

    std::optional<std::vector<long long>> numbers(std::string_view element, std::string_view attribute) const override {
        const std::string* value = find(element, attribute);
        return value ? parseIntegerList(*value) : std::nullopt;
    }

    std::optional<std::vector<std::uint32_t>> colours(std::string_view element,
                                                      std::string_view attribute) const override {
        const auto parts = numbers(element, attribute);
        if (!parts) return std::nullopt;
        std::vector<std::uint32_t> result;
        result.reserve(parts->size());
        for (long long part : *parts) {
            if (part < std::numeric_limits<std::int32_t>::min() || part > std::numeric_limits<std::uint32_t>::max())
                return std::nullopt;
            result.push_back(static_cast<std::uint32_t>(part));
        }
        return result;
    }

    const QImage& atlas() const override { return m_atlas; }
    const QImage* highResolutionAtlas() const override {
        return m_highResolution.isNull() ? nullptr : &m_highResolution;
    }
    std::string_view name() const override { return m_name; }

private:
    template <typename Value>
    using Cache = std::unordered_map<KeyAtom, std::optional<Value>>;

    const std::string* find(std::string_view element, std::string_view attribute) const {
        const auto e = m_elements.find(element);
        if (e == m_elements.end()) return nullptr;
        const auto a = e->second.find(attribute);
        return a == e->second.end() ? nullptr : &a->second;
    }

    // Parsed values stay cached under the key atom of element_attribute + suffix, so
    // each is parsed once however often controls paint.
    template <typename Value, typename Parse>
    std::optional<Value> cached(Cache<Value>& cache, std::string_view element, std::string_view attribute,
                                std::string_view suffix, Parse parse) const {
        std::string key;
        key.reserve(element.size() + attribute.size() + suffix.size() + 1);
        key.append(element).append("_").append(attribute).append(suffix);
        const KeyAtom atom = keyAtom(key);
        if (atom != kNoKeyAtom) {
            std::lock_guard lock(m_cacheMutex);
            if (auto it = cache.find(atom); it != cache.end()) return it->second;
        }
        const std::string* value = find(element, attribute);
        std::optional<Value> parsed = value ? parse(*value) : std::nullopt;
        // A full atom table still answers correctly, only without the cache.
        if (atom != kNoKeyAtom) {
            std::lock_guard lock(m_cacheMutex);
            cache.emplace(atom, parsed);
        }
        return parsed;
    }

    ElementMap m_elements;
    QImage m_atlas;
    QImage m_highResolution;  // null when the pack has none
    std::string m_name;
    mutable std::mutex m_cacheMutex;
    mutable Cache<QRect> m_rects;    // guarded by m_cacheMutex
    mutable Cache<QRectF> m_rectFs;  // guarded by m_cacheMutex
};

std::optional<ElementMap> parseDescription(const pugi::xml_node& root) {
    ElementMap elements;
    // "A" + "b_c" and "A_b" + "c" would share one cache key; such a pack is refused.
    std::unordered_set<std::string, CaseInsensitiveHash, CaseInsensitiveEqual> joinedKeys;
    for (const pugi::xml_node& node : root.children(theme::kPackElementTag.data())) {
        const std::string name = node.attribute("name").value();
        if (name.empty() || elements.size() >= kMaxElements || elements.contains(name)) return std::nullopt;
        AttributeMap attributes;
        for (const pugi::xml_attribute& attribute : node.attributes()) {
            const std::string attributeName = attribute.name();
            if (attributeName == "name") continue;
            if (attributes.size() >= kMaxAttributesPerElement || !joinedKeys.insert(name + "_" + attributeName).second)
                return std::nullopt;
            attributes.emplace(attributeName, attribute.value());
        }
        elements.emplace(name, std::move(attributes));
    }
    return elements;
}

bool regionsInsideAtlas(const ElementMap& elements, const QImage& atlas) {
    const QRectF bounds(0, 0, atlas.width(), atlas.height());
    for (const auto& [element, attributes] : elements) {
        for (const auto& [attribute, value] : attributes) {
            const auto parts = parseRealList(value);
            if (!parts || parts->size() != 4 || !isAtlasRegionAttribute(attribute)) continue;
            const QRectF region((*parts)[0], (*parts)[1], (*parts)[2], (*parts)[3]);
            if (!(region.width() > 0 && region.height() > 0) || !bounds.contains(region)) return false;
        }
    }
    return true;
}

// The size is checked before decoding, so a hostile picture cannot ask for gigabytes.
QImage decodeAtlas(std::string_view png, int maxSide = kMaxAtlasSide) {
    QByteArray bytes = QByteArray::fromRawData(png.data(), static_cast<qsizetype>(png.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "PNG");
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > maxSide || size.height() > maxSide) return {};
    QImage atlas;
    if (!reader.read(&atlas) || atlas.size() != size) return {};
    return std::move(atlas).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

std::unique_ptr<ThemePack> ThemePack::load(std::span<const std::byte> stored, std::string_view password,
                                           std::span<const std::byte> highResolutionPng) {
    const PackReadResult read = readPack(stored, password);
    if (!read.ok()) return nullptr;
    const std::optional<std::string> description = gbToUtf8(read.contents.description);
    if (!description) return nullptr;

    pugi::xml_document document;
    const auto parsed =
        document.load_buffer(description->data(), description->size(), pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node root = document.document_element();
    if (!parsed || std::string_view(root.name()) != theme::kPackRoot) return nullptr;
    std::optional<ElementMap> elements = parseDescription(root);
    if (!elements) return nullptr;

    QImage atlas = decodeAtlas(read.contents.picture);
    if (atlas.isNull() || !regionsInsideAtlas(*elements, atlas)) return nullptr;

    QImage highResolution;
    if (!highResolutionPng.empty()) {
        highResolution = decodeAtlas(
            std::string_view(reinterpret_cast<const char*>(highResolutionPng.data()), highResolutionPng.size()),
            2 * kMaxAtlasSide);
        if (highResolution.size() == atlas.size() * 2)
            highResolution.setDevicePixelRatio(2.0);
        else
            highResolution = QImage();
    }

    return std::make_unique<LoadedThemePack>(std::move(*elements), std::move(atlas), std::move(highResolution),
                                             root.attribute("ThemesName").value());
}

}  // namespace vamu::toolkit
