#include "Platform/api/String.h"

#include <array>
#include <cstdint>

namespace Brintavolex {

namespace {

struct LowerCaseRun {
    char16_t first, last;
    unsigned char step;
    int delta;
};

constexpr LowerCaseRun kLowerCaseRuns[] = {
#include "LowerCaseTable.inc"
};

struct LowerCaseTable {
    std::array<char16_t, 0x10000> map;
    LowerCaseTable()
    {
        for (unsigned u = 0; u < 0x10000; ++u)
            map[u] = char16_t(u);
        for (unsigned u = 'A'; u <= 'Z'; ++u)
            map[u] = char16_t(u + 0x20);
        for (const LowerCaseRun &run : kLowerCaseRuns)
            for (unsigned u = run.first; u <= run.last; u += run.step)
                map[u] = char16_t(int(u) + run.delta);
    }
};

const LowerCaseTable &GetLowerCaseTable()
{
    static const LowerCaseTable table;
    return table;
}

} // namespace

char16_t ToLowerUTF16(char16_t unit) noexcept { return GetLowerCaseTable().map[unit]; }

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    const LowerCaseTable &table = GetLowerCaseTable();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (table.map[a[i]] != table.map[b[i]])
            return false;
    return true;
}

void ToLower(String &text)
{
    if (text.Empty())
        return;
    if (text.GetEncoding() == Encoding::UTF16) {
        std::u16string wide = text.ToU16String();
        for (char16_t &unit : wide)
            unit = ToLowerUTF16(unit);
        text = String(StringExpr(wide));
    } else if (Encoding::IsValid(text.GetEncoding())) {
        // Raw bytes, so that the text keeps its own code page.
        std::string narrow(static_cast<const char *>(text.Data()), text.Length());
        for (std::size_t i = 0; i < narrow.size(); ++i)
            if (narrow[i] >= 'A' && narrow[i] <= 'Z')
                narrow[i] = char(narrow[i] + 0x20);
        text = String(StringExpr(narrow.data(), narrow.size(), text.GetEncoding()));
    }
}

std::string ToUTF8(StringExpr text)
{
    const std::u16string wide = String(text).ToU16String();
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        std::uint32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

String FromUTF8(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned b = p[i];
        std::uint32_t c = 0xFFFD;
        std::size_t extra = 0;
        std::uint32_t min = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F, extra = 1, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F, extra = 2, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07, extra = 3, min = 0x10000;
        } else {
            out.push_back(u'\xFFFD');
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                break;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        if (k <= extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(u'\xFFFD');
            i += k;
            continue;
        }
        i += k;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(char16_t(0xD800 + (c >> 10)));
            out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
    }
    return String(StringExpr(out));
}

} // namespace Brintavolex
