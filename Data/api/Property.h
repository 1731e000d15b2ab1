#pragma once

#include "Data/api/SceneItem.h"
#include "Data/api/ValueTypes.h"
#include "Root/api/String.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>

namespace Brintavolex {

// A read-only, run-time-typed view of a value or of a tree of values. A value
// is asked for only in its own type (GetValueType); every other access
// throws. Children and their names are the scene-item side.
//
// The operations up to GetAsString are the plug-in interface's, in its order;
// keep them so.
class IProperty : public virtual ISceneItem
{
public:
    virtual std::uint8_t GetValueType() = 0;

    // GetAs<Type> copies count values beginning at element start; Get<Type>
    // returns the first (for a scalar the only) value.
    virtual void GetAsBool(bool *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual bool GetBool() = 0;
    virtual void GetAsSInt8(SInt8 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual SInt8 GetSInt8() = 0;
    virtual void GetAsSInt16(SInt16 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual SInt16 GetSInt16() = 0;
    virtual void GetAsSInt32(SInt32 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual SInt32 GetSInt32() = 0;
    virtual void GetAsSInt64(SInt64 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual SInt64 GetSInt64() = 0;
    virtual void GetAsUInt8(UInt8 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual UInt8 GetUInt8() = 0;
    virtual void GetAsUInt16(UInt16 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual UInt16 GetUInt16() = 0;
    virtual void GetAsUInt32(UInt32 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual UInt32 GetUInt32() = 0;
    virtual void GetAsUInt64(UInt64 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual UInt64 GetUInt64() = 0;
    virtual void GetAsFloat32(Float32 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual Float32 GetFloat32() = 0;
    virtual void GetAsFloat64(Float64 *output, std::uint64_t start, std::uint64_t count) = 0;
    virtual Float64 GetFloat64() = 0;

    // 1 for a scalar, the length of an array, 0 for none.
    virtual std::uint64_t GetValueCount() = 0;
    virtual void GetAsString(String &output) = 0;

    // Names on the scene-item side: the item's own name (empty unless it was
    // given one), the name of the child at an index, the child for a name.
    virtual String GetName() = 0;
    virtual String GetChildName(std::uint64_t index) = 0;
    virtual SharedPtr<IProperty> GetChild(StringExpr name) = 0;

    // The child at index as a property (empty when it is no property).
    SharedPtr<IProperty> GetChildAt(std::uint64_t index) { return DynamicPointerCast<IProperty>(Get(index)); }
};

// Answers the scene-item side for an item without children and refuses every
// value access; the concrete properties override what they support.
class PropertyDefaults : public IProperty
{
public:
    std::uint64_t GetCount() override { return 0; }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override { return nullptr; }

    std::uint8_t GetValueType() override { return ValueType::None; }
    void GetAsBool(bool *output, std::uint64_t start, std::uint64_t count) override;
    bool GetBool() override;
    void GetAsSInt8(SInt8 *output, std::uint64_t start, std::uint64_t count) override;
    SInt8 GetSInt8() override;
    void GetAsSInt16(SInt16 *output, std::uint64_t start, std::uint64_t count) override;
    SInt16 GetSInt16() override;
    void GetAsSInt32(SInt32 *output, std::uint64_t start, std::uint64_t count) override;
    SInt32 GetSInt32() override;
    void GetAsSInt64(SInt64 *output, std::uint64_t start, std::uint64_t count) override;
    SInt64 GetSInt64() override;
    void GetAsUInt8(UInt8 *output, std::uint64_t start, std::uint64_t count) override;
    UInt8 GetUInt8() override;
    void GetAsUInt16(UInt16 *output, std::uint64_t start, std::uint64_t count) override;
    UInt16 GetUInt16() override;
    void GetAsUInt32(UInt32 *output, std::uint64_t start, std::uint64_t count) override;
    UInt32 GetUInt32() override;
    void GetAsUInt64(UInt64 *output, std::uint64_t start, std::uint64_t count) override;
    UInt64 GetUInt64() override;
    void GetAsFloat32(Float32 *output, std::uint64_t start, std::uint64_t count) override;
    Float32 GetFloat32() override;
    void GetAsFloat64(Float64 *output, std::uint64_t start, std::uint64_t count) override;
    Float64 GetFloat64() override;
    std::uint64_t GetValueCount() override { return 0; }
    void GetAsString(String &output) override;

    String GetName() override { return String(); }
    String GetChildName(std::uint64_t index) override;
    SharedPtr<IProperty> GetChild(StringExpr name) override;

protected:
    // The class name that messages begin with.
    virtual const char *ClassName() const = 0;
    // Refuses an access the value type does not support: RefuseUnsupported
    // may throw a kind of its own, else Exception "<class>::<operation>: not
    // supported".
    [[noreturn]] void Unsupported(const char *operation);
    virtual void RefuseUnsupported(const char *operation) { (void)operation; }
    // Refuses a child access on an item without children (std::invalid_argument
    // "<class>::Get: invalid index").
    [[noreturn]] void NoChildren();
    // The three checks of a scalar's GetAs<Type>, each std::invalid_argument:
    // "output is nullptr", "start must be 0", "count must be 1".
    void CheckScalarRequest(const char *operation, const void *output, std::uint64_t start,
                            std::uint64_t count) const;
};

// No value: the base of composites.
class NullProperty : public PropertyDefaults
{
protected:
    const char *ClassName() const override { return "NullProperty"; }
};

class BoolProperty : public PropertyDefaults
{
public:
    explicit BoolProperty(bool value) : _value(value) {}
    std::uint8_t GetValueType() override { return ValueType::Bool; }
    std::uint64_t GetValueCount() override { return 1; }
    void GetAsBool(bool *output, std::uint64_t start, std::uint64_t count) override;
    bool GetBool() override { return _value; }

protected:
    const char *ClassName() const override { return "BoolProperty"; }

private:
    bool _value;
};

class UInt64Property : public PropertyDefaults
{
public:
    explicit UInt64Property(UInt64 value) : _value(value) {}
    std::uint8_t GetValueType() override { return ValueType::UInt64; }
    std::uint64_t GetValueCount() override { return 1; }
    void GetAsUInt64(UInt64 *output, std::uint64_t start, std::uint64_t count) override;
    UInt64 GetUInt64() override { return _value; }

protected:
    const char *ClassName() const override { return "UInt64Property"; }

private:
    UInt64 _value;
};

class Float64Property : public PropertyDefaults
{
public:
    explicit Float64Property(Float64 value) : _value(value) {}
    std::uint8_t GetValueType() override { return ValueType::Float64; }
    std::uint64_t GetValueCount() override { return 1; }
    void GetAsFloat64(Float64 *output, std::uint64_t start, std::uint64_t count) override;
    Float64 GetFloat64() override { return _value; }

protected:
    const char *ClassName() const override { return "Float64Property"; }

private:
    Float64 _value;
};

// A text, for example the file name a stream publishes.
class StringProperty : public PropertyDefaults
{
public:
    explicit StringProperty(String value) : _value(std::move(value)) {}
    std::uint8_t GetValueType() override { return ValueType::String; }
    std::uint64_t GetValueCount() override { return 1; }
    void GetAsString(String &output) override { output = _value; }

protected:
    const char *ClassName() const override { return "StringProperty"; }

private:
    String _value;
};

// Publishes a property that lives elsewhere: every operation goes to the
// target (a null target is refused with std::invalid_argument).
class Redirect : public IProperty
{
public:
    explicit Redirect(SharedPtr<IProperty> target);

    std::uint64_t GetCount() override { return _target->GetCount(); }
    SharedPtr<ISceneItem> Get(std::uint64_t index) override { return _target->Get(index); }
    SharedPtr<IProperty> GetProperty() override { return _target->GetProperty(); }

    std::uint8_t GetValueType() override { return _target->GetValueType(); }
    void GetAsBool(bool *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsBool(o, s, c); }
    bool GetBool() override { return _target->GetBool(); }
    void GetAsSInt8(SInt8 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsSInt8(o, s, c); }
    SInt8 GetSInt8() override { return _target->GetSInt8(); }
    void GetAsSInt16(SInt16 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsSInt16(o, s, c); }
    SInt16 GetSInt16() override { return _target->GetSInt16(); }
    void GetAsSInt32(SInt32 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsSInt32(o, s, c); }
    SInt32 GetSInt32() override { return _target->GetSInt32(); }
    void GetAsSInt64(SInt64 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsSInt64(o, s, c); }
    SInt64 GetSInt64() override { return _target->GetSInt64(); }
    void GetAsUInt8(UInt8 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsUInt8(o, s, c); }
    UInt8 GetUInt8() override { return _target->GetUInt8(); }
    void GetAsUInt16(UInt16 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsUInt16(o, s, c); }
    UInt16 GetUInt16() override { return _target->GetUInt16(); }
    void GetAsUInt32(UInt32 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsUInt32(o, s, c); }
    UInt32 GetUInt32() override { return _target->GetUInt32(); }
    void GetAsUInt64(UInt64 *o, std::uint64_t s, std::uint64_t c) override { _target->GetAsUInt64(o, s, c); }
    UInt64 GetUInt64() override { return _target->GetUInt64(); }
    void GetAsFloat32(Float32 *o, std::uint64_t s, std::uint64_t c) override
    {
        _target->GetAsFloat32(o, s, c);
    }
    Float32 GetFloat32() override { return _target->GetFloat32(); }
    void GetAsFloat64(Float64 *o, std::uint64_t s, std::uint64_t c) override
    {
        _target->GetAsFloat64(o, s, c);
    }
    Float64 GetFloat64() override { return _target->GetFloat64(); }
    std::uint64_t GetValueCount() override { return _target->GetValueCount(); }
    void GetAsString(String &output) override { _target->GetAsString(output); }

    String GetName() override { return _target->GetName(); }
    String GetChildName(std::uint64_t index) override { return _target->GetChildName(index); }
    SharedPtr<IProperty> GetChild(StringExpr name) override { return _target->GetChild(name); }

    const SharedPtr<IProperty> &Target() const noexcept { return _target; }

private:
    SharedPtr<IProperty> _target;
};

// The target under another name.
class ChangeName : public Redirect
{
public:
    ChangeName(SharedPtr<IProperty> target, String name) : Redirect(std::move(target)), _name(std::move(name))
    {
    }
    String GetName() override { return _name; }

private:
    String _name;
};

} // namespace Brintavolex
