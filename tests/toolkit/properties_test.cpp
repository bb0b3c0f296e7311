// Properties by name through the method map.
#include "toolkit/test_support.h"

#include "toolkit/controls/button.h"
#include "toolkit/controls/check_button.h"
#include "toolkit/controls/group_box.h"
#include "toolkit/controls/image_box.h"
#include "toolkit/controls/image_button.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/link.h"
#include "toolkit/controls/new_obj.h"
#include "toolkit/controls/page.h"
#include "toolkit/controls/sys_button.h"
#include "toolkit/controls/thunder_button.h"
#include "toolkit/method_map.h"

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

// A value of the argument's type that every property of that type keeps as given.
PropertyValue sample(const MethodInfo& method, ArgumentType type) {
    switch (type) {
    case ArgumentType::Boolean:
        return 1LL;
    case ArgumentType::Float:
    case ArgumentType::Double:
        return 15.0;
    case ArgumentType::Text:
        return QStringLiteral("abc");
    case ArgumentType::ByteString:
        return method.name.ends_with('W') ? utf16Bytes(QStringLiteral("abc")) : solidPng(QSize(4, 4), 0xFFFF0000);
    default:
        return 3LL;
    }
}

TEST(Properties, EveryMethodOfTheMapIsSettableAndReadableByName) {
    TestHost t;
    const std::vector<BaseControl*> controls{
        Label::create(t.host(), QRect(0, 0, 50, 20)),
        Link::create(t.host(), QRect(0, 0, 50, 20)),
        Button::create(t.host(), QRect(0, 0, 50, 20)),
        CheckButton::create(t.host(), QRect(0, 0, 50, 20)),
        RadioButton::create(t.host(), QRect(0, 0, 50, 20)),
        ImageButton::create(t.host(), QRect(0, 0, 50, 20)),
        ImageListButton::create(t.host(), QRect(0, 0, 50, 20)),
        ThunderButton::create(t.host(), QRect(0, 0, 50, 20)),
        ImageBox::create(t.host(), QRect(0, 0, 50, 20)),
        GroupBox::create(t.host(), QRect(0, 0, 50, 20)),
        Page::create(t.host(), QRect(0, 0, 50, 20)),
        SysButton::create(t.host(), caption::kMenu),
        NewObj::create(t.host(), QRect(0, 0, 50, 20)),
    };
    const MethodMap* map = builtinMethodMap();
    ASSERT_NE(map, nullptr);
    for (BaseControl* control : controls) {
        ASSERT_NE(control, nullptr);
        auto lineage = map->lineage(control->className());
        if (lineage.empty()) lineage = map->lineage("BaseControl");
        int methods = 0;
        for (const ClassInfo* info : lineage) {
            for (const MethodInfo& method : info->methods) {
                PropertyValues values;
                for (const MethodArgument& argument : method.arguments) values.push_back(sample(method, argument.type));
                EXPECT_TRUE(setProperty(*control, method.name, values)) << control->className() << "." << method.name;
                EXPECT_EQ(getProperty(*control, method.name), values) << control->className() << "." << method.name;
                ++methods;
            }
        }
        EXPECT_GE(methods, 14) << control->className();
    }
}

TEST(Properties, NamesMustBelongToTheClassAndValuesMustConvert) {
    TestHost t;
    Label* label = Label::create(t.host(), QRect(0, 0, 50, 20));
    Button* button = Button::create(t.host(), QRect(0, 0, 50, 20));
    ImageBox* box = ImageBox::create(t.host(), QRect(0, 0, 50, 20));
    EXPECT_FALSE(setProperty(*label, "IconFlag", {1LL}));  // a button's
    EXPECT_FALSE(setProperty(*button, "Nope", {1LL}));
    EXPECT_FALSE(getProperty(*button, "Nope").has_value());
    EXPECT_FALSE(setProperty(*button, "IconFlag", {}));  // missing argument
    EXPECT_FALSE(setProperty(*button, "IconFlag", {QStringLiteral("four")}));
    EXPECT_EQ(button->iconFlag(), 0);
    EXPECT_TRUE(setProperty(*button, "iconflag", {2LL}));  // names match without regard to case
    EXPECT_EQ(button->iconFlag(), 2);
    EXPECT_TRUE(setPropertyFromText(*button, "crText", "0xFF102030"));
    EXPECT_EQ(button->textColour(), 0xFF102030u);
    EXPECT_TRUE(setPropertyFromText(*button, "crText", "-16777216"));  // signed int32 as stored
    EXPECT_EQ(button->textColour(), 0xFF000000u);
    EXPECT_TRUE(setPropertyFromText(*label, "Text", "a,b,c"));  // text takes the rest
    EXPECT_EQ(label->text(), QStringLiteral("a,b,c"));
    EXPECT_TRUE(setPropertyFromText(*box, "Gird", "1,2,3,4"));
    EXPECT_EQ(getProperty(*box, "Gird"), (PropertyValues{1LL, 2LL, 3LL, 4LL}));
    EXPECT_FALSE(setPropertyFromText(*box, "Gird", "1,2,3"));
    EXPECT_TRUE(setProperty(*label, "AnimationFramesAndTimer", {6LL}));  // the interval may be left out
    EXPECT_EQ(label->animationFrames(), 6);
    EXPECT_TRUE(setProperty(*label, "TextW", {utf16Bytes(QStringLiteral("宽字"))}));
    EXPECT_EQ(label->text(), QStringLiteral("宽字"));
    EXPECT_TRUE(setProperty(*label, "Alp", {128.7}));
    EXPECT_EQ(label->alpha(), 128);
}

}  // namespace
}  // namespace vamu::toolkit::test
