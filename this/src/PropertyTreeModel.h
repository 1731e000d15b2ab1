#pragma once

#include "Data/api/Property.h"
#include "Root/api/String.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Brintavolex {

// One line of the property tree window: an item's name and value text,
// indented by depth.
struct PropertyTreeLine {
    String name;
    String value;
    unsigned depth = 0;
    bool expandable = false;
};

// An item's values as shown: several joined by ", ", bools as "true" and
// "false", integers in decimal or (hexadecimal) as "0x" and the type's full
// width of digits, "not available" when reading fails, "unknown" for an
// unknown value type. Long arrays are cut after a few hundred values.
String PropertyValueText(IProperty &property, bool hexadecimal = false);

// The tree below root (root itself not shown), depth first. Trees from
// plug-ins are not trusted: the walk stops at a fixed depth, line count and
// number of items asked for, and logs items that cannot be had once.
std::vector<PropertyTreeLine> FlattenPropertyTree(const SharedPtr<IProperty> &root, bool hexadecimal = false);

// The model of the property tree window: every line, and which are shown
// while their ancestors are collapsed or expanded (all start collapsed).
class PropertyTreeModel
{
public:
    explicit PropertyTreeModel(const SharedPtr<IProperty> &root, bool hexadecimal = false);

    const std::vector<PropertyTreeLine> &Lines() const noexcept { return _lines; }
    // Indexes into Lines() of the lines shown, in order.
    std::vector<std::size_t> VisibleLines() const;
    bool IsExpanded(std::size_t line) const { return _expanded.at(line); }
    void SetExpanded(std::size_t line, bool expanded);

private:
    std::vector<PropertyTreeLine> _lines;
    std::vector<bool> _expanded;
};

// The lines as comma-separated text (UTF-8 with a byte-order mark, CR LF,
// RFC 4180 quoting) with the columns Level, Name, Value. A cell that a
// spreadsheet would take for a formula gets a leading apostrophe.
std::string PropertyTreeCsv(const std::vector<PropertyTreeLine> &lines);
// Writes that text to path; failures throw Exception.
void SavePropertyTreeCsv(const String &path, const std::vector<PropertyTreeLine> &lines);

} // namespace Brintavolex
