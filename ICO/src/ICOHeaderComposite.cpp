#include "ICO/api/ICODecoder.h"
#include "Interface/api/Composite.h"

#include <string>

namespace Brintavolex {

// ICONDIR, then one ICONDIRENTRY[i] per entry, fields as stored.
SharedPtr<IProperty> ICODecoder::GetProperty()
{
    auto root = MakeShared<Composite>();
    auto directory = MakeShared<Composite>();
    directory->Add("idReserved", UInt16(_reserved));
    const std::string type = IsCursor() ? "Cursor" : "Icon";
    directory->Add("idType", type.data(), type.size());
    directory->Add("idCount", UInt16(_entries.size()));
    root->Add("ICONDIR", SharedPtr<IProperty>(directory));
    for (std::size_t i = 0; i < _entries.size(); ++i) {
        const Entry &e = _entries[i];
        auto entry = MakeShared<Composite>();
        entry->Add("bWidth", UInt8(e.bWidth));
        entry->Add("bHeight", UInt8(e.bHeight));
        entry->Add("bColorCount", UInt8(e.bColorCount));
        entry->Add("bReserved", UInt8(e.bReserved));
        entry->Add("wPlanes", UInt16(e.wPlanes));
        entry->Add("wBitCount", UInt16(e.wBitCount));
        entry->Add("dwBytesInRes", UInt32(e.dwBytesInRes));
        entry->Add("dwImageOffset", UInt32(e.dwImageOffset));
        root->Add("ICONDIRENTRY[" + std::to_string(i) + "]", SharedPtr<IProperty>(entry));
    }
    return root;
}

} // namespace Brintavolex
