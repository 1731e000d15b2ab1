#include "RAW/api/RAWDecoderFactory.h"

#include "Interface/api/Composite.h"
#include "Interface/api/ValueText.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/String.h"

#include <limits>

namespace Brintavolex {

namespace {

bool SameExtension(StringExpr a, StringExpr b)
{
    const std::u16string left = String(a).ToU16String(), right = String(b).ToU16String();
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (ToLowerUTF16(left[i]) != ToLowerUTF16(right[i]))
            return false;
    return true;
}

// Offsets were once stored in 32 bits: one of 2 GiB or more came back
// negative, and its bit pattern is the offset.
std::int64_t StoredOffset(std::int64_t stored)
{
    if (stored < 0 && stored >= std::numeric_limits<std::int32_t>::min())
        return stored + (std::int64_t(1) << 32);
    return stored;
}

SharedPtr<IProperty> TablesAsProperty(const std::vector<SharedPtr<RAWDecoderFactory>> &factories)
{
    auto tables = MakeShared<Composite>();
    for (const auto &factory : factories) {
        auto sizes = MakeShared<Composite>();
        for (const auto &[size, entry] : *factory->Table()) {
            auto values = MakeShared<Composite>();
            values->Add("X", entry.x);
            values->Add("Y", entry.y);
            values->Add("Z", entry.z);
            values->Add("Offset", entry.offset);
            values->Add("Type", std::uint32_t(entry.type));
            sizes->Add(String::FromUnsigned(size), SharedPtr<IProperty>(values));
        }
        tables->Add(factory->Extension(), SharedPtr<IProperty>(sizes));
    }
    return tables;
}

} // namespace

RAWDecoderFactory::RAWDecoderFactory(String extension)
    : _extension(std::move(extension)), _table(std::make_shared<const SizeTable>())
{
}

String RAWDecoderFactory::GetExtensions() { return "*." + _extension; }

TextPair RAWDecoderFactory::GetFilterStrings()
{
    return {_extension + "-Dateien (*." + _extension + ")", _extension + " files (*." + _extension + ")"};
}

std::shared_ptr<const RAWDecoderFactory::SizeTable> RAWDecoderFactory::Table() const
{
    std::lock_guard<std::mutex> guard(_mutex);
    return _table;
}

SharedPtr<IDecoder> RAWDecoderFactory::Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger)
{
    if (!stream)
        throw Exception("RAWDecoderFactory::Create: stream is nullptr");
    const std::shared_ptr<const SizeTable> table = Table();
    const auto found = table->find(stream->size());
    if (found == table->end())
        throw Exception("RAWDecoderFactory::Create: unknown file size");
    if (found->second.z == 0)
        return MakeShared<RAW2DDecoder>(stream, found->second, logger);
    return MakeShared<RAW3DDecoder>(stream, found->second, logger);
}

void RAWDecoderFactory::SetEntry(std::uint64_t fileSize, const RAWEntry &entry)
{
    const RAWEntryCheck check = CheckRAWEntry(entry.x, entry.y, entry.z, entry.offset, entry.type, fileSize);
    if (!check.accepted)
        throw Exception(check.message);
    std::lock_guard<std::mutex> guard(_mutex);
    auto table = std::make_shared<SizeTable>(*_table);
    (*table)[fileSize] = check.entry;
    _table = std::move(table);
}

void RAWDecoderFactory::Write(IWriter &writer)
{
    const SharedPtr<IWriter> extension = writer.EnterTree(_extension);
    for (const auto &[size, entry] : *Table()) {
        const SharedPtr<IWriter> values = extension->EnterTree(String::FromUnsigned(size));
        const SInt64 offset = entry.offset;
        const UInt32 type = entry.type;
        values->WriteSInt32(&entry.x, "X");
        values->WriteSInt32(&entry.y, "Y");
        values->WriteSInt32(&entry.z, "Z");
        values->WriteSInt64(&offset, "Offset");
        values->WriteUInt32(&type, "Type");
    }
}

void RAWDecoderFactory::Read(IReader &reader, StringExpr storedExtension)
{
    const SharedPtr<IReader> extension = reader.EnterTree(storedExtension);
    SizeTable read;
    const std::uint64_t count = extension->GetKeyCount();
    for (std::uint64_t i = 0; i < count; ++i) {
        String key;
        try {
            key = extension->GetKey(i);
            const std::uint64_t size = ValueFromString<UInt64>(key);
            const SharedPtr<IReader> values = extension->EnterTree(key);
            SInt32 x = 0, y = 0, z = 0;
            SInt64 offset = 0;
            UInt32 type = 0;
            values->ReadSInt32(&x, "X");
            values->ReadSInt32(&y, "Y");
            values->ReadSInt32(&z, "Z");
            values->ReadSInt64(&offset, "Offset");
            values->ReadUInt32(&type, "Type");
            const RAWEntryCheck check = CheckRAWEntry(x, y, z, StoredOffset(offset), type, size);
            if (!check.accepted)
                throw Exception(check.message);
            read[size] = check.entry;
        } catch (const std::exception &e) {
            BRINTAVOLEX_LOG("RAWDecoderFactory: the entry \"" + key + "\" of \"" + String(storedExtension) +
                            "\" is left out: " + e.what());
        }
    }
    std::lock_guard<std::mutex> guard(_mutex);
    auto table = std::make_shared<SizeTable>(*_table);
    for (const auto &[size, entry] : read)
        (*table)[size] = entry;
    _table = std::move(table);
}

RAWDecoderSettings::RAWDecoderSettings(Added added) : _added(std::move(added)) {}

SharedPtr<RAWDecoderFactory> RAWDecoderSettings::FactoryFor(StringExpr extension)
{
    const String problem = CheckRAWExtension(extension);
    if (!problem.Empty())
        throw Exception(problem);
    SharedPtr<RAWDecoderFactory> factory;
    {
        std::lock_guard<std::mutex> guard(_mutex);
        for (const auto &existing : _factories)
            if (SameExtension(existing->Extension(), extension))
                return existing;
        factory = MakeShared<RAWDecoderFactory>(String(extension));
        _factories.push_back(factory);
    }
    if (_added)
        _added(factory);
    return factory;
}

std::vector<SharedPtr<RAWDecoderFactory>> RAWDecoderSettings::Factories() const
{
    std::lock_guard<std::mutex> guard(_mutex);
    return _factories;
}

void RAWDecoderSettings::Read(IReader &reader)
{
    const SharedPtr<IReader> inner = reader.EnterTree(GetName());
    const std::uint64_t count = inner->GetKeyCount();
    for (std::uint64_t i = 0; i < count; ++i) {
        try {
            const String extension = inner->GetKey(i);
            FactoryFor(extension)->Read(*inner, extension);
        } catch (const std::exception &e) {
            BRINTAVOLEX_LOG(String("RAWDecoderFactory: stored extension left out: ") + e.what());
        }
    }
}

void RAWDecoderSettings::Write(IWriter &writer)
{
    const SharedPtr<IWriter> inner = writer.EnterTree(GetName());
    for (const auto &factory : Factories())
        factory->Write(*inner);
}

SharedPtr<IProperty> RAWDecoderSettings::GetProperty() { return TablesAsProperty(Factories()); }

} // namespace Brintavolex
