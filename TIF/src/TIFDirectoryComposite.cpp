#include "TIF/api/TIFDirectory.h"
#include "TIF/src/TIFComposites.h"

#include "Interface/api/Composite.h"

#include <cstring>
#include <string>

namespace Brintavolex::TIF {

namespace {

template <class T> SharedPtr<Composite> ArrayOf(const Field &field)
{
    std::vector<T> values(field.data.size() / sizeof(T));
    if (!values.empty())
        std::memcpy(values.data(), field.data.data(), values.size() * sizeof(T));
    return MakeShared<ArrayComposite<T>>(std::move(values));
}

SharedPtr<Composite> Text(const std::string &text) { return MakeShared<ArrayComposite<char>>(text.data(), text.size()); }

// The field's values in the property type of its field type; rationals as
// their quotients.
SharedPtr<Composite> ValuesOf(const ImageFileDirectory &ifd, const Field &field)
{
    switch (FieldType(field.type)) {
    case FieldType::Byte: case FieldType::Undefined: return ArrayOf<UInt8>(field);
    case FieldType::Ascii: return Text(ifd.Text(field.tag));
    case FieldType::Short: return ArrayOf<UInt16>(field);
    case FieldType::Long: case FieldType::Ifd: return ArrayOf<UInt32>(field);
    case FieldType::SByte: return ArrayOf<SInt8>(field);
    case FieldType::SShort: return ArrayOf<SInt16>(field);
    case FieldType::SLong: return ArrayOf<SInt32>(field);
    case FieldType::Float: return ArrayOf<Float32>(field);
    case FieldType::Double: return ArrayOf<Float64>(field);
    case FieldType::Long8: case FieldType::Ifd8: return ArrayOf<UInt64>(field);
    case FieldType::SLong8: return ArrayOf<SInt64>(field);
    case FieldType::Rational: case FieldType::SRational:
        return MakeShared<ArrayComposite<Float64>>(ifd.Doubles(field.tag));
    }
    return MakeShared<Composite>();
}

void AddProblems(Composite &to, const std::vector<std::string> &problems)
{
    if (problems.empty())
        return;
    auto list = MakeShared<Composite>();
    for (std::size_t i = 0; i < problems.size(); ++i)
        list->Add("[" + std::to_string(i) + "]", SharedPtr<IProperty>(Text(problems[i])));
    to.Add("Problems", SharedPtr<IProperty>(list));
}

void AddFields(Composite &to, const ImageFileDirectory &ifd)
{
    for (const Field &field : ifd.Fields()) {
        const TagInfo *info = ifd.Tags().Find(field.tag);
        SharedPtr<Composite> value = ValuesOf(ifd, field);
        if (info && info->valueCount && field.count == 1) {
            // FileSource and SceneType are one UNDEFINED byte.
            const std::vector<std::uint64_t> number = FieldType(field.type) == FieldType::Undefined
                                                          ? std::vector<std::uint64_t>{field.data.at(0)}
                                                          : ifd.Unsigned(field.tag);
            if (const ValueName *meaning = number.empty() ? nullptr : info->FindValue(number[0]))
                value->Add("Meaning", SharedPtr<IProperty>(Text(meaning->name)));
        }
        if (const SharedPtr<ImageFileDirectory> child = ifd.Child(field.tag))
            AddFields(*value, *child);
        to.Add(info ? std::string(info->name) : std::to_string(field.tag), SharedPtr<IProperty>(value));
    }
    AddProblems(to, ifd.Problems());
}

} // namespace

SharedPtr<IProperty> ImageFileDirectory::GetProperty() const
{
    auto root = MakeShared<Composite>();
    AddFields(*root, *this);
    return root;
}

SharedPtr<IProperty> HeaderComposite(const TiffStructure &tiff)
{
    auto header = MakeShared<Composite>();
    header->Add("Byte Order", SharedPtr<IProperty>(
                                  Text(tiff.byteOrder == ByteOrder::LittleEndian ? "Little Endian" : "Big Endian")));
    header->Add("Version", UInt16(tiff.version));
    header->Add("Big Tiff", tiff.IsBigTiff());
    header->Add("Offset Size", UInt16(tiff.offsetSize));
    header->Add("Reserved", UInt16(tiff.reserved));
    header->Add("IFD Pointer", UInt64(tiff.firstIFDOffset));
    return header;
}

SharedPtr<IProperty> TiffStructure::GetProperty() const
{
    auto root = MakeShared<Composite>();
    root->Add("Header", header ? header : HeaderComposite(*this));
    for (std::size_t i = 0; i < ifds.size(); ++i)
        root->Add("IFD " + std::to_string(i), ifds[i]->GetProperty());
    AddProblems(*root, problems);
    return root;
}

} // namespace Brintavolex::TIF
