#pragma once

// Drives the RML reader over arbitrary bytes the way settings loading does
// and checks what must hold for any input: what was read, stored again by the
// writer, reads back the same. Shared by the fuzz target and the test that
// replays its findings.

#include "Interface/api/RML.h"
#include "Interface/api/ValueText.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Brintavolex::FuzzSupport {

struct ReadValue {
    std::vector<String> path; // sub-keys, then the name
    String value;
};

// Every non-empty value below reader, walking the first 16 distinct names of
// a level, 4 levels deep; false in ok when the key index breaks its contract.
inline void CollectValues(PropertyReader &reader, std::vector<String> &path, std::vector<ReadValue> &out, bool &ok)
{
    const std::uint64_t count = reader.GetKeyCount();
    std::vector<String> names;
    for (std::uint64_t i = 0; i < count && i < 64 && names.size() < 16; ++i) {
        const String name = reader.GetKey(i);
        if (std::find(names.begin(), names.end(), name) != names.end())
            continue;
        names.push_back(name);
        path.push_back(name);
        String value;
        reader.ReadString(name, &value);
        if (!value.Empty())
            out.push_back({path, value});
        if (path.size() < 4)
            CollectValues(*reader.EnterTree(name), path, out, ok);
        path.pop_back();
    }
    try {
        reader.GetKey(count);
        ok = false; // one past the last must be refused
    } catch (const std::logic_error &) {
    }
}

inline std::vector<ReadValue> ReadValues(PropertyReader &reader, bool &ok)
{
    std::vector<String> path;
    std::vector<ReadValue> values;
    CollectValues(reader, path, values, ok);
    return values;
}

// The writer refuses CR in names and values; the reader hands out lines
// that hold one inside.
inline bool Storable(const ReadValue &read)
{
    const auto hasCR = [](const String &text) { return text.ToStdString().find('\r') != std::string::npos; };
    return !hasCR(read.value) && std::none_of(read.path.begin(), read.path.end(), hasCR);
}

// "" when every check held, otherwise what failed. scratch is a file the
// exercise may replace.
inline std::string ExerciseRML(std::string_view bytes, const String &scratch)
{
    bool ok = true;
    std::vector<ReadValue> read = ReadValues(*RMLPropertyReader::FromBytes(bytes), ok);
    if (!ok)
        return "GetKey accepted an index past the last key";
    for (const ReadValue &r : read) {
        try {
            (void)ValueFromString<UInt32>(r.value);
            (void)ValueFromString<Float64>(r.value);
            (void)ValueFromString<Data::ColorBGRA<float>>(r.value);
            (void)ValueFromString<Resampling::EnumResamplingMode>(r.value);
        } catch (const Exception &) {}
    }
    read.erase(std::remove_if(read.begin(), read.end(), [](const ReadValue &r) { return !Storable(r); }), read.end());
    try {
        const SharedPtr<PropertyWriter> root = MakeShared<RMLPropertyWriter>(scratch);
        for (const ReadValue &r : read) {
            SharedPtr<PropertyWriter> writer = root;
            for (std::size_t i = 0; i + 1 < r.path.size(); ++i)
                writer = writer->EnterTree(r.path[i]);
            writer->WriteString(r.path.back(), r.value);
        }
    } catch (const std::exception &e) {
        return std::string("the writer refused what the reader gave: ") + e.what();
    }
    RMLPropertyReader again(scratch);
    const std::vector<ReadValue> back = ReadValues(again, ok);
    if (back.size() != read.size())
        return "written " + std::to_string(read.size()) + " values, read back " + std::to_string(back.size());
    for (std::size_t i = 0; i < read.size(); ++i)
        if (back[i].path != read[i].path || !(back[i].value == read[i].value))
            return "value " + std::to_string(i) + " reads back differently";
    return "";
}

} // namespace Brintavolex::FuzzSupport
