// make_theme: draws the built-in theme atlas, writes its description and packs both in
// the stored form.
//
//   make_theme --out DIR [--preview FILE] [--mockup FILE]
//
// Writes DIR/default_theme.png, DIR/default_theme.xml (GB2312, as stored in the pack)
// and DIR/default_theme.pack, and beside them DIR/default_theme@2x.png, the same atlas
// drawn again from its vector parts at twice the resolution for high-density screens;
// then loads the pack back with the 2x atlas and checks every region in both. With
// --preview it also writes the atlas enlarged four times, once over a checkerboard and
// once over a coloured backdrop, for looking at; with --mockup a picture of the parts
// in use.
#include "atlas.h"
#include "mockup.h"
#include "theme_table.h"

#include "toolkit/legacy_text.h"
#include "toolkit/pack_format.h"
#include "toolkit/theme_pack.h"
#include "toolkit/theme_values.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>
#include <string>

namespace {

using namespace vamu;

constexpr int kPreviewScale = 4;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_theme: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QByteArray encodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
    return bytes;
}

bool regionDrawn(const QImage& atlas, const QRect& region) {
    const int scale = static_cast<int>(atlas.devicePixelRatio());
    for (int y = region.top() * scale; y < (region.bottom() + 1) * scale; ++y)
        for (int x = region.left() * scale; x < (region.right() + 1) * scale; ++x)
            if (qAlpha(atlas.pixel(x, y)) != 0) return true;
    return false;
}

// Every region the description names must show something once loaded, in both atlases.
bool verify(std::span<const std::byte> pack, const QByteArray& highResolutionPng) {
    const auto theme = toolkit::ThemePack::load(
        pack, {},
        std::as_bytes(std::span(highResolutionPng.constData(), static_cast<std::size_t>(highResolutionPng.size()))));
    if (!theme) {
        std::fprintf(stderr, "make_theme: the written pack does not load\n");
        return false;
    }
    if (!theme->highResolutionAtlas()) {
        std::fprintf(stderr, "make_theme: the 2x atlas is not taken with the pack\n");
        return false;
    }
    bool ok = true;
    for (const tools::ThemeElement& element : tools::themeElements()) {
        for (const tools::ThemeAttribute& attribute : element.attributes) {
            const auto region = theme->rect(element.name, attribute.name);
            if (!region || !toolkit::isAtlasRegionAttribute(attribute.name)) continue;
            if (!regionDrawn(theme->atlas(), *region) || !regionDrawn(*theme->highResolutionAtlas(), *region)) {
                std::fprintf(stderr, "make_theme: %.*s.%.*s is blank\n", static_cast<int>(element.name.size()),
                             element.name.data(), static_cast<int>(attribute.name.size()), attribute.name.data());
                ok = false;
            }
        }
    }
    return ok;
}

QImage preview(const QImage& atlas) {
    const QSize scaled = atlas.size() * kPreviewScale;
    QImage out(scaled.width(), scaled.height() * 2, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    for (int y = 0; y < scaled.height(); y += 8)
        for (int x = 0; x < scaled.width(); x += 8)
            p.fillRect(x, y, 8, 8, ((x + y) / 8) % 2 ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xE9, 0xEC, 0xF0));
    QLinearGradient backdrop(0, scaled.height(), scaled.width(), scaled.height() * 2);
    backdrop.setColorAt(0, QColor(0x3A, 0x7B, 0xC8));
    backdrop.setColorAt(1, QColor(0x7A, 0x4E, 0xB0));
    p.fillRect(QRect(0, scaled.height(), scaled.width(), scaled.height()), backdrop);
    const QImage big = atlas.scaled(scaled, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    p.drawImage(0, 0, big);
    p.drawImage(0, scaled.height(), big);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype outAt = args.indexOf("--out");
    const qsizetype previewAt = args.indexOf("--preview");
    const qsizetype mockupAt = args.indexOf("--mockup");
    if (outAt < 0 || outAt + 1 >= args.size() || (previewAt >= 0 && previewAt + 1 >= args.size()) ||
        (mockupAt >= 0 && mockupAt + 1 >= args.size())) {
        std::fprintf(stderr, "usage: make_theme --out DIR [--preview FILE] [--mockup FILE]\n");
        return 2;
    }
    const QString dir = args[outAt + 1];

    const QImage atlas = tools::paintAtlas();
    const QByteArray png = encodePng(atlas);
    const QImage atlas2x = tools::paintAtlas(2);
    const QByteArray png2x = encodePng(atlas2x);
    const auto description = toolkit::utf8ToGb2312(tools::themeDescription());
    if (!description) {
        std::fprintf(stderr, "make_theme: the description is not GB2312 text\n");
        return 1;
    }
    const std::vector<std::byte> pack =
        toolkit::writePack(*description, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));

    const QByteArray packBytes(reinterpret_cast<const char*>(pack.data()), static_cast<qsizetype>(pack.size()));
    if (!writeFile(dir + "/default_theme.png", png) ||
        !writeFile(dir + "/default_theme.xml", QByteArray::fromStdString(*description)) ||
        !writeFile(dir + "/default_theme.pack", packBytes) || !writeFile(dir + "/default_theme@2x.png", png2x) ||
        !verify(pack, png2x))
        return 1;
    if (previewAt >= 0 && !preview(atlas).save(args[previewAt + 1], "PNG")) {
        std::fprintf(stderr, "make_theme: cannot write the preview\n");
        return 1;
    }
    if (mockupAt >= 0 && !tools::paintMockup(*toolkit::ThemePack::load(pack)).save(args[mockupAt + 1], "PNG")) {
        std::fprintf(stderr, "make_theme: cannot write the mockup\n");
        return 1;
    }
    std::printf("make_theme: atlas %dx%d, PNG %lld bytes, pack %zu bytes; 2x atlas %dx%d, PNG %lld bytes\n",
                atlas.width(), atlas.height(), static_cast<long long>(png.size()), pack.size(), atlas2x.width(),
                atlas2x.height(), static_cast<long long>(png2x.size()));
    return 0;
}
