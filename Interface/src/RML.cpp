#include "Interface/api/RML.h"

#include "Interface/api/BinaryFile.h"
#include "Root/api/Exception.h"

#include <memory>
#include <stdexcept>

namespace Brintavolex {

namespace {

// Settings files hold a few dozen entries; anything near this is no
// settings file.
constexpr std::size_t kMaxFileSize = 64u << 20;

// Text as Windows-1252 bytes; false when a character has no byte there.
bool ToWindows1252(StringExpr text, std::string &out)
{
    out.clear();
    out.reserve(text.Length());
    const bool wide = text.IsWide();
    if (!wide && text.GetEncoding() != Encoding::Windows1252 && !text.Empty())
        return false;
    for (std::size_t i = 0; i < text.Length(); ++i) {
        const std::uint32_t unit = text.Unit(i);
        if (!wide) {
            out.push_back(char(unit));
            continue;
        }
        const unsigned char byte = UTF16ToWindows1252(char16_t(unit));
        if (byte == '?' && unit != '?')
            return false;
        out.push_back(char(byte));
    }
    return true;
}

String FromWindows1252(std::string_view bytes)
{
    return String(StringExpr(bytes.data(), bytes.size(), Encoding::Windows1252));
}

bool LooksLikeKey(std::string_view line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

} // namespace

RMLPropertyReader::Content ParseRML(std::string_view bytes)
{
    // Lines end at LF; a CR before the LF belongs to the line end.
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    // Records: a key line, the value line, then (normally) an empty line.
    // Values stand only right below their key. A line where a key must stand
    // (a note or a broken record in a hand-edited file) is skipped up to the
    // next key line, so one stray line does not hide every later entry.
    RMLPropertyReader::Content content;
    for (std::size_t i = 0; i < lines.size();) {
        if (lines[i].empty()) {
            ++i;
            continue;
        }
        if (!LooksLikeKey(lines[i])) {
            ++content.skippedLines;
            ++i;
            continue;
        }
        const std::string_view value = i + 1 < lines.size() ? lines[i + 1] : std::string_view();
        content.entries.push_back({std::string(lines[i]), std::string(value)});
        i += 2;
    }
    return content;
}

RMLPropertyReader::RMLPropertyReader(const String &fileName)
{
    std::unique_ptr<BinaryFile> file(BinaryFile::Open(fileName, BinaryFile::Mode::Read));
    if (!file)
        throw std::runtime_error("std::ifstream");
    _content =
        MakeShared<Content>(ParseRML(file->ReadAll(kMaxFileSize, "RMLPropertyReader::RMLPropertyReader")));
}

RMLPropertyReader::RMLPropertyReader(SharedPtr<Content> content, std::vector<String> path, std::string prefix)
    : _content(std::move(content)), _path(std::move(path)), _prefix(std::move(prefix))
{
}

std::size_t RMLPropertyReader::SkippedLines() const noexcept { return _content->skippedLines; }

SharedPtr<RMLPropertyReader> RMLPropertyReader::FromBytes(std::string_view bytes)
{
    return SharedPtr<RMLPropertyReader>(new RMLPropertyReader(MakeShared<Content>(ParseRML(bytes)), {}, {}));
}

void RMLPropertyReader::ReadString(StringExpr name, String *value)
{
    std::string key;
    if (ToWindows1252(name, key)) {
        key = _prefix + "[" + key + "]";
        for (const Entry &entry : _content->entries) {
            if (entry.key == key) {
                *value = FromWindows1252(entry.value);
                return;
            }
        }
    }
    *value = String();
}

void RMLPropertyReader::ReadUInt32(StringExpr, UInt32 *)
{
    throw Exception("RMLPropertyReader::ReadUInt32: not supported");
}

template <class F> void RMLPropertyReader::WalkKeys(F &&visit) const
{
    std::string_view previous;
    bool any = false;
    for (const Entry &entry : _content->entries) {
        const std::string_view key = entry.key;
        if (key.size() == _prefix.size() || key.substr(0, _prefix.size()) != _prefix)
            continue;
        const std::string_view rest = key.substr(_prefix.size());
        const std::size_t open = rest.find('[');
        const std::size_t close = rest.find(']');
        if (open == std::string_view::npos || close == std::string_view::npos || close <= open)
            continue;
        const std::string_view name = rest.substr(open + 1, close - open - 1);
        if (any && name == previous)
            continue;
        any = true;
        previous = name;
        if (!visit(name))
            return;
    }
}

std::uint64_t RMLPropertyReader::GetKeyCount()
{
    std::uint64_t count = 0;
    WalkKeys([&](std::string_view) {
        ++count;
        return true;
    });
    return count;
}

String RMLPropertyReader::GetKey(std::uint64_t index)
{
    std::uint64_t n = 0;
    String found;
    bool hit = false;
    WalkKeys([&](std::string_view name) {
        if (n++ != index)
            return true;
        found = FromWindows1252(name);
        hit = true;
        return false;
    });
    if (!hit)
        throw std::logic_error("RMLPropertyReader::GetKey");
    return found;
}

SharedPtr<PropertyReader> RMLPropertyReader::EnterTree(StringExpr name)
{
    std::string element;
    std::vector<String> path = _path;
    path.emplace_back(name);
    // A name that no file can hold leads to a sub-key without entries: no
    // stored line contains a line feed.
    if (!ToWindows1252(name, element))
        element.assign(1, '\n');
    return SharedPtr<PropertyReader>(
        new RMLPropertyReader(_content, std::move(path), _prefix + "[" + element + "]"));
}

namespace {
// Why name cannot be stored, or nullptr.
const char *NameProblem(StringExpr name, std::string &bytes)
{
    if (!ToWindows1252(name, bytes))
        return "name is not Windows-1252 text";
    if (bytes.find_first_of("]\r\n") != std::string::npos)
        return "name contains ']', CR or LF";
    return nullptr;
}
} // namespace

RMLPropertyWriter::RMLPropertyWriter(const String &fileName)
{
    BinaryFile *file = BinaryFile::Open(fileName, BinaryFile::Mode::Replace);
    if (!file)
        throw std::runtime_error("std::ofstream");
    _output = MakeShared<Output>();
    _output->file = SharedPtr<BinaryFile>(file);
}

RMLPropertyWriter::RMLPropertyWriter(SharedPtr<Output> output, std::vector<String> path, std::string prefix)
    : _output(std::move(output)), _path(std::move(path)), _prefix(std::move(prefix))
{
}

SharedPtr<RMLPropertyWriter> RMLPropertyWriter::InMemory()
{
    return SharedPtr<RMLPropertyWriter>(new RMLPropertyWriter(MakeShared<Output>(), {}, std::string()));
}

const std::string &RMLPropertyWriter::Bytes() const { return _output->bytes; }

void RMLPropertyWriter::WriteString(StringExpr name, const String &value)
{
    constexpr const char *context = "RMLPropertyWriter::WriteString";
    std::string key;
    if (const char *problem = NameProblem(name, key))
        throw Exception(String(context) + ": " + problem);
    std::string text;
    if (!ToWindows1252(value, text))
        throw Exception(String(context) + ": value is not Windows-1252 text");
    if (text.find_first_of("\r\n") != std::string::npos)
        throw Exception(String(context) + ": value contains CR or LF");
    std::string entry;
    entry.reserve(_prefix.size() + key.size() + text.size() + 8);
    entry.append(_prefix).append("[").append(key).append("]\r\n").append(text).append("\r\n\r\n");
    if (!_output->file) {
        _output->bytes += entry;
        return;
    }
    _output->file->Write(entry, context);
    _output->file->Flush(context);
}

void RMLPropertyWriter::WriteUInt32(StringExpr, UInt32)
{
    throw std::logic_error("RMLPropertyWriter::WriteUInt32: not supported");
}
void RMLPropertyWriter::DeleteValue(StringExpr)
{
    throw std::logic_error("RMLPropertyWriter::DeleteValue: not supported");
}
void RMLPropertyWriter::DeleteTree(StringExpr)
{
    throw std::logic_error("RMLPropertyWriter::DeleteTree: not supported");
}
void RMLPropertyWriter::DeleteTreeIfEmpty(StringExpr)
{
    throw std::logic_error("RMLPropertyWriter::DeleteTreeIfEmpty: not supported");
}

SharedPtr<PropertyWriter> RMLPropertyWriter::EnterTree(StringExpr name)
{
    std::string element;
    if (const char *problem = NameProblem(name, element))
        throw Exception(String("RMLPropertyWriter::EnterTree: ") + problem);
    std::vector<String> path = _path;
    path.emplace_back(name);
    return SharedPtr<PropertyWriter>(
        new RMLPropertyWriter(_output, std::move(path), _prefix + "[" + element + "]"));
}

} // namespace Brintavolex
