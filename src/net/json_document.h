#pragma once
// One parsed JSON value, as a rule a reply of the music service, read and changed by path
// (syntax in json_path.h: "result.data[3].name", "[0].id", "" for the whole value).
//
// No operation reports an error of its own: a missing member, a malformed path, an index
// past the end or a value of the wrong kind gives the neutral result (empty text, 0, false,
// JsonKind::Absent) and leaves the document unchanged. Reply text is parsed as strict JSON,
// never executed.
//
// A document is a plain value that shares nothing with other documents: copy or move it
// freely; any thread may use a document it owns. A moved-from document holds null.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vamu::net {

// How a value is turned into text.
enum class TextForm {
    Plain,  // strings as they are; numbers "1", "2.5"; "true"/"false"; objects and arrays as JSON;
            // null and missing values as ""
    Json,   // the value's JSON text ("\"abc\"", "null"); missing values as ""
};

// How a value handed in is to be taken.
enum class ValueForm {
    Text,  // stored as a JSON string, exactly as given
    Raw,   // JSON source text ("12", "[1,2]", "{\"a\":1}"); text that does not parse changes nothing
};

// Codes of typeOf. Arrays are 4 and objects 5 here, the other way round from ResetKind.
enum class JsonKind { Other = -1, Absent = 0, Number = 2, Array = 4, Object = 5, String = 6 };

enum class ResetKind { Null = 0, EmptyObject = 4, EmptyArray = 5 };

class JsonDocument {
public:
    JsonDocument();  // holds an empty object
    ~JsonDocument();
    JsonDocument(const JsonDocument& other);
    JsonDocument& operator=(const JsonDocument& other);
    JsonDocument(JsonDocument&& other) noexcept;
    JsonDocument& operator=(JsonDocument&& other) noexcept;

    // Parses strict JSON (no comments, no single quotes, nesting at most 512 deep). The
    // document first becomes null, so a failed load leaves null. True when the text held a
    // value other than null.
    bool load(std::string_view text);
    [[nodiscard]] std::string serialize() const;  // the whole value as JSON
    void clear();                                 // an empty object
    void reset(ResetKind kind);

    // Readers.
    [[nodiscard]] std::string getText(std::string_view path, TextForm form = TextForm::Plain) const;
    [[nodiscard]] std::string getMemberJson(std::string_view path) const;  // getText(path, Json)
    [[nodiscard]] double getNumber(std::string_view path) const;           // numbers, numeric texts; true 1
    // Elements or members of an array or object; 0 for anything else and for missing values.
    [[nodiscard]] int countMembers(std::string_view path) const;
    [[nodiscard]] bool hasMember(std::string_view path) const;  // exists and is not null
    [[nodiscard]] JsonKind typeOf(std::string_view path) const;
    // The own member names of an object (in name order), or "0", "1", ... for an array.
    [[nodiscard]] std::vector<std::string> memberNames(std::string_view path) const;
    // Element `index` (from 0) of the array at `path`.
    [[nodiscard]] std::string getElement(std::size_t index, std::string_view path,
                                         TextForm form = TextForm::Plain) const;
    // A new document holding a copy of the value at `path` (null when it is missing).
    [[nodiscard]] JsonDocument getDocument(std::string_view path) const;

    // Writers. The place named by `path` is written when its parent exists and is an object
    // (any member) or an array (an index; the array grows with nulls, at most to 1,048,576
    // elements). The empty path names the whole value.
    // Raw takes `value` as JSON source, "" meaning an empty object.
    void setMember(std::string_view path, std::string_view value, ValueForm form);
    void setMemberRaw(std::string_view path, std::string_view source);  // "" changes nothing
    void setMemberNumber(std::string_view path, double number);
    // Removes an object member; an array element becomes null, keeping the indexes of the
    // others. The whole value cannot be deleted.
    void deleteMember(std::string_view path);
    // Appends to the array at `path`; an existing value that is not an array is first
    // replaced by an empty array; a missing or null target changes nothing. Raw "" appends
    // nothing (but still makes the target an array).
    void appendToArray(std::string_view value, std::string_view path, ValueForm form);
    // Element `index` of the whole value (an array; for an object, the member named by the
    // index's decimal text).
    void setElement(std::size_t index, std::string_view value, ValueForm form);
    void removeElement(std::size_t index);  // removes element `index` of the whole array
    // Replaces the whole value; answers whether the new value is truthy (not null, false, 0,
    // NaN or ""). Raw text that does not parse changes nothing and answers false.
    bool setRoot(std::string_view value, ValueForm form);

private:
    [[nodiscard]] const nlohmann::json& root() const;
    nlohmann::json& mutableRoot();

    std::unique_ptr<nlohmann::json> m_value;  // never null except in a moved-from document
};

}  // namespace vamu::net
