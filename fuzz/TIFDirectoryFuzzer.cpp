// The TIFF directory reader on arbitrary bytes: header, chain, entries,
// sub-directories and the published composite. Only clean exceptions may
// come out, and nothing may allocate much more than the input.
#include "TIF/api/TIFDirectory.h"

#include <cstdint>
#include <vector>

using namespace Brintavolex;

namespace {
// Walks the whole composite, as the property tree does when shown.
void Walk(const SharedPtr<IProperty> &property)
{
    for (std::uint64_t i = 0; i < property->GetCount(); ++i) {
        property->GetChildName(i);
        Walk(property->GetChildAt(i));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    try {
        MemoryStream stream(bytes.data(), bytes.size());
        const TIF::TiffStructure tiff = TIF::ReadTiffStructure(stream, TIF::Exif22::IFDSpecification);
        Walk(tiff.GetProperty());
        for (const auto &ifd : tiff.ifds)
            for (const TIF::Field &field : ifd->Fields()) {
                ifd->Unsigned(field.tag);
                ifd->Signed(field.tag);
                ifd->Doubles(field.tag);
                ifd->Text(field.tag);
            }
    } catch (const std::exception &) {
    }
    return 0;
}
