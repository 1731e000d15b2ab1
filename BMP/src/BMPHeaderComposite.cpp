#include "BMP/api/BMPDecoder.h"
#include "BMP/src/BMPHeaders.h"
#include "Interface/api/Composite.h"

namespace Brintavolex {

namespace {

SharedPtr<IProperty> FieldsComposite(const std::vector<BMP::HeaderField> &fields)
{
    auto composite = MakeShared<Composite>();
    for (const BMP::HeaderField &field : fields) {
        if (field.childComposite) {
            composite->Add(field.name, FieldsComposite(field.children));
        } else if (field.bits == 16) {
            if (field.isSigned)
                composite->Add(field.name, SInt16(field.value));
            else
                composite->Add(field.name, UInt16(field.value));
        } else if (field.isSigned) {
            composite->Add(field.name, SInt32(field.value));
        } else {
            composite->Add(field.name, UInt32(field.value));
        }
    }
    return composite;
}

} // namespace

// Every header the file holds, named after the published structures, with
// their fields as the file stores them.
SharedPtr<IProperty> BMPDecoder::GetProperty()
{
    const BMP::Layout layout = [&] {
        std::lock_guard<std::mutex> guard(_streamMutex);
        return BMP::ReadLayout(*_stream);
    }();
    auto root = MakeShared<Composite>();
    for (const BMP::HeaderRecord &record : layout.headers)
        root->Add(record.name, FieldsComposite(record.fields));
    return root;
}

} // namespace Brintavolex
