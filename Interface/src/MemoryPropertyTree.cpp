#include "Interface/api/MemoryPropertyTree.h"

#include "Root/api/Exception.h"

#include <iterator>

namespace Brintavolex {

namespace {
// Key and value names compare without regard to ASCII case, as the
// registry's do.
std::u16string Folded(StringExpr name)
{
    std::u16string text = String(name).ToU16String();
    for (char16_t &c : text)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return text;
}

[[noreturn]] void Missing(const char *operation, StringExpr name)
{
    throw Exception(String(operation) + ": no " + name);
}
} // namespace

void MemoryPropertyWriter::WriteString(StringExpr name, const String &value) { _key->values[Folded(name)] = value; }

void MemoryPropertyWriter::WriteUInt32(StringExpr name, UInt32 value) { _key->values[Folded(name)] = value; }

void MemoryPropertyWriter::DeleteValue(StringExpr name)
{
    if (!_key->values.erase(Folded(name)))
        Missing("MemoryPropertyWriter::DeleteValue", name);
}

void MemoryPropertyWriter::DeleteTree(StringExpr name)
{
    if (!_key->keys.erase(Folded(name)))
        Missing("MemoryPropertyWriter::DeleteTree", name);
}

void MemoryPropertyWriter::DeleteTreeIfEmpty(StringExpr name)
{
    const auto found = _key->keys.find(Folded(name));
    if (found == _key->keys.end())
        Missing("MemoryPropertyWriter::DeleteTreeIfEmpty", name);
    if (found->second->keys.empty() && found->second->values.empty())
        _key->keys.erase(found);
}

SharedPtr<PropertyWriter> MemoryPropertyWriter::EnterTree(StringExpr name)
{
    SharedPtr<MemoryPropertyKey> &sub = _key->keys[Folded(name)];
    if (!sub)
        sub = MakeShared<MemoryPropertyKey>();
    return SharedPtr<PropertyWriter>(new MemoryPropertyWriter(sub));
}

void MemoryPropertyReader::ReadString(StringExpr name, String *value)
{
    const auto found = _key->values.find(Folded(name));
    if (found == _key->values.end() || !std::holds_alternative<String>(found->second))
        Missing("MemoryPropertyReader::ReadString", name);
    *value = std::get<String>(found->second);
}

void MemoryPropertyReader::ReadUInt32(StringExpr name, UInt32 *value)
{
    const auto found = _key->values.find(Folded(name));
    if (found == _key->values.end() || !std::holds_alternative<UInt32>(found->second))
        Missing("MemoryPropertyReader::ReadUInt32", name);
    *value = std::get<UInt32>(found->second);
}

String MemoryPropertyReader::GetKey(std::uint64_t index)
{
    if (index >= _key->keys.size())
        throw Exception("MemoryPropertyReader::GetKey: invalid index");
    return String(StringExpr(std::next(_key->keys.begin(), std::ptrdiff_t(index))->first));
}

SharedPtr<PropertyReader> MemoryPropertyReader::EnterTree(StringExpr name)
{
    const auto found = _key->keys.find(Folded(name));
    if (found == _key->keys.end())
        Missing("MemoryPropertyReader::EnterTree", name);
    return SharedPtr<PropertyReader>(new MemoryPropertyReader(found->second));
}

} // namespace Brintavolex
