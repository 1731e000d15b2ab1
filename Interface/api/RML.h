#pragma once

#include "Interface/api/PropertyReaderWriter.h"

#include <string>
#include <string_view>
#include <vector>

namespace Brintavolex {

class BinaryFile;

// The RML settings text: one entry per value, three lines each, CR LF line
// ends, Windows-1252 characters:
//   [sub-key]...[name]
//   value
//   (empty line)

// Reads the whole file once; every reader entered from the root shares it.
// Entries are taken as whole records, so a value line is never mistaken for
// a key. Lines where a key line must stand are skipped (and counted) up to
// the next key line.
class RMLPropertyReader : public PropertyReader
{
public:
    // A file that cannot be opened throws std::runtime_error "std::ifstream".
    explicit RMLPropertyReader(const String &fileName);
    // The same over bytes in memory.
    static SharedPtr<RMLPropertyReader> FromBytes(std::string_view bytes);

    // The value of the first entry with this key; absent: the empty text.
    void ReadString(StringExpr name, String *value) override;
    // Not supported: throws Exception.
    void ReadUInt32(StringExpr name, UInt32 *value) override;
    // Distinct sub-key names below this reader, counted by runs of entries.
    std::uint64_t GetKeyCount() override;
    // Beyond the last: std::logic_error "RMLPropertyReader::GetKey".
    String GetKey(std::uint64_t index) override;
    SharedPtr<PropertyReader> EnterTree(StringExpr name) override;
    // Lines of the file that belonged to no entry.
    std::size_t SkippedLines() const noexcept;

    struct Entry {
        std::string key; // the key line as stored
        std::string value;
    };
    struct Content {
        std::vector<Entry> entries;
        std::size_t skippedLines = 0;
    };

private:
    RMLPropertyReader(SharedPtr<Content> content, std::vector<String> path, std::string prefix);
    // Calls visit(name) for each counted sub-key name in order until it
    // answers false.
    template <class F> void WalkKeys(F &&visit) const;

    SharedPtr<Content> _content;
    std::vector<String> _path;
    std::string _prefix; // the bracketed path, as stored
};

// Writes entries in the order they come, each flushed at once. Names must not
// contain ']', CR or LF and values no CR or LF, and both must be Windows-1252
// text; anything else is refused with Exception rather than stored so that it
// would read back differently. A failed write throws Exception.
class RMLPropertyWriter : public PropertyWriter
{
public:
    // Replaces the file; failure throws std::runtime_error "std::ofstream".
    explicit RMLPropertyWriter(const String &fileName);
    // Collects the entries in memory instead, for a caller that writes the
    // whole text in one piece (Bytes).
    static SharedPtr<RMLPropertyWriter> InMemory();
    // What an in-memory writer (and every writer entered from it) collected.
    const std::string &Bytes() const;

    void WriteString(StringExpr name, const String &value) override;
    // The four below are not supported (std::logic_error).
    void WriteUInt32(StringExpr name, UInt32 value) override;
    void DeleteValue(StringExpr name) override;
    void DeleteTree(StringExpr name) override;
    void DeleteTreeIfEmpty(StringExpr name) override;
    SharedPtr<PropertyWriter> EnterTree(StringExpr name) override;

    // Where entries go: the file, or the bytes when there is none.
    struct Output {
        SharedPtr<BinaryFile> file;
        std::string bytes;
    };

private:
    RMLPropertyWriter(SharedPtr<Output> output, std::vector<String> path, std::string prefix);

    SharedPtr<Output> _output;
    std::vector<String> _path;
    std::string _prefix;
};

// Parses RML bytes into entries (what the reader sees).
RMLPropertyReader::Content ParseRML(std::string_view bytes);

} // namespace Brintavolex
