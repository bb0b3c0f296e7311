// The main window as a screen reader reads it: every control on screen that a user
// acts on carries a name, and the window lists its controls under its title.
#include "program_fixture.h"

#include "toolkit/accessibility.h"

#include <QAccessible>

#include <gtest/gtest.h>

namespace vamu::test {
namespace {

bool needsName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Link:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::Slider:
    case QAccessible::ScrollBar:
    case QAccessible::ComboBox:
        return true;
    default:
        return false;
    }
}

void collect(QAccessibleInterface* node, const QString& path, QStringList& unnamed, int& named) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child || child->state().invisible) continue;
        const QString here = path + "/" + QString::number(i);
        if (needsName(child->role())) {
            if (child->text(QAccessible::Name).trimmed().isEmpty()) {
                unnamed << QStringLiteral("%1 role %2 at %3,%4 %5x%6")
                               .arg(here)
                               .arg(child->role())
                               .arg(child->rect().x())
                               .arg(child->rect().y())
                               .arg(child->rect().width())
                               .arg(child->rect().height());
            } else {
                ++named;
            }
        }
        collect(child, here, unnamed, named);
    }
}

class ProgramAccessibility : public ProgramFixture {};

TEST_F(ProgramAccessibility, EveryControlOnScreenAUserActsOnHasAName) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    QAccessibleInterface* root = toolkit::accessibility::interfaceFor(host());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->role(), QAccessible::Window);
    EXPECT_EQ(root->text(QAccessible::Name), host().title());
    QStringList unnamed;
    int named = 0;
    collect(root, QStringLiteral("main"), unnamed, named);
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join('\n').toStdString();
    EXPECT_GT(named, 5);
}

}  // namespace
}  // namespace vamu::test
