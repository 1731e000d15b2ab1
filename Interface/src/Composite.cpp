#include "Interface/api/Composite.h"

namespace Brintavolex {

void Composite::Add(StringExpr name, SharedPtr<IProperty> value)
{
    if (!value)
        throw std::invalid_argument("Composite::Add: value is nullptr");
    String text(name);
    std::u16string key = text.ToU16String();
    if (_byName.count(key))
        throw std::invalid_argument("key already exists");
    _children.emplace_back(std::move(text), std::move(value));
    _byName.emplace(std::move(key), _children.size() - 1);
}

SharedPtr<ISceneItem> Composite::Get(std::uint64_t index)
{
    if (index >= _children.size())
        throw std::invalid_argument("Composite::Get: invalid index");
    return _children[index].second;
}

String Composite::GetChildName(std::uint64_t index)
{
    if (index >= _children.size())
        throw std::invalid_argument("Composite::Get: invalid index");
    return _children[index].first;
}

SharedPtr<IProperty> Composite::GetChild(StringExpr name)
{
    const auto found = _byName.find(String(name).ToU16String());
    if (found == _byName.end())
        throw std::invalid_argument("unknown id");
    return _children[found->second].second;
}

} // namespace Brintavolex
