#pragma once
// The method map: for each control class, the slot index, name and argument types of
// its property operations, so that controls can be built from layout descriptions.
// Stored as XML (GB2312) with the root "Qd_DirectUI_MapData":
//
//   <Class Name="Label" BaseClass="BaseControl">
//     <Method Index="4" Name="Text" Type="@10"/>
//   </Class>
//
// A type list holds one "@n" per argument (ArgumentType); a trailing "#" marks an
// argument that may be left out. Call="1" marks a method applied before the control's
// creation message. Class and method names match without regard to ASCII case.
//
// A parsed map never changes; it may be read from any thread.

#include "toolkit/key_atoms.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vamu::toolkit {

enum class ArgumentType : std::uint8_t {
    Byte = 1,
    Short = 2,
    Int32 = 3,
    Int64 = 4,
    Float = 5,
    Double = 6,
    Boolean = 7,
    DateTime = 8,
    Function = 9,
    Text = 10,
    ByteString = 11,
};

struct MethodArgument {
    ArgumentType type = ArgumentType::Int32;
    bool optional = false;

    friend bool operator==(const MethodArgument&, const MethodArgument&) = default;
};

enum class ApplyTime { AfterCreation, BeforeCreation };

struct MethodInfo {
    int index = 0;  // the class's own slot, from 0
    std::string name;
    std::vector<MethodArgument> arguments;
    ApplyTime applyTime = ApplyTime::AfterCreation;
};

struct ClassInfo {
    std::string name;
    std::string baseClass;            // empty for a root class
    std::optional<int> slotCount;     // "Count" when the map gives it
    std::vector<MethodInfo> methods;  // in the map's order
};

class MethodMap {
public:
    // nullopt for a map that is not well formed: bad XML or root, a class without a
    // name or named twice, an unknown or cyclic base class, a method without a name or
    // index, a name or index used twice in one class, a malformed type list.
    [[nodiscard]] static std::optional<MethodMap> parse(std::span<const std::byte> stored);

    [[nodiscard]] const std::vector<ClassInfo>& classes() const { return m_classes; }
    [[nodiscard]] const ClassInfo* findClass(std::string_view name) const;

    // The method of that name in the class or, failing that, in its nearest base class.
    [[nodiscard]] const MethodInfo* findMethod(std::string_view className, std::string_view methodName) const;
    // The class's own method in a slot (base classes have slots of their own).
    [[nodiscard]] const MethodInfo* findMethodAt(std::string_view className, int index) const;

    // The class followed by its base classes, nearest first; empty for an unknown class.
    [[nodiscard]] std::vector<const ClassInfo*> lineage(std::string_view className) const;

private:
    std::vector<ClassInfo> m_classes;
    std::unordered_map<std::string, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual> m_byName;
};

// "@3@7#" -> {Int32, Boolean optional}; "" -> no arguments; nullopt when malformed.
[[nodiscard]] std::optional<std::vector<MethodArgument>> parseArgumentTypes(std::string_view types);

// The map built into the program: its stored text, as handed to the toolkit core, and
// its parsed form (nullptr only if the built-in data is damaged).
[[nodiscard]] std::span<const std::byte> builtinMethodMapText();
[[nodiscard]] const MethodMap* builtinMethodMap();

}  // namespace vamu::toolkit
