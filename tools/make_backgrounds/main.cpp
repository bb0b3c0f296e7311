// Writes the main window's background pictures and the program's icon:
//   make_backgrounds --out resources [--preview sheet.png]
// resources/backgrounds/background_N.jpg (N = 0..4, 380 x 415, JPEG quality 88) and
// resources/icon/vamu_icon.png (128 x 128, the program's own), and for the icon theme
// resources/icon/vamu_N.png (N = 16, 22, 24, 32, 48, 64, 256; 128 is vamu_icon.png) and vamu.svg.
#include "pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <cstdio>

namespace {

bool save(const QImage& image, const QString& path, const char* format, int quality) {
    QImageWriter writer(path, format);
    writer.setQuality(quality);
    if (writer.write(image)) return true;
    std::fprintf(stderr, "make_backgrounds: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

bool saveText(const QByteArray& text, const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size()) return true;
    std::fprintf(stderr, "make_backgrounds: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}

QString option(const QStringList& arguments, const QString& name) {
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString out = option(arguments, QStringLiteral("--out"));
    if (out.isEmpty()) {
        std::fprintf(stderr, "usage: make_backgrounds --out RESOURCES_DIR [--preview FILE]\n");
        return 2;
    }
    QDir root(out);
    if (!root.mkpath(QStringLiteral("backgrounds")) || !root.mkpath(QStringLiteral("icon"))) {
        std::fprintf(stderr, "make_backgrounds: cannot make folders in %s\n", qPrintable(out));
        return 1;
    }
    using namespace vamu::tools;
    QImage sheet(kBackgroundCount * (kBackgroundWidth + 10) + 138, kBackgroundHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter preview(&sheet);
    for (int i = 0; i < kBackgroundCount; ++i) {
        const QImage picture = drawBackground(i);
        if (!save(picture, root.filePath(QStringLiteral("backgrounds/background_%1.jpg").arg(i)), "jpeg", 88)) return 1;
        preview.drawImage(i * (kBackgroundWidth + 10), 0, picture);
    }
    const QImage icon = drawIcon();
    if (!save(icon, root.filePath(QStringLiteral("icon/vamu_icon.png")), "png", -1)) return 1;
    preview.drawImage(kBackgroundCount * (kBackgroundWidth + 10), 0, icon);
    for (const int size : kIconSizes) {
        if (size == icon.width()) continue;  // vamu_icon.png is that one
        if (!save(drawIcon(size), root.filePath(QStringLiteral("icon/vamu_%1.png").arg(size)), "png", -1)) return 1;
    }
    if (!saveText(iconSvg(), root.filePath(QStringLiteral("icon/vamu.svg")))) return 1;
    preview.end();
    if (const QString path = option(arguments, QStringLiteral("--preview")); !path.isEmpty()) {
        if (!save(sheet, path, "png", -1)) return 1;
    }
    return 0;
}
