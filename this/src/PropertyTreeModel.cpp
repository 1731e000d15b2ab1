#include "this/src/PropertyTreeModel.h"

#include "Interface/api/BinaryFile.h"
#include "Interface/api/ValueText.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"
#include "Platform/api/String.h"

#include <charconv>
#include <memory>
#include <stdexcept>
#include <type_traits>

namespace Brintavolex {

namespace {

constexpr std::uint64_t kMaxShownValues = 256;
constexpr unsigned kMaxDepth = 32;
constexpr std::size_t kMaxLines = 100000;
// Items asked for, shown or not: a plug-in may report endless children
// that all fail.
constexpr std::uint64_t kMaxAttempts = 2 * kMaxLines;

template <class T> void AppendNumber(std::string &out, T value, bool hexadecimal)
{
    char buffer[32];
    if constexpr (std::is_integral_v<T>) {
        if (hexadecimal) {
            using U = std::make_unsigned_t<T>;
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, U(value), 16).ptr;
            const std::size_t digits = std::size_t(end - buffer);
            out += "0x";
            out.append(2 * sizeof(T) - digits, '0');
            for (const char *p = buffer; p != end; ++p)
                out += char(*p >= 'a' ? *p - 'a' + 'A' : *p);
            return;
        }
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    } else {
        out += StringFromValue<T>(value).ToStdString();
    }
}

// Reads count values of T with getter and joins them.
template <class T, class Getter> String JoinValues(std::uint64_t count, Getter getter, bool hexadecimal)
{
    const std::uint64_t shown = std::min(count, kMaxShownValues);
    std::unique_ptr<T[]> values(new T[shown]);
    if (shown)
        getter(values.get(), shown);
    std::string text;
    for (std::uint64_t i = 0; i < shown; ++i) {
        if (i)
            text += ", ";
        if constexpr (std::is_same_v<T, bool>)
            text += values[i] ? "true" : "false";
        else
            AppendNumber(text, values[i], hexadecimal);
    }
    if (shown < count)
        text += ", ...";
    return String(text);
}

String ValueTextOrThrow(IProperty &p, bool hex)
{
    const std::uint8_t type = p.GetValueType();
    if (type == ValueType::None)
        return String();
    if (type == ValueType::String) {
        String text;
        p.GetAsString(text);
        return text;
    }
    if (!ValueType::Name(type))
        return String("unknown");
    const std::uint64_t n = p.GetValueCount();
#define BRINTAVOLEX_JOIN(NAME, TYPE)                                                                         \
    case ValueType::NAME:                                                                                    \
        return JoinValues<TYPE>(                                                                             \
            n, [&](TYPE *out, std::uint64_t count) { p.GetAs##NAME(out, 0, count); }, hex);
    switch (type) {
        BRINTAVOLEX_JOIN(Bool, bool)
        BRINTAVOLEX_JOIN(SInt8, SInt8)
        BRINTAVOLEX_JOIN(SInt16, SInt16)
        BRINTAVOLEX_JOIN(SInt32, SInt32)
        BRINTAVOLEX_JOIN(SInt64, SInt64)
        BRINTAVOLEX_JOIN(UInt8, UInt8)
        BRINTAVOLEX_JOIN(UInt16, UInt16)
        BRINTAVOLEX_JOIN(UInt32, UInt32)
        BRINTAVOLEX_JOIN(UInt64, UInt64)
        BRINTAVOLEX_JOIN(Float32, Float32)
        BRINTAVOLEX_JOIN(Float64, Float64)
    default:
        return String("unknown");
    }
#undef BRINTAVOLEX_JOIN
}

String ChildName(IProperty &parent, std::uint64_t index, IProperty *child)
{
    try {
        String name = parent.GetChildName(index);
        if (!name.Empty())
            return name;
    } catch (const std::exception &) {
    }
    try {
        if (child) {
            String name = child->GetName();
            if (!name.Empty())
                return name;
        }
    } catch (const std::exception &) {
    }
    return String("[" + std::to_string(index) + "]");
}

struct Walk {
    bool hex;
    std::vector<PropertyTreeLine> &lines;
    std::uint64_t attempts = 0;
    std::uint64_t missing = 0;
};

void AddChildren(IProperty &parent, unsigned depth, Walk &walk)
{
    if (depth >= kMaxDepth)
        return;
    std::uint64_t count = 0;
    try {
        count = parent.GetCount();
    } catch (const std::exception &) {
        return;
    }
    for (std::uint64_t i = 0; i < count && walk.lines.size() < kMaxLines && walk.attempts < kMaxAttempts; ++i) {
        ++walk.attempts;
        SharedPtr<ISceneItem> item;
        try {
            item = parent.Get(i);
        } catch (const std::exception &) {
        }
        if (!item) {
            // Logged once a walk: a broken tree would fill the log.
            if (walk.missing++ == 0)
                BRINTAVOLEX_LOG("GetItemRecursive: item==nullptr");
            continue;
        }
        const SharedPtr<IProperty> child = DynamicPointerCast<IProperty>(item);
        const std::size_t at = walk.lines.size();
        walk.lines.push_back({ChildName(parent, i, child.Get()),
                              child ? PropertyValueText(*child, walk.hex) : String("unknown"), depth, false});
        if (child) {
            AddChildren(*child, depth + 1, walk);
            walk.lines[at].expandable = walk.lines.size() > at + 1;
        }
    }
}

// One CSV cell: formula starters neutralised, then quoted where needed.
void AppendCell(std::string &out, const String &text)
{
    std::string cell = ToUTF8(text);
    if (!cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos)
        cell.insert(cell.begin(), '\'');
    if (cell.find_first_of(",\"\r\n") == std::string::npos) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

String PropertyValueText(IProperty &property, bool hexadecimal)
{
    try {
        return ValueTextOrThrow(property, hexadecimal);
    } catch (const std::exception &) {
        return String("not available");
    }
}

std::vector<PropertyTreeLine> FlattenPropertyTree(const SharedPtr<IProperty> &root, bool hexadecimal)
{
    std::vector<PropertyTreeLine> lines;
    if (!root)
        return lines;
    Walk walk{hexadecimal, lines};
    AddChildren(*root, 0, walk);
    if (walk.missing > 1)
        BRINTAVOLEX_LOG("GetItemRecursive: " + std::to_string(walk.missing) + " items were nullptr");
    return lines;
}

PropertyTreeModel::PropertyTreeModel(const SharedPtr<IProperty> &root, bool hexadecimal)
    : _lines(FlattenPropertyTree(root, hexadecimal)), _expanded(_lines.size(), false)
{
}

std::vector<std::size_t> PropertyTreeModel::VisibleLines() const
{
    std::vector<std::size_t> visible;
    unsigned hiddenBelow = ~0u; // lines deeper than this are inside a collapsed item
    for (std::size_t i = 0; i < _lines.size(); ++i) {
        const unsigned depth = _lines[i].depth;
        if (depth > hiddenBelow)
            continue;
        visible.push_back(i);
        hiddenBelow = _expanded[i] ? ~0u : depth;
    }
    return visible;
}

void PropertyTreeModel::SetExpanded(std::size_t line, bool expanded)
{
    _expanded.at(line) = expanded && _lines[line].expandable;
}

std::string PropertyTreeCsv(const std::vector<PropertyTreeLine> &lines)
{
    std::string csv = "\xEF\xBB\xBFLevel,Name,Value\r\n";
    for (const PropertyTreeLine &line : lines) {
        csv += std::to_string(line.depth);
        csv += ',';
        AppendCell(csv, line.name);
        csv += ',';
        AppendCell(csv, line.value);
        csv += "\r\n";
    }
    return csv;
}

void SavePropertyTreeCsv(const String &path, const std::vector<PropertyTreeLine> &lines)
{
    std::unique_ptr<BinaryFile> file(BinaryFile::Open(path, BinaryFile::Mode::Replace));
    if (!file)
        throw Exception(String("PropertyTree::SaveAs: cannot open ") + path);
    file->Write(PropertyTreeCsv(lines), "PropertyTree::SaveAs");
    file->Flush("PropertyTree::SaveAs");
}

} // namespace Brintavolex
