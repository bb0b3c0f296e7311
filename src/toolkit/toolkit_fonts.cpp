#include "toolkit/toolkit_fonts.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace vamu::toolkit {

namespace {

// Faces that set Chinese well, most alike to the default face first.
const QStringList kPreferredChineseFaces = {
    QStringLiteral("SimSun"),
    QStringLiteral("NSimSun"),
    QStringLiteral("Noto Serif CJK SC"),
    QStringLiteral("AR PL UMing CN"),
    QStringLiteral("WenQuanYi Micro Hei"),
    QStringLiteral("Noto Sans CJK SC"),
    QStringLiteral("Source Han Sans SC"),
    QStringLiteral("WenQuanYi Zen Hei"),
};

bool showsChinese(const QString& family) {
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese);
}

}  // namespace

QString chooseDefaultFontFace(const FontCatalogue& catalogue) {
    const QString wanted = QString::fromUtf8(kDefaultFontFace);
    if (catalogue.isInstalled(wanted)) return wanted;
    if (const QString substitute = catalogue.substitute(wanted);
        !substitute.isEmpty() && catalogue.showsChinese(substitute))
        return substitute;
    const QString& caption = catalogue.captionFace;
    if (!caption.isEmpty() && caption.compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) != 0 &&
        catalogue.isInstalled(caption) && catalogue.showsChinese(caption))
        return caption;
    if (!catalogue.chineseFaces.isEmpty()) return catalogue.chineseFaces.front();
    return catalogue.generalFace;
}

FontCatalogue systemFontCatalogue() {
    FontCatalogue catalogue;
    catalogue.isInstalled = [](const QString& family) { return QFontDatabase::hasFamily(family); };
    catalogue.substitute = [](const QString& family) {
        QFont probe(family);
        return QFontInfo(probe).family();
    };
    catalogue.showsChinese = showsChinese;
    catalogue.captionFace = systemFontFace(SystemFontKind::Caption);
    const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& face : kPreferredChineseFaces) {
        if (installed.contains(face)) catalogue.chineseFaces.append(face);
    }
    for (const QString& face : installed) {
        if (!catalogue.chineseFaces.contains(face) && !QFontDatabase::isPrivateFamily(face))
            catalogue.chineseFaces.append(face);
    }
    catalogue.generalFace = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    return catalogue;
}

QString systemFontFace(SystemFontKind kind) {
    // Menus and message texts use the general face on the desktops Qt knows.
    const auto which = kind == SystemFontKind::Caption ? QFontDatabase::TitleFont : QFontDatabase::GeneralFont;
    return QFontDatabase::systemFont(which).family();
}

QFont defaultFont() {
    QFont font(chooseDefaultFontFace(systemFontCatalogue()));
    font.setPixelSize(kDefaultFontPixelSize);
    font.setStyle(QFont::StyleNormal);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace vamu::toolkit
