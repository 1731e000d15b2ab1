#pragma once

#include "Interface/api/ReaderWriter.h"
#include "Interface/api/ValueText.h"
#include "Root/api/String.h"
#include "Root/api/Exception.h"
#include "Root/api/Function.h"

#include <type_traits>
#include <utility>

namespace Brintavolex {

class CompositeOfProperties;
template <class T> class Property;

namespace Detail {
// Registers a member in its composite (defined with CompositeOfProperties).
template <class T> void RegisterProperty(CompositeOfProperties *owner, Property<T> &property);

// Numbers travel through the typed reader and writer operations, everything
// else as text.
template <class T> T ReadValue(IReader &reader, StringExpr name)
{
    T value{};
    if constexpr (std::is_same_v<T, UInt8>)
        reader.ReadUInt8(&value, name);
    else if constexpr (std::is_same_v<T, UInt16>)
        reader.ReadUInt16(&value, name);
    else if constexpr (std::is_same_v<T, UInt32>)
        reader.ReadUInt32(&value, name);
    else if constexpr (std::is_same_v<T, UInt64>)
        reader.ReadUInt64(&value, name);
    else if constexpr (std::is_same_v<T, SInt8>)
        reader.ReadSInt8(&value, name);
    else if constexpr (std::is_same_v<T, SInt16>)
        reader.ReadSInt16(&value, name);
    else if constexpr (std::is_same_v<T, SInt32>)
        reader.ReadSInt32(&value, name);
    else if constexpr (std::is_same_v<T, SInt64>)
        reader.ReadSInt64(&value, name);
    else if constexpr (std::is_same_v<T, Float32>)
        reader.ReadFloat32(&value, name);
    else if constexpr (std::is_same_v<T, Float64>)
        reader.ReadFloat64(&value, name);
    else if constexpr (std::is_same_v<T, String>)
        reader.ReadString(&value, name);
    else {
        String text;
        reader.ReadString(&text, name);
        value = ValueFromString<T>(text);
    }
    return value;
}

template <class T> void WriteValue(IWriter &writer, StringExpr name, const T &value)
{
    if constexpr (std::is_same_v<T, UInt8>)
        writer.WriteUInt8(&value, name);
    else if constexpr (std::is_same_v<T, UInt16>)
        writer.WriteUInt16(&value, name);
    else if constexpr (std::is_same_v<T, UInt32>)
        writer.WriteUInt32(&value, name);
    else if constexpr (std::is_same_v<T, UInt64>)
        writer.WriteUInt64(&value, name);
    else if constexpr (std::is_same_v<T, SInt8>)
        writer.WriteSInt8(&value, name);
    else if constexpr (std::is_same_v<T, SInt16>)
        writer.WriteSInt16(&value, name);
    else if constexpr (std::is_same_v<T, SInt32>)
        writer.WriteSInt32(&value, name);
    else if constexpr (std::is_same_v<T, SInt64>)
        writer.WriteSInt64(&value, name);
    else if constexpr (std::is_same_v<T, Float32>)
        writer.WriteFloat32(&value, name);
    else if constexpr (std::is_same_v<T, Float64>)
        writer.WriteFloat64(&value, name);
    else if constexpr (std::is_same_v<T, String>)
        writer.WriteString(&value, name);
    else {
        const String text = StringFromValue<T>(value);
        writer.WriteString(&text, name);
    }
}
} // namespace Detail

// A named, typed, serialisable value: the building block of settings. The
// name is the key it is stored under. A member constructed with its owning
// composite registers itself there, in member order.
template <class T> class Property : public ISerializable
{
public:
    Property(const Property &) = delete;
    Property &operator=(const Property &) = delete;
    ~Property() override = default;

    // A value that cannot be read (absent, malformed, unknown name) throws
    // before anything is stored.
    void Read(IReader &reader) override { Set(Detail::ReadValue<T>(reader, _name)); }
    void Write(IWriter &writer) override { Detail::WriteValue<T>(writer, _name, Get()); }
    virtual T Get() const = 0;
    virtual Property &operator=(const T &value)
    {
        Set(value);
        return *this;
    }
    virtual void Set(const T &value) = 0;
    // Shown beside the value; empty for most properties.
    virtual String Description() const { return String(); }

    const String &Name() const noexcept { return _name; }

protected:
    Property(String name, T value) : _name(std::move(name)), _value(std::move(value)) {}
    Property(CompositeOfProperties *owner, String name, T value) : Property(std::move(name), std::move(value))
    {
        Detail::RegisterProperty(owner, *this);
    }

    String _name;
    T _value;
};

// Always holds a value, given at construction.
template <class T> class InitializedProperty : public Property<T>
{
public:
    InitializedProperty(String name, T value) : Property<T>(std::move(name), std::move(value)) {}
    InitializedProperty(CompositeOfProperties *owner, String name, T value)
        : Property<T>(owner, std::move(name), std::move(value))
    {
    }
    using Property<T>::operator=;
    T Get() const override { return this->_value; }
    void Set(const T &value) override { this->_value = value; }
};

// Holds no value until it is set or read; Get refuses until then.
template <class T> class UninitializedProperty : public Property<T>
{
public:
    explicit UninitializedProperty(String name) : Property<T>(std::move(name), T{}) {}
    UninitializedProperty(CompositeOfProperties *owner, String name)
        : Property<T>(owner, std::move(name), T{})
    {
    }
    using Property<T>::operator=;
    T Get() const override
    {
        if (!_initialized)
            throw Exception(StringExpr("UninitializedProperty::Get: ") + this->_name + " has no value");
        return this->_value;
    }
    void Set(const T &value) override
    {
        this->_value = value;
        _initialized = true;
    }
    bool IsInitialized() const noexcept { return _initialized; }

private:
    bool _initialized = false;
};

// As UninitializedProperty, with a description shown beside the value.
template <class T> class UninitializedPropertyWithDescription : public UninitializedProperty<T>
{
public:
    UninitializedPropertyWithDescription(String name, String description)
        : UninitializedProperty<T>(std::move(name)), _description(std::move(description))
    {
    }
    UninitializedPropertyWithDescription(CompositeOfProperties *owner, String name, String description)
        : UninitializedProperty<T>(owner, std::move(name)), _description(std::move(description))
    {
    }
    using UninitializedProperty<T>::operator=;
    String Description() const override { return _description; }

private:
    String _description;
};

// Calls its owner's callback with the new value after every Set, Read and
// assignment, also when the value did not change. A failed Read stores
// nothing and calls nothing.
template <class T> class PropertyWithNotification : public InitializedProperty<T>
{
public:
    using InitializedProperty<T>::InitializedProperty;
    using InitializedProperty<T>::operator=;

    void Set(const T &value) override
    {
        this->_value = value;
        _callback(this->_value);
    }
    // Takes the other's name and value.
    virtual PropertyWithNotification &operator=(const PropertyWithNotification &other)
    {
        this->_name = other._name;
        this->_value = other._value;
        _callback(this->_value);
        return *this;
    }

    Function<const T &> &Callback() noexcept { return _callback; }

private:
    Function<const T &> _callback;
};

} // namespace Brintavolex
