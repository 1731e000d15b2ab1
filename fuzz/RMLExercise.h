#pragma once

// Drives the RML reader over arbitrary bytes the way settings loading does
// and checks what must hold for any input. Shared by the fuzz target and the
// test that replays its findings.

#include "Interface/api/PropertyReaderWriter.h"
#include "Interface/api/RML.h"
#include "Interface/api/ValueText.h"
#include "Root/api/Exception.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Brintavolex::FuzzSupport {

inline void WalkKeys(IReader &reader, int depth, bool &ok)
{
    const std::uint64_t count = reader.GetKeyCount();
    for (std::uint64_t i = 0; i < count && i < 16; ++i) {
        const String key = reader.GetKey(i);
        String text;
        reader.ReadString(&text, key);
        try {
            UInt32 u;
            reader.ReadUInt32(&u, key);
        } catch (const Exception &) {
        }
        try {
            Float64 d;
            reader.ReadFloat64(&d, key);
        } catch (const Exception &) {
        }
        try {
            (void)ValueFromString<Data::ColorBGRA<float>>(text);
            (void)ValueFromString<bool>(text);
            (void)ValueFromString<Resampling::EnumResamplingMode>(text);
        } catch (const Exception &) {
        }
        if (depth < 3)
            WalkKeys(*reader.EnterTree(key), depth + 1, ok);
    }
    try {
        reader.GetKey(count);
        ok = false; // one past the last must be refused
    } catch (const std::logic_error &) {
    }
}

// Splits "[a][b][c]" into a, b, c; false when an element holds a bracket.
inline bool SplitKey(std::string_view key, std::vector<std::string> &elements)
{
    elements.clear();
    while (!key.empty()) {
        if (key.front() != '[')
            return false;
        const std::size_t close = key.find(']');
        if (close == std::string_view::npos)
            return false;
        const std::string_view element = key.substr(1, close - 1);
        if (element.find('[') != std::string_view::npos)
            return false;
        elements.emplace_back(element);
        key.remove_prefix(close + 1);
    }
    return !elements.empty();
}

// True when every invariant held.
inline bool ExerciseRML(std::string_view bytes)
{
    bool ok = true;
    const auto parsed = ParseRML(bytes);
    const SharedPtr<RMLPropertyReader> back = RMLPropertyReader::FromBytes(bytes);
    IReaderFromPropertyReader root(back);
    WalkKeys(*root.EnterTree("Settings"), 0, ok);

    // Every entry is found under its own key, with the value of the first
    // entry of that key, and values are never taken for keys.
    std::vector<std::string> elements;
    for (std::size_t i = 0; i < parsed.entries.size() && i < 64; ++i) {
        const auto &entry = parsed.entries[i];
        if (!SplitKey(entry.key, elements))
            continue;
        SharedPtr<PropertyReader> reader = back;
        for (std::size_t e = 0; e + 1 < elements.size(); ++e)
            reader = reader->EnterTree(StringExpr(elements[e]));
        String value;
        reader->ReadString(StringExpr(elements.back()), &value);
        std::string expected;
        for (const auto &other : parsed.entries) {
            if (other.key == entry.key) {
                expected = other.value;
                break;
            }
        }
        if (value.ToStdString() != expected)
            ok = false;
        // Values carry no line ends, keys are bracketed.
        if (entry.value.find('\n') != std::string::npos || entry.key.front() != '[' ||
            entry.key.back() != ']')
            ok = false;
    }
    return ok;
}

} // namespace Brintavolex::FuzzSupport
