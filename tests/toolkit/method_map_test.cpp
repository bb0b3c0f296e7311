#include "toolkit/method_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vamu::toolkit {
namespace {

std::span<const std::byte> bytesOf(std::string_view text) { return std::as_bytes(std::span(text.data(), text.size())); }

std::optional<MethodMap> parseText(std::string_view text) { return MethodMap::parse(bytesOf(text)); }

struct ExpectedClass {
    const char* name;
    const char* base;
    std::optional<int> count;
    std::vector<std::pair<int, const char*>> methods;
};

const std::vector<ExpectedClass> kBuiltinClasses = {
    {"EventControl", "", 15, {}},
    {"BaseControl",
     "EventControl",
     75,
     {{24, "TabStopIndex"},
      {35, "Tips"},
      {36, "Flags"},
      {41, "Alp"},
      {43, "AlpHitTest"},
      {44, "AnimationFramesAndTimer"},
      {47, "AnimationType"},
      {48, "Disable"},
      {54, "DropDrag"},
      {56, "LockPos"},
      {57, "FontName"},
      {58, "FontNameW"},
      {59, "FontStyle"},
      {60, "FontSize"}}},
    {"Label",
     "BaseControl",
     std::nullopt,
     {{4, "Text"},
      {5, "TextW"},
      {6, "crText"},
      {7, "crShadow"},
      {8, "crBackground1"},
      {9, "crBackground2"},
      {10, "LineType"},
      {11, "HorzAlignMode"},
      {12, "VertAlignMode"},
      {13, "AutoCutLine"},
      {14, "TextEffect"},
      {15, "crBorder"},
      {16, "AutoSetColor"}}},
    {"ImageBox",
     "BaseControl",
     std::nullopt,
     {{6, "Image"}, {7, "Play"}, {8, "crBackground"}, {9, "crBorder"}, {10, "Filltype"}, {11, "Gird"}}},
    {"Button",
     "BaseControl",
     std::nullopt,
     {{3, "Text"},
      {4, "TextW"},
      {5, "crText"},
      {6, "TextEffect"},
      {7, "crShadow"},
      {9, "Icon"},
      {10, "IconFlag"},
      {11, "OffsetX"},
      {12, "OffsetY"},
      {13, "Splitter"}}},
    {"Link",
     "Label",
     std::nullopt,
     {{22, "LinkAddress"}, {23, "LinkType"}, {24, "crNormal"}, {25, "crHighlight"}, {26, "crVisited"}}},
    {"ImageButton",
     "Button",
     std::nullopt,
     {{18, "ImgNormal"},
      {19, "ImgHighlight"},
      {20, "ImgDown"},
      {21, "ImgFocus"},
      {22, "ImgDisable"},
      {23, "FiilType"},
      {24, "Gird"}}},
    {"Edit",
     "BaseControl",
     std::nullopt,
     {{47, "Scroll"},
      {42, "HideSel"},
      {43, "Align"},
      {44, "InputType"},
      {45, "PasswordChar"},
      {46, "Multiline"},
      {48, "LimitLen"},
      {49, "Caret"},
      {50, "Text"},
      {51, "TextW"},
      {52, "SelText"},
      {53, "crText"},
      {54, "crTextSel"},
      {55, "crBorder"},
      {56, "crBackground"},
      {57, "crBackgroundSel"},
      {58, "bRich"}}},
    {"CheckButton", "Button", std::nullopt, {{18, "Check"}}},
    {"RadioButton", "Button", std::nullopt, {{19, "Check"}, {20, "CheckIndex"}}},
    {"Progress", "BaseControl", std::nullopt, {{2, "Pos"}, {3, "crP1"}, {4, "crP2"}, {5, "crBackground"}}},
    {"ComboBox", "BaseControl", std::nullopt, {{12, "Text"}, {13, "TextW"}, {14, "crText"}, {15, "EditMode"}}},
    {"GroupBox",
     "BaseControl",
     std::nullopt,
     {{4, "Text"},
      {5, "TextW"},
      {6, "crText"},
      {7, "crShadow"},
      {8, "crBackground"},
      {9, "Align"},
      {10, "TextEffect"},
      {11, "crBorder"},
      {12, "szBorder"},
      {13, "rdBorder"}}},
    {"ScrollBar",
     "BaseControl",
     std::nullopt,
     {{11, "Pos"},
      {12, "MinPos"},
      {13, "MaxPos"},
      {14, "PageChange"},
      {15, "LineChange"},
      {16, "TrackEvent"},
      {17, "bFlags"},
      {18, "hFlags"},
      {19, "ViewPos"}}},
    {"ImageListButton",
     "Button",
     std::nullopt,
     {{18, "Image"}, {19, "ImageCount"}, {20, "BlockSize"}, {21, "FillType"}, {22, "Gird"}}},
    {"ThunderButton", "Button", std::nullopt, {}},
    {"Page", "BaseControl", std::nullopt, {}},
};

const MethodMap& builtinMethods() {
    const MethodMap* map = builtinMethodMap();
    if (!map) throw std::runtime_error("the built-in method map does not parse");
    return *map;
}

TEST(BuiltinMethodMap, HoldsExactlyTheClassesAndMethods) {
    const MethodMap& map = builtinMethods();
    ASSERT_EQ(map.classes().size(), kBuiltinClasses.size());
    for (std::size_t c = 0; c < kBuiltinClasses.size(); ++c) {
        const ExpectedClass& expected = kBuiltinClasses[c];
        const ClassInfo& actual = map.classes()[c];
        EXPECT_EQ(actual.name, expected.name);
        EXPECT_EQ(actual.baseClass, expected.base) << expected.name;
        EXPECT_EQ(actual.slotCount, expected.count) << expected.name;
        ASSERT_EQ(actual.methods.size(), expected.methods.size()) << expected.name;
        for (std::size_t m = 0; m < expected.methods.size(); ++m) {
            EXPECT_EQ(actual.methods[m].index, expected.methods[m].first) << expected.name;
            EXPECT_EQ(actual.methods[m].name, expected.methods[m].second) << expected.name;
        }
    }
}

TEST(BuiltinMethodMap, OnlyEditScrollIsAppliedBeforeCreation) {
    int before = 0;
    for (const ClassInfo& info : builtinMethods().classes())
        for (const MethodInfo& method : info.methods) before += method.applyTime == ApplyTime::BeforeCreation ? 1 : 0;
    EXPECT_EQ(before, 1);
    const MethodInfo* scroll = builtinMethods().findMethod("Edit", "Scroll");
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->applyTime, ApplyTime::BeforeCreation);
}

TEST(BuiltinMethodMap, LooksUpThroughBaseClasses) {
    const MethodMap& map = builtinMethods();
    struct Case {
        const char* className;
        const char* method;
        int index;  // -1: not found
        const char* owner;
    };
    const Case cases[] = {
        {"CheckButton", "Check", 18, "CheckButton"},
        {"CheckButton", "Text", 3, "Button"},         // from the base class
        {"Link", "TabStopIndex", 24, "BaseControl"},  // two levels up
        {"Link", "Text", 4, "Label"},
        {"RADIOBUTTON", "checkindex", 20, "RadioButton"},  // any case
        {"ThunderButton", "Splitter", 13, "Button"},
        {"Page", "Text", -1, ""},
        {"EventControl", "Tips", -1, ""},
        {"NoSuchClass", "Text", -1, ""},
    };
    for (const Case& c : cases) {
        const MethodInfo* method = map.findMethod(c.className, c.method);
        if (c.index < 0) {
            EXPECT_EQ(method, nullptr) << c.className << "." << c.method;
            continue;
        }
        ASSERT_NE(method, nullptr) << c.className << "." << c.method;
        EXPECT_EQ(method->index, c.index) << c.className << "." << c.method;
        EXPECT_EQ(map.findMethodAt(c.owner, c.index), method) << c.className << "." << c.method;
    }
    EXPECT_EQ(map.findMethodAt("Edit", 47)->name, "Scroll");
    EXPECT_EQ(map.findMethodAt("CheckButton", 3), nullptr) << "slots are the class's own";

    std::vector<std::string> chain;
    for (const ClassInfo* info : map.lineage("ImageButton")) chain.push_back(info->name);
    EXPECT_EQ(chain, (std::vector<std::string>{"ImageButton", "Button", "BaseControl", "EventControl"}));
    EXPECT_TRUE(map.lineage("NoSuchClass").empty());
}

TEST(BuiltinMethodMap, ArgumentTypes) {
    const MethodMap& map = builtinMethods();
    const MethodInfo* pos = map.findMethod("ScrollBar", "Pos");
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->arguments,
              (std::vector<MethodArgument>{{ArgumentType::Int32, false}, {ArgumentType::Boolean, true}}));
    EXPECT_EQ(map.findMethod("Label", "Text")->arguments, (std::vector<MethodArgument>{{ArgumentType::Text, false}}));
    EXPECT_EQ(map.findMethod("BaseControl", "FontSize")->arguments,
              (std::vector<MethodArgument>{{ArgumentType::Float, false}}));
}

TEST(MethodMapTypes, ParsesTypeLists) {
    using enum ArgumentType;
    const struct {
        const char* text;
        std::optional<std::vector<MethodArgument>> expected;
    } cases[] = {
        {"", std::vector<MethodArgument>{}},
        {"@3", std::vector<MethodArgument>{{Int32, false}}},
        {"@3@7#", std::vector<MethodArgument>{{Int32, false}, {Boolean, true}}},
        {"@11#@1", std::vector<MethodArgument>{{ByteString, true}, {Byte, false}}},
        {"@10@10@10", std::vector<MethodArgument>{{Text, false}, {Text, false}, {Text, false}}},
        {"3", std::nullopt},
        {"@", std::nullopt},
        {"@0", std::nullopt},
        {"@12", std::nullopt},
        {"@-3", std::nullopt},
        {"@3#@", std::nullopt},
        {"@3##", std::nullopt},
        {"@a", std::nullopt},
        {"@3 ", std::nullopt},
        {"#@3", std::nullopt},
        {"@99999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseArgumentTypes(c.text), c.expected) << '"' << c.text << '"';
}

TEST(MethodMapParse, RefusesMalformedMaps) {
    const std::string valid = R"(<Qd_DirectUI_MapData>
        <Class Name="A" Count="3"><Method Index="1" Name="X" Type="@3"/></Class>
        <Class Name="B" BaseClass="A"><Method Index="1" Name="Y" Type="@10#" Call="1"/></Class>
        </Qd_DirectUI_MapData>)";
    const auto map = parseText(valid);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->findMethod("B", "X")->index, 1);
    EXPECT_EQ(map->findMethod("b", "y")->applyTime, ApplyTime::BeforeCreation);

    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"not XML", "<Qd_DirectUI_MapData><Class"},
        {"wrong root", "<MapData><Class Name=\"A\"/></MapData>"},
        {"class without a name", "<Qd_DirectUI_MapData><Class/></Qd_DirectUI_MapData>"},
        {"class named twice", "<Qd_DirectUI_MapData><Class Name=\"A\"/><Class Name=\"a\"/></Qd_DirectUI_MapData>"},
        {"unknown base", "<Qd_DirectUI_MapData><Class Name=\"A\" BaseClass=\"Z\"/></Qd_DirectUI_MapData>"},
        {"base of itself", "<Qd_DirectUI_MapData><Class Name=\"A\" BaseClass=\"A\"/></Qd_DirectUI_MapData>"},
        {"bases in a loop",
         "<Qd_DirectUI_MapData><Class Name=\"A\" BaseClass=\"C\"/><Class Name=\"B\" BaseClass=\"A\"/>"
         "<Class Name=\"C\" BaseClass=\"B\"/></Qd_DirectUI_MapData>"},
        {"bad count", "<Qd_DirectUI_MapData><Class Name=\"A\" Count=\"many\"/></Qd_DirectUI_MapData>"},
        {"method without index",
         "<Qd_DirectUI_MapData><Class Name=\"A\"><Method Name=\"X\" Type=\"@3\"/></Class></Qd_DirectUI_MapData>"},
        {"negative index",
         "<Qd_DirectUI_MapData><Class Name=\"A\"><Method Index=\"-1\" Name=\"X\"/></Class></Qd_DirectUI_MapData>"},
        {"method without name",
         "<Qd_DirectUI_MapData><Class Name=\"A\"><Method Index=\"1\" Type=\"@3\"/></Class></Qd_DirectUI_MapData>"},
        {"index used twice",
         "<Qd_DirectUI_MapData><Class Name=\"A\"><Method Index=\"1\" Name=\"X\"/><Method Index=\"1\" Name=\"Y\"/>"
         "</Class></Qd_DirectUI_MapData>"},
        {"name used twice",
         "<Qd_DirectUI_MapData><Class Name=\"A\"><Method Index=\"1\" Name=\"X\"/><Method Index=\"2\" Name=\"x\"/>"
         "</Class></Qd_DirectUI_MapData>"},
        {"bad type",
         "<Qd_DirectUI_MapData><Class Name=\"A\"><Method Index=\"1\" Name=\"X\" Type=\"int\"/></Class>"
         "</Qd_DirectUI_MapData>"},
        {"not GB text", "<Qd_DirectUI_MapData><Class Name=\"\xFF\xFF\"/></Qd_DirectUI_MapData>"},
    };
    for (const auto& c : cases) EXPECT_EQ(parseText(c.text), std::nullopt) << c.name;
}

TEST(MethodMapParse, ReadsGbText) {
    // "类" in GB2312: names are decoded, not taken as raw bytes.
    const auto map = parseText(
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>"
        "<Qd_DirectUI_MapData><Class Name=\"\xC0\xE0\"/></Qd_DirectUI_MapData>");
    ASSERT_TRUE(map);
    EXPECT_NE(map->findClass("类"), nullptr);
}

}  // namespace
}  // namespace vamu::toolkit
