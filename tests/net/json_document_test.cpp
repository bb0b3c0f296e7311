#include "net/json_document.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "net/json_path.h"

namespace vamu::net {
namespace {

constexpr std::string_view kReply = R"({
  "state": 1,
  "message": "ok",
  "result": {
    "data": [
      {"id": 12, "name": "歌曲", "score": 2.5, "flag": true, "none": null, "user": {"name": "u0"}},
      {"id": "13", "name": "b", "user": {"name": "u1"}}
    ],
    "empty": [],
    "obj": {"b": 2, "a": 1, "c": 3},
    "3": "member three",
    "text": "abc"
  },
  "big": 12345678901234567890,
  "neg": -7,
  "whole": 1.0,
  "tiny": 1e-7,
  "quote": "say \"hi\"\n"
})";

JsonDocument loaded(std::string_view text) {
    JsonDocument document;
    EXPECT_TRUE(document.load(text)) << text;
    return document;
}

TEST(JsonDocument, NewResetAndClearForms) {
    JsonDocument document;
    EXPECT_EQ(document.serialize(), "{}");
    document.reset(ResetKind::Null);
    EXPECT_EQ(document.serialize(), "null");
    document.reset(ResetKind::EmptyArray);
    EXPECT_EQ(document.serialize(), "[]");
    EXPECT_EQ(document.typeOf(""), JsonKind::Array);
    document.reset(ResetKind::EmptyObject);
    EXPECT_EQ(document.serialize(), "{}");
    document.reset(static_cast<ResetKind>(7));  // unknown kinds change nothing
    EXPECT_EQ(document.serialize(), "{}");
    ASSERT_TRUE(document.load("[1]"));
    document.clear();
    EXPECT_EQ(document.serialize(), "{}");
}

TEST(JsonDocument, LoadAcceptsStrictJsonOnly) {
    struct Case {
        std::string_view text;
        bool loads;
    };
    const std::string deepOk = std::string(500, '[') + std::string(500, ']');
    const std::string tooDeep = std::string(600, '[') + std::string(600, ']');
    const Case cases[] = {
        {"", false},
        {"   ", false},
        {"null", false},
        {"<html><body>502 Bad Gateway</body></html>", false},
        {"{\"state\":1", false},
        {"{'state':1}", false},           // script literal syntax is not JSON
        {"{\"a\":1 /* note */}", false},  // neither are comments
        {"{\"a\":1} trailing", false},
        {"{\"a\":\"\xff\"}", false},  // invalid UTF-8 inside a string
        {"0", true},
        {"false", true},
        {"\"text\"", true},
        {"[1,2]", true},
        {"\xEF\xBB\xBF{\"a\":1}", true},  // a UTF-8 byte order mark is skipped
        {deepOk, true},
        {tooDeep, false},
        {"[\"[[[[[[\"]", true},  // brackets inside strings do not nest
    };
    for (const Case& c : cases) {
        JsonDocument document;
        ASSERT_TRUE(document.load(R"({"old":1})"));
        EXPECT_EQ(document.load(c.text), c.loads) << c.text.substr(0, 40);
        if (!c.loads) {
            EXPECT_EQ(document.serialize(), "null") << "a failed load must leave null: " << c.text.substr(0, 40);
            EXPECT_EQ(document.getText("old"), "");
        }
    }
}

TEST(JsonDocument, GetTextForms) {
    const JsonDocument document = loaded(kReply);
    struct Case {
        std::string_view path;
        std::string_view plain;
        std::string_view json;
    };
    const Case cases[] = {
        {"state", "1", "1"},
        {"message", "ok", "\"ok\""},
        {"result.data[0].id", "12", "12"},
        {"result.data[1].id", "13", "\"13\""},
        {"result.data[0].name", "歌曲", "\"歌曲\""},
        {"result.data[0].score", "2.5", "2.5"},
        {"result.data[0].flag", "true", "true"},
        {"result.data[0].none", "", "null"},
        {"result.data[0].user.name", "u0", "\"u0\""},
        {"result.data[1].user.name", "u1", "\"u1\""},
        {"result.data[2].name", "", ""},  // one past the end
        {"result.data[5].name", "", ""},
        {"result.missing", "", ""},
        {"result.missing.deeper", "", ""},
        {"result.obj", R"({"a":1,"b":2,"c":3})", R"({"a":1,"b":2,"c":3})"},
        {"result.empty", "[]", "[]"},
        {"result[3]", "member three", "\"member three\""},  // an index on an object names a member
        {"result.text[0]", "", ""},
        {"big", "12345678901234567890", "12345678901234567890"},
        {"neg", "-7", "-7"},
        {"whole", "1", "1.0"},
        {"tiny", "1e-07", "1e-07"},
        {"quote", "say \"hi\"\n", R"("say \"hi\"\n")"},
        {"state.x", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(document.getText(c.path), c.plain) << c.path;
        EXPECT_EQ(document.getText(c.path, TextForm::Json), c.json) << c.path;
    }
    EXPECT_EQ(document.getMemberJson("result.data[0].user"), R"({"name":"u0"})");
}

TEST(JsonDocument, PathsThatStartWithAnIndexOrAreEmpty) {
    const JsonDocument array = loaded(R"([{"id":7},{"id":8}])");
    EXPECT_EQ(array.getText("[0].id"), "7");
    EXPECT_EQ(array.getText("[1].id"), "8");
    EXPECT_EQ(array.countMembers(""), 2);
    EXPECT_EQ(array.countMembers("[0]"), 1);
    EXPECT_EQ(array.getText("", TextForm::Json), R"([{"id":7},{"id":8}])");
    const JsonDocument text = loaded(R"("plain")");
    EXPECT_EQ(text.getText(""), "plain");
}

TEST(JsonDocument, MalformedPathsGiveNeutralValues) {
    JsonDocument document = loaded(R"({"a":{"b":[1,2]},"1a":5})");
    const std::string_view paths[] = {
        "a..b", "a.", ".a",  "a[",      "a.b[",    "a.b[]",  "a.b[x]",   "a.b[-1]", "a.b[1",
        "a]",   "1a", "a b", "a.b[0]x", "a.b[0]]", "a['b']", "a.b[1+0]", "a;b",     "a.b.length",
    };
    for (std::string_view path : paths) {
        EXPECT_EQ(document.getText(path), "") << path;
        EXPECT_EQ(document.countMembers(path), 0) << path;
        EXPECT_EQ(document.typeOf(path), JsonKind::Absent) << path;
        EXPECT_FALSE(document.hasMember(path)) << path;
        document.setMember(path, "x", ValueForm::Text);
        document.deleteMember(path);
        document.appendToArray("x", path, ValueForm::Text);
    }
    EXPECT_EQ(document.serialize(), R"({"1a":5,"a":{"b":[1,2]}})");
    EXPECT_EQ(document.getText("a.b[00001]"), "2");  // leading zeros are still a number
    EXPECT_EQ(document.getText("a.b[99999999999999999999999]"), "");
}

TEST(JsonDocument, CountMembersAndTypes) {
    const JsonDocument document = loaded(kReply);
    struct Case {
        std::string_view path;
        int count;
        JsonKind kind;
    };
    const Case cases[] = {
        {"result.data", 2, JsonKind::Array},
        {"result.obj", 3, JsonKind::Object},
        {"result.empty", 0, JsonKind::Array},
        {"result.missing", 0, JsonKind::Absent},
        {"result.missing.deeper", 0, JsonKind::Absent},
        {"result.data[0].none", 0, JsonKind::Absent},
        {"result.text", 0, JsonKind::String},
        {"state", 0, JsonKind::Number},
        {"result.data[0].flag", 0, JsonKind::Other},
        {"", 8, JsonKind::Object},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(document.countMembers(c.path), c.count) << c.path;
        EXPECT_EQ(document.typeOf(c.path), c.kind) << c.path;
    }
    JsonDocument twenty;
    std::string rows = R"({"result":{"data":[)";
    for (int i = 0; i < 20; ++i) {
        rows += (i ? ",{}" : "{}");
    }
    rows += "]}}";
    ASSERT_TRUE(twenty.load(rows));
    EXPECT_EQ(twenty.countMembers("result.data"), 20);
}

TEST(JsonDocument, HasMemberAndNumbers) {
    const JsonDocument document = loaded(R"({"n":12,"s":" 2.5 ","bad":"12abc","t":true,"z":null,"o":{}})");
    EXPECT_TRUE(document.hasMember("n"));
    EXPECT_TRUE(document.hasMember("o"));
    EXPECT_FALSE(document.hasMember("z"));
    EXPECT_FALSE(document.hasMember("missing"));
    EXPECT_DOUBLE_EQ(document.getNumber("n"), 12);
    EXPECT_DOUBLE_EQ(document.getNumber("s"), 2.5);
    EXPECT_DOUBLE_EQ(document.getNumber("bad"), 0);
    EXPECT_DOUBLE_EQ(document.getNumber("t"), 1);
    EXPECT_DOUBLE_EQ(document.getNumber("z"), 0);
    EXPECT_DOUBLE_EQ(document.getNumber("o"), 0);
    EXPECT_DOUBLE_EQ(document.getNumber("missing"), 0);
}

TEST(JsonDocument, MemberNamesListOwnMembersOnly) {
    const JsonDocument document = loaded(kReply);
    EXPECT_EQ(document.memberNames("result.obj"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(document.memberNames("result.data"), (std::vector<std::string>{"0", "1"}));
    EXPECT_TRUE(document.memberNames("result.text").empty());
    EXPECT_TRUE(document.memberNames("result.missing").empty());
    EXPECT_TRUE(document.memberNames("result.empty").empty());
}

TEST(JsonDocument, SetOperationsStoreValuesAsGiven) {
    JsonDocument document;
    const std::string awkward = "it's a \"quote\", a back\\slash,\nand a line";
    document.setMember("text", awkward, ValueForm::Text);
    document.setMember("object", "", ValueForm::Raw);
    document.setMember("object.inner", R"([1,"x"])", ValueForm::Raw);
    document.setMember("bad", "{not json", ValueForm::Raw);
    document.setMemberRaw("raw", "12");
    document.setMemberRaw("rawEmpty", "");
    document.setMemberNumber("number", 2.5);
    document.setMember("missing.child", "x", ValueForm::Text);  // no parent: nothing
    document.setMember("text.child", "x", ValueForm::Text);     // a string holds no members
    EXPECT_EQ(document.getText("text"), awkward);
    EXPECT_EQ(
        document.serialize(),
        R"({"number":2.5,"object":{"inner":[1,"x"]},"raw":12,"text":"it's a \"quote\", a back\\slash,\nand a line"})");
    JsonDocument reloaded;
    ASSERT_TRUE(reloaded.load(document.serialize()));
    EXPECT_EQ(reloaded.getText("text"), awkward);
}

TEST(JsonDocument, IndexWritesGrowArraysAndDeleteKeepsIndexes) {
    JsonDocument document = loaded(R"({"list":[1,2,3],"obj":{"a":1,"b":2}})");
    document.setMember("list[4]", "e", ValueForm::Text);
    EXPECT_EQ(document.getText("list", TextForm::Json), R"([1,2,3,null,"e"])");
    document.setMember("list.name", "x", ValueForm::Text);       // arrays hold no named members
    document.setMember("list[99999999]", "x", ValueForm::Text);  // refused, not allocated
    EXPECT_EQ(document.countMembers("list"), 5);
    document.deleteMember("list[1]");
    EXPECT_EQ(document.getText("list", TextForm::Json), R"([1,null,3,null,"e"])");
    document.deleteMember("obj.a");
    document.deleteMember("obj.missing");
    document.deleteMember("");
    EXPECT_EQ(document.getText("obj", TextForm::Json), R"({"b":2})");
    document.setMember("", "[7]", ValueForm::Raw);  // the empty path is the whole value
    EXPECT_EQ(document.serialize(), "[7]");
}

TEST(JsonDocument, AppendToArray) {
    struct Case {
        std::string_view start;
        std::string_view path;
        std::string_view value;
        ValueForm form;
        std::string_view result;
    };
    const Case cases[] = {
        {R"({"a":[1]})", "a", "x", ValueForm::Text, R"({"a":[1,"x"]})"},
        {R"({"a":[1]})", "a", "{\"k\":2}", ValueForm::Raw, R"({"a":[1,{"k":2}]})"},
        {R"({"a":{"k":1}})", "a", "x", ValueForm::Text, R"({"a":["x"]})"},
        {R"({"a":"text"})", "a", "5", ValueForm::Raw, R"({"a":[5]})"},
        {R"({"a":3})", "a", "", ValueForm::Raw, R"({"a":[]})"},
        {R"({"a":3})", "a", "oops", ValueForm::Raw, R"({"a":3})"},
        {R"({"a":null})", "a", "x", ValueForm::Text, R"({"a":null})"},
        {R"({"a":1})", "missing", "x", ValueForm::Text, R"({"a":1})"},
        {R"({"a":1})", "missing.deeper", "x", ValueForm::Text, R"({"a":1})"},
        {R"({"a":[[1]]})", "a[0]", "2", ValueForm::Raw, R"({"a":[[1,2]]})"},
        {R"({"a":1})", "", "x", ValueForm::Text, R"(["x"])"},
    };
    for (const Case& c : cases) {
        JsonDocument document = loaded(c.start);
        document.appendToArray(c.value, c.path, c.form);
        EXPECT_EQ(document.serialize(), c.result) << c.start << " " << c.path;
    }
}

TEST(JsonDocument, ElementOperationsOnTheWholeValue) {
    JsonDocument document = loaded(R"(["a","b","c"])");
    EXPECT_EQ(document.getElement(1, ""), "b");
    EXPECT_EQ(document.getElement(1, "", TextForm::Json), "\"b\"");
    EXPECT_EQ(document.getElement(3, ""), "");
    document.setElement(1, "B", ValueForm::Text);
    document.setElement(4, "{}", ValueForm::Raw);
    document.setElement(0, "{broken", ValueForm::Raw);
    EXPECT_EQ(document.serialize(), R"(["a","B","c",null,{}])");
    document.removeElement(0);
    document.removeElement(10);
    EXPECT_EQ(document.serialize(), R"(["B","c",null,{}])");

    JsonDocument object = loaded(R"({"list":[10,20]})");
    EXPECT_EQ(object.getElement(1, "list"), "20");
    object.setElement(2, "two", ValueForm::Text);  // an object takes the index as a member name
    object.removeElement(0);                       // not an array: nothing
    EXPECT_EQ(object.serialize(), R"({"2":"two","list":[10,20]})");
}

TEST(JsonDocument, SetRootAnswersTruthiness) {
    struct Case {
        std::string_view value;
        ValueForm form;
        bool truthy;
        std::string_view result;
    };
    const Case cases[] = {
        {"", ValueForm::Text, false, R"("")"},
        {"0", ValueForm::Text, true, R"("0")"},
        {"0", ValueForm::Raw, false, "0"},
        {"3", ValueForm::Raw, true, "3"},
        {"null", ValueForm::Raw, false, "null"},
        {"false", ValueForm::Raw, false, "false"},
        {"[]", ValueForm::Raw, true, "[]"},
        {"{}", ValueForm::Raw, true, "{}"},
        {"", ValueForm::Raw, false, R"({"keep":1})"},
        {"nope", ValueForm::Raw, false, R"({"keep":1})"},
    };
    for (const Case& c : cases) {
        JsonDocument document = loaded(R"({"keep":1})");
        EXPECT_EQ(document.setRoot(c.value, c.form), c.truthy) << c.value;
        EXPECT_EQ(document.serialize(), c.result) << c.value;
    }
}

TEST(JsonDocument, CopiesAndSubDocumentsAreIndependent) {
    JsonDocument document = loaded(kReply);
    JsonDocument user = document.getDocument("result.data[0].user");
    EXPECT_EQ(user.serialize(), R"({"name":"u0"})");
    user.setMember("name", "changed", ValueForm::Text);
    EXPECT_EQ(document.getText("result.data[0].user.name"), "u0");
    EXPECT_EQ(document.getDocument("result.missing").serialize(), "null");

    JsonDocument copy = document;
    copy.clear();
    EXPECT_EQ(document.getText("state"), "1");
    JsonDocument moved = std::move(document);
    EXPECT_EQ(moved.getText("state"), "1");
    EXPECT_EQ(document.serialize(), "null");  // NOLINT(bugprone-use-after-move): defined as null
    document.setMember("again", "1", ValueForm::Raw);
    EXPECT_EQ(document.serialize(), "null");  // a null value holds no members
    document.clear();
    EXPECT_EQ(document.serialize(), "{}");
}

TEST(JsonPath, StepsOfWellFormedPaths) {
    JsonPathReader reader("result.data[12].user_id");
    JsonPathStep step;
    std::vector<std::string> seen;
    while (reader.next(step)) {
        seen.push_back(step.kind == JsonPathStep::Kind::Member ? std::string(step.name)
                                                               : "#" + std::to_string(step.index));
    }
    EXPECT_FALSE(reader.malformed());
    EXPECT_EQ(seen, (std::vector<std::string>{"result", "data", "#12", "user_id"}));
    EXPECT_TRUE(isValidJsonPath(""));
    EXPECT_TRUE(isValidJsonPath("[0][1].$a.名字"));
    EXPECT_FALSE(isValidJsonPath("a.[0]"));
}

}  // namespace
}  // namespace vamu::net
