#pragma once

#include "Data/api/Property.h"
#include "Interface/api/ReaderWriter.h"
#include "Interface/api/SerializableProperty.h"

#include <cstddef>
#include <exception>
#include <type_traits>
#include <vector>

namespace Brintavolex {

// Binds the Property<T> members of a settings object to their names: the
// object reads and writes itself through IReader/IWriter (each composite a
// sub-key named after it) and shows as an IProperty tree. Members register
// themselves when constructed, so they are read and written in member order.
// A composite and its members refer to each other by address: it can be
// neither copied nor moved.
class CompositeOfProperties : public NullProperty, public ISerializable
{
public:
    // One registered member.
    class AbstractInfo : public virtual ISceneItem, public ISerializable
    {
    public:
        virtual String ValueText() = 0;
        virtual String GetName() = 0;
        virtual String Description() = 0;
        // Read, with a failure kept to this member: the number of values
        // that could not be read (they keep what they held).
        virtual std::size_t ReadEach(IReader &reader)
        {
            try {
                Read(reader);
                return 0;
            } catch (const std::exception &) {
                return 1;
            }
        }
    };
    class AbstractPropertyInfo : public AbstractInfo
    {
    };
    class AbstractCompositeInfo : public AbstractInfo
    {
    };

    // A root composite.
    explicit CompositeOfProperties(String name);
    // Registers the new composite in parent (a null parent makes a root).
    CompositeOfProperties(CompositeOfProperties *parent, String name);
    CompositeOfProperties(const CompositeOfProperties &) = delete;
    CompositeOfProperties &operator=(const CompositeOfProperties &) = delete;

    void Register(SharedPtr<AbstractInfo> member);
    const String &Name() const noexcept { return _name; }

    // EnterTree(name), then every member in registration order; a failing
    // member ends the whole operation.
    void Read(IReader &reader) override;
    void Write(IWriter &writer) override;
    // As Read, but a member that fails keeps its value and the others are
    // read all the same (settings files from other versions, damaged
    // entries): the number of values that could not be read.
    std::size_t ReadEach(IReader &reader);

    // The members as the children of a property tree.
    std::uint64_t GetCount() override { return _members.size(); }
    // Beyond the last: std::runtime_error "CompositeOfProperties::Get: invalid index".
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    String GetChildName(std::uint64_t index) override;
    SharedPtr<IProperty> GetChild(StringExpr name) override;
    String GetName() override { return _name; }

    // A shareable view of this composite (for the property tree window); it
    // must not outlive the composite.
    SharedPtr<IProperty> View();

protected:
    const char *ClassName() const override { return "CompositeOfProperties"; }

private:
    String _name;
    std::vector<SharedPtr<AbstractInfo>> _members;
};

// A Property<T> member and its name; as a property it is the value's text.
template <class T>
class PropertyAndName : public CompositeOfProperties::AbstractPropertyInfo, public PropertyDefaults
{
public:
    explicit PropertyAndName(Property<T> &property) : _property(&property) {}

    void Read(IReader &reader) override { _property->Read(reader); }
    void Write(IWriter &writer) override { _property->Write(writer); }
    // The value asked for as a property: its text.
    SharedPtr<IProperty> GetProperty() override
    {
        return SharedPtr<IProperty>(new StringProperty(ValueText()));
    }
    // 8-bit integers have no stored text form but are shown all the same.
    String ValueText() override
    {
        if constexpr (std::is_same_v<T, UInt8> || std::is_same_v<T, SInt8>)
            return String::FromInteger(_property->Get());
        else
            return StringFromValue<T>(_property->Get());
    }
    String GetName() override { return _property->Name(); }
    String Description() override { return _property->Description(); }

    std::uint8_t GetValueType() override { return ValueType::String; }
    std::uint64_t GetValueCount() override { return 1; }
    // The value's text, with the description in brackets where there is one.
    void GetAsString(String &output) override
    {
        const String description = Description();
        output = description.Empty() ? ValueText() : ValueText() + " (" + description + ")";
    }

protected:
    const char *ClassName() const override { return "PropertyAndName"; }

private:
    Property<T> *_property;
};

// A nested composite and its name; as a property it has the composite's
// members as children.
class CompositeAndName : public CompositeOfProperties::AbstractCompositeInfo, public PropertyDefaults
{
public:
    explicit CompositeAndName(CompositeOfProperties &composite) : _composite(&composite) {}

    void Read(IReader &reader) override { _composite->Read(reader); }
    void Write(IWriter &writer) override { _composite->Write(writer); }
    std::size_t ReadEach(IReader &reader) override { return _composite->ReadEach(reader); }
    String ValueText() override { return String(); }
    String GetName() override { return _composite->Name(); }
    String Description() override { return String(); }

    std::uint64_t GetCount() override { return _composite->GetCount(); }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override { return _composite->Get(index); }
    String GetChildName(std::uint64_t index) override { return _composite->GetChildName(index); }
    SharedPtr<IProperty> GetChild(StringExpr name) override { return _composite->GetChild(name); }

protected:
    const char *ClassName() const override { return "CompositeAndName"; }

private:
    CompositeOfProperties *_composite;
};

namespace Detail {
template <class T> void RegisterProperty(CompositeOfProperties *owner, Property<T> &property)
{
    if (!owner)
        throw Exception("Property: composite is nullptr");
    owner->Register(SharedPtr<CompositeOfProperties::AbstractInfo>(new PropertyAndName<T>(property)));
}
} // namespace Detail

} // namespace Brintavolex
