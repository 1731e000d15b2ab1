#pragma once

#include "Data/api/Property.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace Brintavolex {

template <class T> class ValueComposite;
template <class T> class ArrayComposite;

// A free-form tree of read-only values, as decoders publish file headers:
// named children in the order added, names unique.
class Composite : public NullProperty
{
public:
    // An existing name is refused with std::invalid_argument "key already
    // exists".
    void Add(StringExpr name, SharedPtr<IProperty> value);
    // A number, kept in a ValueComposite.
    template <class T>
    requires std::is_arithmetic_v<T>
    void Add(StringExpr name, T value) { Add(name, SharedPtr<IProperty>(new ValueComposite<T>(value))); }
    // count values (for char: a text), copied into an ArrayComposite.
    template <class T> void Add(StringExpr name, const T *values, std::uint64_t count)
    {
        Add(name, SharedPtr<IProperty>(new ArrayComposite<T>(values, count)));
    }

    std::uint64_t GetCount() override { return _children.size(); }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    String GetChildName(std::uint64_t index) override;
    // An unknown name throws std::invalid_argument "unknown id".
    SharedPtr<IProperty> GetChild(StringExpr name) override;

protected:
    const char *ClassName() const override { return "Composite"; }

private:
    std::vector<std::pair<String, SharedPtr<IProperty>>> _children;
    std::map<std::u16string, std::size_t> _byName; // names as UTF-16, so 1252 and wide names meet
};

// The typed access pairs of IProperty (char is text and has none).
#define BRINTAVOLEX_PROPERTY_ACCESS(X)                                                                       \
    X(Bool, bool)                                                                                            \
    X(SInt8, SInt8)                                                                                          \
    X(SInt16, SInt16)                                                                                        \
    X(SInt32, SInt32)                                                                                        \
    X(SInt64, SInt64)                                                                                        \
    X(UInt8, UInt8)                                                                                          \
    X(UInt16, UInt16)                                                                                        \
    X(UInt32, UInt32)                                                                                        \
    X(UInt64, UInt64)                                                                                        \
    X(Float32, Float32)                                                                                      \
    X(Float64, Float64)

// One value of T (with children of its own, as every composite).
template <class T> class ValueComposite : public Composite
{
public:
    explicit ValueComposite(T value) : _value(value) {}

    std::uint8_t GetValueType() override { return ValueTypeOf<T>::value; }
    std::uint64_t GetValueCount() override { return 1; }

    using Composite::Get;
    template <class U = T> U Get() const
    {
        static_assert(std::is_same_v<U, T>, "a value is given only in its own type");
        return _value;
    }

#define BRINTAVOLEX_VALUE_ACCESS(NAME, TYPE)                                                                 \
    void GetAs##NAME(TYPE *output, std::uint64_t start, std::uint64_t count) override                        \
    {                                                                                                        \
        if constexpr (std::is_same_v<TYPE, T>) {                                                             \
            Check(output, start, count);                                                                     \
            *output = _value;                                                                                \
        } else {                                                                                             \
            Refuse();                                                                                        \
        }                                                                                                    \
    }                                                                                                        \
    TYPE Get##NAME() override                                                                                \
    {                                                                                                        \
        if constexpr (std::is_same_v<TYPE, T>)                                                               \
            return _value;                                                                                   \
        else                                                                                                 \
            Refuse();                                                                                        \
    }
    BRINTAVOLEX_PROPERTY_ACCESS(BRINTAVOLEX_VALUE_ACCESS)
#undef BRINTAVOLEX_VALUE_ACCESS

protected:
    const char *ClassName() const override
    {
        return "ValueComposite<...>";
    }
    void RefuseUnsupported(const char *) override
    {
        Refuse();
    }

private:
    [[noreturn]] static void Refuse()
    {
        throw std::logic_error("ValueComposite<...>::GetAs...");
    }
    static void Check(const void *output, std::uint64_t start, std::uint64_t count)
    {
        if (!output)
            throw std::invalid_argument("ValueComposite<...>::GetAs...: output is nullptr");
        if (start != 0)
            throw std::invalid_argument("ValueComposite<...>::GetAs...: start must be 0");
        if (count != 1)
            throw std::invalid_argument("ValueComposite<...>::GetAs...: count must be 1");
    }

    T _value;
};

// A run of values of T; for char a text (value type String).
template <class T> class ArrayComposite : public Composite
{
public:
    ArrayComposite(const T *values, std::uint64_t count)
    {
        if (!values && count != 0)
            throw std::invalid_argument(Prefix() + "::ArrayComposite: values is nullptr");
        _values.assign(values, values + count);
    }
    explicit ArrayComposite(std::vector<T> values) : _values(std::move(values)) {}

    std::uint8_t GetValueType() override { return ValueTypeOf<T>::value; }
    std::uint64_t GetValueCount() override { return _values.size(); }
    const std::vector<T> &Values() const noexcept { return _values; }

    using Composite::Get;
    // The first value; an empty array throws std::out_of_range.
    template <class U = T> U Get() const
    {
        static_assert(std::is_same_v<U, T>, "a value is given only in its own type");
        if (_values.empty())
            throw std::out_of_range(Prefix() + "::Get: array is empty");
        return _values.front();
    }

    void GetAsString(String &output) override
    {
        if constexpr (std::is_same_v<T, char>)
            output = String(StringExpr(_values.data(), _values.size(), Encoding::Windows1252));
        else
            Refuse("GetAsString");
    }

#define BRINTAVOLEX_ARRAY_ACCESS(NAME, TYPE)                                                                 \
    void GetAs##NAME(TYPE *output, std::uint64_t start, std::uint64_t count) override                        \
    {                                                                                                        \
        if constexpr (std::is_same_v<TYPE, T>) {                                                             \
            Check(output, start, count);                                                                     \
            std::copy_n(_values.begin() + std::ptrdiff_t(start), count, output);                             \
        } else {                                                                                             \
            Refuse("GetAs" #NAME);                                                                           \
        }                                                                                                    \
    }                                                                                                        \
    TYPE Get##NAME() override                                                                                \
    {                                                                                                        \
        if constexpr (std::is_same_v<TYPE, T>)                                                               \
            return Get<T>();                                                                                 \
        else                                                                                                 \
            Refuse("Get" #NAME);                                                                             \
    }
    BRINTAVOLEX_PROPERTY_ACCESS(BRINTAVOLEX_ARRAY_ACCESS)
#undef BRINTAVOLEX_ARRAY_ACCESS

protected:
    const char *ClassName() const override
    {
        return std::is_same_v<T, char> ? "ArrayComposite<char>" : "ArrayComposite<...>";
    }
    void RefuseUnsupported(const char *operation) override
    {
        Refuse(operation);
    }

private:
    static std::string Prefix()
    {
        return std::is_same_v<T, char> ? "ArrayComposite<char>" : "ArrayComposite<...>";
    }
    // The text array names the operation; the number arrays share one text.
    [[noreturn]] static void Refuse(const char *operation)
    {
        if constexpr (std::is_same_v<T, char>)
            throw std::logic_error(Prefix() + "::" + operation);
        else
            throw std::logic_error("ArrayComposite<...>::GetAs...");
    }
    // Written so that start + count cannot wrap around.
    void Check(const void *output, std::uint64_t start, std::uint64_t count) const
    {
        if (!output)
            throw std::invalid_argument("ArrayComposite<...>::GetAs...: output is nullptr");
        const std::uint64_t length = _values.size();
        if (start > length || count > length - start)
            throw std::invalid_argument("ArrayComposite<...>::GetAs...: start+count must be less than count");
    }

    std::vector<T> _values;
};

} // namespace Brintavolex
