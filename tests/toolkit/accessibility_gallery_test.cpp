// The gallery's pages read as a screen reader reads them: every control a user acts
// on has a name and a role of its kind, so nothing on a page is a nameless "button".
#include "toolkit/test_support.h"

#include "gallery_pages.h"
#include "toolkit/accessibility.h"

#include <QAccessible>

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

bool needsName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Link:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::ListItem:
    case QAccessible::Slider:
    case QAccessible::ComboBox:
    case QAccessible::MenuItem:
        return true;
    default:
        return false;
    }
}

void collectUnnamed(QAccessibleInterface* node, const QString& path, QStringList& unnamed, int& named) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || child->state().invisible) continue;
        const QString here = path + "/" + QString::number(i);
        if (needsName(child->role())) {
            if (child->text(QAccessible::Name).trimmed().isEmpty()) {
                unnamed << QStringLiteral("%1 role %2 at %3")
                               .arg(here)
                               .arg(child->role())
                               .arg(QStringLiteral("%1,%2").arg(child->rect().x()).arg(child->rect().y()));
            } else {
                ++named;
            }
        }
        collectUnnamed(child, here, unnamed, named);
    }
}

TEST(GalleryAccessibility, EveryControlAUserActsOnHasAName) {
    for (const gallery::PageSetup& page : gallery::pages()) {
        SCOPED_TRACE(std::string(page.name));
        const auto window = gallery::makePageWindow(page, QPoint(40, 40));
        ASSERT_NE(window, nullptr);
        window->show();
        pump();
        QAccessibleInterface* root = accessibility::interfaceFor(*window);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->text(QAccessible::Name), page.title);
        QStringList unnamed;
        int named = 0;
        collectUnnamed(root, QString::fromUtf8(page.name.data(), static_cast<qsizetype>(page.name.size())), unnamed,
                       named);
        EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join('\n').toStdString();
        EXPECT_GT(named, 2);
        window->destroyWindow();
        pump();
    }
}

}  // namespace
}  // namespace vamu::toolkit::test
