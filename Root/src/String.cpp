#include "Root/api/String.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace Brintavolex {

const char16_t Windows1252ToUTF16[256] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009, 0x000A, 0x000B, 0x000C,
    0x000D, 0x000E, 0x000F, 0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017, 0x0018, 0x0019,
    0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F, 0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026,
    0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033,
    0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x0040,
    0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047, 0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D,
    0x004E, 0x004F, 0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A,
    0x005B, 0x005C, 0x005D, 0x005E, 0x005F, 0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F, 0x0070, 0x0071, 0x0072, 0x0073, 0x0074,
    0x0075, 0x0076, 0x0077, 0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
    // 0x80-0x9F: the Windows-1252 specials; 81, 8D, 8F, 90 and 9D are undefined.
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152,
    0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
    // 0xA0-0xFF equal Latin-1.
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC,
    0x00AD, 0x00AE, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9,
    0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6,
    0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, 0x00E0,
    0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED,
    0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA,
    0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

unsigned char UTF16ToWindows1252(char16_t unit) noexcept
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<unsigned char>(unit);
    if (unit == 0xFFFD)
        return '?';
    for (unsigned b = 0x80; b < 0xA0; ++b)
        if (Windows1252ToUTF16[b] == unit)
            return static_cast<unsigned char>(b);
    return '?';
}

namespace {

[[noreturn]] void ThrowConversion(const char *operation)
{
    throw Exception(String(operation) + ": unsupported encoding");
}

} // namespace

StringExpr::StringExpr(const String &text) noexcept
    : StringExpr(text.Data(), text.Length(), text.GetEncoding())
{
}

String::String(StringExpr text)
{
    if (!Encoding::IsValid(text.GetEncoding()))
        throw std::runtime_error("Brintavolex::String::String(const StringExpr<R> &)");
    Assign(text);
}

void String::Assign(StringExpr text)
{
    _encoding = text.GetEncoding();
    if (_encoding == Encoding::None || text.Length() == 0) {
        _length = 0;
        _data = nullptr;
        return;
    }
    const std::size_t unit = Encoding::UnitSize(_encoding);
    if (text.Length() >= std::numeric_limits<std::size_t>::max() / unit - 1)
        throw std::bad_alloc();
    // Copies length units and writes the terminator itself: views need not
    // be terminated.
    char *buffer = new char[(text.Length() + 1) * unit];
    std::memcpy(buffer, text.Data(), text.Length() * unit);
    std::memset(buffer + text.Length() * unit, 0, unit);
    _data = buffer;
    _length = text.Length();
}

String::String(String &&other) noexcept : _data(other._data), _length(other._length), _encoding(other._encoding)
{
    other._data = nullptr;
    other._length = 0;
    other._encoding = Encoding::None;
}

String &String::operator=(const String &other)
{
    if (this != &other) {
        String copy(other);
        *this = std::move(copy);
    }
    return *this;
}

String &String::operator=(String &&other) noexcept
{
    if (this != &other) {
        Release();
        std::swap(_data, other._data);
        std::swap(_length, other._length);
        std::swap(_encoding, other._encoding);
    }
    return *this;
}

String::~String() { Release(); }

void String::Release() noexcept
{
    delete[] static_cast<char *>(_data);
    _data = nullptr;
    _length = 0;
}

String String::ToNarrow() const
{
    switch (_encoding) {
    case Encoding::None:
        return String(StringExpr(nullptr, 0, Encoding::Windows1252));
    case Encoding::Windows1252:
        return *this;
    case Encoding::UTF16: {
        std::string narrow(_length, '\0');
        const char16_t *wide = static_cast<const char16_t *>(_data);
        for (std::size_t i = 0; i < _length; ++i)
            narrow[i] = static_cast<char>(UTF16ToWindows1252(wide[i]));
        return String(StringExpr(narrow));
    }
    default:
        ThrowConversion("String::ToNarrow");
    }
}

String String::ToWide() const
{
    switch (_encoding) {
    case Encoding::None:
        return String(StringExpr(nullptr, 0, Encoding::UTF16));
    case Encoding::UTF16:
        return *this;
    case Encoding::Windows1252: {
        std::u16string wide(_length, u'\0');
        const unsigned char *narrow = static_cast<const unsigned char *>(_data);
        for (std::size_t i = 0; i < _length; ++i)
            wide[i] = Windows1252ToUTF16[narrow[i]];
        return String(StringExpr(wide));
    }
    default:
        ThrowConversion("String::ToWide");
    }
}

const char *String::Narrow() const
{
    if (_encoding == Encoding::UTF16)
        throw Exception("String::Narrow: text is UTF-16");
    return _data ? static_cast<const char *>(_data) : "";
}

const char16_t *String::Wide() const
{
    if (_encoding != Encoding::UTF16 && _encoding != Encoding::None)
        throw Exception("String::Wide: text is not UTF-16");
    return _data ? static_cast<const char16_t *>(_data) : u"";
}

std::string String::ToStdString() const
{
    const String narrow = ToNarrow();
    return std::string(static_cast<const char *>(narrow._data ? narrow._data : ""), narrow._length);
}

std::u16string String::ToU16String() const
{
    const String wide = ToWide();
    return std::u16string(static_cast<const char16_t *>(wide._data ? wide._data : u""), wide._length);
}

String &String::operator+=(StringExpr text)
{
    *this = StringExpr(*this) + text;
    return *this;
}

String String::FromUnsigned(std::uint64_t value, unsigned minDigits)
{
    char digits[32];
    std::size_t n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::string text(minDigits > n ? minDigits - n : 0, '0');
    while (n > 0)
        text.push_back(digits[--n]);
    return String(StringExpr(text));
}

String String::FromInteger(std::int64_t value, unsigned minDigits)
{
    if (value >= 0)
        return FromUnsigned(std::uint64_t(value), minDigits);
    const std::uint64_t magnitude = std::uint64_t(0) - std::uint64_t(value);
    return String("-") + FromUnsigned(magnitude, minDigits);
}

namespace {

bool BothValid(StringExpr l, StringExpr r)
{
    return Encoding::IsValid(l.GetEncoding()) && Encoding::IsValid(r.GetEncoding());
}

bool EqualUnits(StringExpr l, StringExpr r)
{
    if (l.Length() != r.Length())
        return false;
    return std::memcmp(l.Data(), r.Data(), l.Length() * Encoding::UnitSize(l.GetEncoding())) == 0;
}

bool Equal(StringExpr l, StringExpr r)
{
    if (l.Length() == 0 && r.Length() == 0)
        return true;
    if (l.GetEncoding() == r.GetEncoding())
        return EqualUnits(l, r);
    const String wl = String(l).ToWide();
    const String wr = String(r).ToWide();
    return EqualUnits(wl, wr);
}

} // namespace

bool operator==(StringExpr left, StringExpr right)
{
    if (!BothValid(left, right))
        throw std::runtime_error("StringExpr::operator == : unknown encoding");
    return Equal(left, right);
}

bool operator!=(StringExpr left, StringExpr right)
{
    if (!BothValid(left, right))
        throw std::runtime_error("StringExpr::operator != : unknown encoding");
    return !Equal(left, right);
}

bool operator<(StringExpr left, StringExpr right)
{
    const std::u16string l = String(left).ToU16String();
    const std::u16string r = String(right).ToU16String();
    return l < r;
}

String operator+(StringExpr left, StringExpr right)
{
    if (!BothValid(left, right))
        throw std::runtime_error("Brintavolex::String operator + (StringExpr<L> &, StringExpr<R> &)");
    if (left.GetEncoding() == Encoding::None || left.Length() == 0)
        return right.GetEncoding() == Encoding::None ? String(StringExpr(nullptr, 0, left.GetEncoding()))
                                                     : String(right);
    if (right.GetEncoding() == Encoding::None || right.Length() == 0)
        return String(left);
    if (left.GetEncoding() != right.GetEncoding()) {
        const String wl = String(left).ToWide();
        const String wr = String(right).ToWide();
        return StringExpr(wl) + StringExpr(wr);
    }
    const std::size_t unit = Encoding::UnitSize(left.GetEncoding());
    if (left.Length() > std::numeric_limits<std::size_t>::max() / 4 - right.Length())
        throw std::bad_alloc();
    std::string joined;
    joined.resize((left.Length() + right.Length()) * unit);
    std::memcpy(joined.data(), left.Data(), left.Length() * unit);
    std::memcpy(joined.data() + left.Length() * unit, right.Data(), right.Length() * unit);
    return String(StringExpr(joined.data(), left.Length() + right.Length(), left.GetEncoding()));
}

} // namespace Brintavolex
