#include "theme_table.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vamu::tools {

namespace {

std::vector<ThemeAttribute> editAttributes() {
    return {{"normal", "220,70,20,26"},
            {"highlight", "240,70,20,26"},
            {"focus", "240,70,20,26"},
            {"margin", "3,3,-3,-3"},
            {"gird", "3,4,13,19"}};
}

std::vector<ThemeAttribute> comboAttributes() {
    std::vector<ThemeAttribute> attributes = editAttributes();
    attributes.insert(attributes.end(), {{"normal_btn", "113,90,23,24"},
                                         {"highlight_btn", "136,90,23,24"},
                                         {"down_btn", "136,90,23,24"},
                                         {"gird_btn", "6,9,11,7"},
                                         {"margin_btn", "0,1,-1,-2"},
                                         {"spin_up", "165,95,11,6"},
                                         {"spin_down", "165,103,11,7"}});
    return attributes;
}

std::vector<ThemeAttribute> windowShadowAttributes() {
    return {{"rect", "75,95,30,18"},
            {"gird", "9,8,12,2"},
            {"margin", "4,3,-4,-5"},
            {"rectround", "3"},
            {"crborder", "1358954496,872415231"},
            {"cycaption", "26"}};
}

std::vector<ThemeAttribute> captionButton(std::string_view size, std::string_view normal, std::string_view highlight,
                                          std::string_view down) {
    return {{"size", size}, {"normal", normal}, {"highlight", highlight}, {"down", down}};
}

std::vector<ThemeElement> buildElements() {
    return {
        {"SysShadow.HostWnd", windowShadowAttributes()},
        {"SysShadow.SubWnd", windowShadowAttributes()},
        {"SysShadow.Menu",
         {{"rect", "205,90,13,13"},
          {"gird", "6,6,1,1"},
          {"margin", "3,3,-3,-3"},
          {"left_cutline", "2"},
          {"right_cutline", "-2"},
          {"left_icon", "5"},
          {"left_text", "30"},
          {"checkrect", "205,105,15,10"}}},
        {"SysButton", {{"top", "0"}, {"offsetright", "-1"}}},
        {"SysButton.Close", captionButton("0,0,39,19", "0,1,39,19", "40,1,39,19", "80,1,39,19")},
        {"SysButton.Max", captionButton("0,0,28,19", "120,1,28,19", "149,1,28,19", "178,1,28,19")},
        {"SysButton.Restore", captionButton("0,0,28,19", "207,1,28,19", "236,1,28,19", "265,1,28,19")},
        {"SysButton.Min", captionButton("0,0,28,19", "294,1,28,19", "323,1,28,19", "352,1,28,19")},
        {"SysButton.Menu", captionButton("0,0,28,19", "0,21,28,19", "29,21,28,19", "58,21,28,19")},
        {"SysButton.Skn", captionButton("0,0,28,19", "87,21,28,19", "116,21,28,19", "145,21,28,19")},
        {"SysButton.Report", captionButton("0,0,28,19", "174,21,28,19", "203,21,28,19", "232,21,28,19")},
        {"SysButton.Setting", captionButton("0,0,28,19", "261,21,28,19", "290,21,28,19", "319,21,28,19")},
        {"Button",
         {{"normal", "0,42,69,24"},
          {"highlight", "69,42,69,24"},
          {"down", "138,42,69,24"},
          {"focus", "207,42,69,24"},
          {"gird", "4,3,61,16"},
          {"margin", "3,3,-3,-5"}}},
        {"CheckButton",
         {{"size", "0,0,17,17"},
          {"normal", "0,70,17,17"},
          {"highlight", "17,70,17,17"},
          {"down", "34,70,17,17"},
          {"normal_ck", "54,70,17,17"},
          {"highlight_ck", "71,70,17,17"},
          {"down_ck", "88,70,17,17"},
          {"filltype", "2"}}},
        {"RadioButton",
         {{"size", "0,0,17,17"},
          {"normal", "110,70,17,17"},
          {"highlight", "127,70,17,17"},
          {"down", "144,70,17,17"},
          {"normal_ck", "165,70,17,17"},
          {"highlight_ck", "182,70,17,17"},
          {"down_ck", "199,70,17,17"},
          {"filltype", "2"}}},
        {"Edit", editAttributes()},
        {"ComboBox", comboAttributes()},
        {"ScrollBar",
         {{"v_bg", "325,43,8,60"},
          {"v_bg_gird", "3,3,2,54"},
          {"v_normal", "335,63,8,40"},
          {"v_highlight", "345,63,8,40"},
          {"v_down", "355,63,8,40"},
          {"v_gird", "3,3,2,34"},
          {"v_up_normal", "339,40,10,9"},
          {"v_up_highlight", "351,40,10,9"},
          {"v_up_down", "363,40,10,9"},
          {"v_down_normal", "339,50,10,9"},
          {"v_down_highlight", "351,50,10,9"},
          {"v_down_down", "363,50,10,9"},
          {"h_bg", "285,43,32,8"},
          {"h_bg_gird", "3,3,26,2"},
          {"h_normal", "285,53,32,8"},
          {"h_highlight", "285,63,32,8"},
          {"h_down", "285,73,32,8"},
          {"h_gird", "3,3,26,2"},
          {"h_left_normal", "286,86,9,10"},
          {"h_left_highlight", "295,86,9,10"},
          {"h_left_down", "305,86,9,10"},
          {"h_right_normal", "285,100,9,10"},
          {"h_right_highlight", "295,100,9,10"},
          {"h_right_down", "305,100,9,10"}}},
        {"MsgBox",
         {{"rect", "390,0,2,160"},
          {"blocksize", "0,0,96,31"},
          {"barheight", "36"},
          {"m16", "5,120,38,38"},
          {"m48", "44,120,38,38"},
          {"m32", "84,120,38,38"},
          {"m64", "124,120,38,38"},
          {"m128", "164,120,38,38"},
          {"iconsize", "0,0,38,38"}}},
        {"UpDown",
         {{"normal", "9,90,7,12"},
          {"highlight", "17,90,7,12"},
          {"down", "25,90,7,12"},
          {"gird", "3,3,1,6"},
          {"spin_up", "0,90,9,6"},
          {"spin_down", "0,96,9,6"}}},
    };
}

[[noreturn]] void missing(std::string_view element, std::string_view attribute) {
    std::fprintf(stderr, "make_theme: no rectangle %.*s.%.*s\n", static_cast<int>(element.size()), element.data(),
                 static_cast<int>(attribute.size()), attribute.data());
    std::abort();
}

}  // namespace

const std::vector<ThemeElement>& themeElements() {
    static const std::vector<ThemeElement> elements = buildElements();
    return elements;
}

QRect themeRect(std::string_view element, std::string_view attribute) {
    for (const ThemeElement& e : themeElements()) {
        if (e.name != element) continue;
        for (const ThemeAttribute& a : e.attributes) {
            int x = 0, y = 0, w = 0, h = 0;
            if (a.name == attribute && std::sscanf(std::string(a.value).c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) == 4)
                return QRect(x, y, w, h);
        }
    }
    missing(element, attribute);
}

std::string themeDescription() {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n"
        "<Qd_DirectUI_ThemesPack ThemesName=\"vamu 清爽\" Author=\"vamu\" Url=\"\">\n";
    for (const ThemeElement& element : themeElements()) {
        xml.append("  <common name=\"").append(element.name).append("\"");
        for (const ThemeAttribute& attribute : element.attributes)
            xml.append(" ").append(attribute.name).append("=\"").append(attribute.value).append("\"");
        xml.append("/>\n");
    }
    xml.append("</Qd_DirectUI_ThemesPack>\n");
    return xml;
}

}  // namespace vamu::tools
