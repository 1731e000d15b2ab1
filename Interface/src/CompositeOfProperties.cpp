#include "Interface/api/CompositeOfProperties.h"

#include <stdexcept>

namespace Brintavolex {

CompositeOfProperties::CompositeOfProperties(String name) : _name(std::move(name)) {}

CompositeOfProperties::CompositeOfProperties(CompositeOfProperties *parent, String name)
    : _name(std::move(name))
{
    if (parent)
        parent->Register(SharedPtr<AbstractInfo>(new CompositeAndName(*this)));
}

void CompositeOfProperties::Register(SharedPtr<AbstractInfo> member)
{
    if (!member)
        throw std::invalid_argument("CompositeOfProperties::Register: nullptr");
    _members.push_back(std::move(member));
}

void CompositeOfProperties::Read(IReader &reader)
{
    const SharedPtr<IReader> inner = reader.EnterTree(_name);
    for (const auto &member : _members)
        member->Read(*inner);
}

std::size_t CompositeOfProperties::ReadEach(IReader &reader)
{
    SharedPtr<IReader> inner;
    try {
        inner = reader.EnterTree(_name);
    } catch (const std::exception &) {
        return _members.size();
    }
    std::size_t failures = 0;
    for (const auto &member : _members)
        failures += member->ReadEach(*inner);
    return failures;
}

void CompositeOfProperties::Write(IWriter &writer)
{
    const SharedPtr<IWriter> inner = writer.EnterTree(_name);
    for (const auto &member : _members)
        member->Write(*inner);
}

SharedPtr<ISceneItem> CompositeOfProperties::Get(std::uint64_t index)
{
    if (index >= _members.size())
        throw std::runtime_error("CompositeOfProperties::Get: invalid index");
    return _members[index];
}

String CompositeOfProperties::GetChildName(std::uint64_t index)
{
    if (index >= _members.size())
        throw std::runtime_error("CompositeOfProperties::Get: invalid index");
    return _members[index]->GetName();
}

SharedPtr<IProperty> CompositeOfProperties::GetChild(StringExpr name)
{
    for (const auto &member : _members) {
        if (member->GetName() == String(name))
            return DynamicPointerCast<IProperty>(member);
    }
    throw std::invalid_argument("unknown id");
}

SharedPtr<IProperty> CompositeOfProperties::View()
{
    return SharedPtr<IProperty>(new CompositeAndName(*this));
}

} // namespace Brintavolex
