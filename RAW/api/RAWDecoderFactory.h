#pragma once

#include "Interface/api/CompositeOfProperties.h"
#include "RAW/api/RAWDecoder.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Brintavolex {

// Headerless files of one extension: a table from the exact file size to the
// entry that describes such a file. The dialog changes the table on the GUI
// thread while the background loader creates decoders from it, so writers
// replace the whole table and readers keep the one they took.
class RAWDecoderFactory final : public DecoderFactory<RAWDecoderFactory> {
public:
    using SizeTable = std::map<std::uint64_t, RAWEntry>;

    explicit RAWDecoderFactory(String extension);

    String GetName() override { return "Brintavolex RAW Decoder"; }
    // "*." and the extension.
    String GetExtensions() override;
    TextPair GetFilterStrings() override;
    using CodecFactory::Create;
    // A RAW2DDecoder for Z = 0, else a RAW3DDecoder.
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger) override;

    const String &Extension() const noexcept { return _extension; }
    std::shared_ptr<const SizeTable> Table() const;
    // Stores the entry for files of fileSize bytes, replacing one there is,
    // when CheckRAWEntry accepts it; else throws Exception with its message.
    void SetEntry(std::uint64_t fileSize, const RAWEntry &entry);

    // Below the extension's sub-key, one sub-key per size (decimal) with X,
    // Y, Z, Offset (64 bits) and Type.
    void Write(IWriter &writer);
    // Adds the stored entries; an entry that does not read, or that
    // CheckRAWEntry refuses, is logged and left out. The second form reads
    // the sub-key of that name (the same extension in another case).
    void Read(IReader &reader) { Read(reader, _extension); }
    void Read(IReader &reader, StringExpr storedExtension);

private:
    const String _extension;
    mutable std::mutex _mutex;
    std::shared_ptr<const SizeTable> _table;
};

// The "RAWDecoderFactory" member of the codec settings: one sub-key per
// extension. It keeps the RAW factories and hands each new one to added
// (by default the codec registry's AppendFactory).
class RAWDecoderSettings final : public CompositeOfProperties::AbstractCompositeInfo, public PropertyDefaults {
public:
    using Added = std::function<void(const SharedPtr<CodecFactory> &)>;
    explicit RAWDecoderSettings(Added added = AppendFactory);

    // The factory of extension (same extension when equal without regard to
    // case); a new one is created and added. An extension the settings cannot
    // keep throws Exception with CheckRAWExtension's message.
    SharedPtr<RAWDecoderFactory> FactoryFor(StringExpr extension);
    std::vector<SharedPtr<RAWDecoderFactory>> Factories() const;

    void Read(IReader &reader) override;
    void Write(IWriter &writer) override;
    String ValueText() override { return String(); }
    String GetName() override { return "RAWDecoderFactory"; }
    String Description() override { return String(); }
    // The tables as a property tree: extension, size, then the five values.
    SharedPtr<IProperty> GetProperty() override;

protected:
    const char *ClassName() const override { return "RAWDecoderSettings"; }

private:
    Added _added;
    mutable std::mutex _mutex;
    std::vector<SharedPtr<RAWDecoderFactory>> _factories;
};

} // namespace Brintavolex
