#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Brintavolex {

// Encoding tags carried by every text: 0 (no text), the Windows single-byte
// code pages 874 and 1250-1259, and 1260 for UTF-16.
namespace Encoding {
constexpr std::int32_t None = 0;
constexpr std::int32_t Thai874 = 874;
constexpr std::int32_t Windows1252 = 1252;
constexpr std::int32_t UTF16 = 1260;

constexpr bool IsValid(std::int32_t tag) noexcept
{
    return tag == None || tag == Thai874 || (tag >= 1250 && tag <= 1259) || tag == UTF16;
}
constexpr std::size_t UnitSize(std::int32_t tag) noexcept { return tag == UTF16 ? 2 : 1; }
} // namespace Encoding

// UTF-16 unit of every Windows-1252 byte; the five bytes that code page leaves
// undefined map to U+FFFD.
extern const char16_t Windows1252ToUTF16[256];

// Byte of a UTF-16 unit in Windows-1252, or '?' when no byte maps to it.
unsigned char UTF16ToWindows1252(char16_t unit) noexcept;

class String;

// A non-owning view of text: pointer, length in code units, encoding tag.
// Views need not be terminated.
class StringExpr {
public:
    constexpr StringExpr() noexcept = default;
    constexpr StringExpr(const void *data, std::size_t length, std::int32_t encoding) noexcept
        : _data(length ? data : nullptr), _length(data ? length : 0), _encoding(encoding)
    {
    }
    // Narrow literals are Windows-1252.
    constexpr StringExpr(const char *text) noexcept
        : StringExpr(text, text ? std::char_traits<char>::length(text) : 0, Encoding::Windows1252)
    {
    }
    constexpr StringExpr(const char16_t *text) noexcept
        : StringExpr(text, text ? std::char_traits<char16_t>::length(text) : 0, Encoding::UTF16)
    {
    }
    constexpr StringExpr(std::string_view text) noexcept
        : StringExpr(text.data(), text.size(), Encoding::Windows1252)
    {
    }
    constexpr StringExpr(std::u16string_view text) noexcept
        : StringExpr(text.data(), text.size(), Encoding::UTF16)
    {
    }
    StringExpr(const std::string &text) noexcept : StringExpr(std::string_view(text)) {}
    StringExpr(const std::u16string &text) noexcept : StringExpr(std::u16string_view(text)) {}
    StringExpr(const String &text) noexcept;

    constexpr const void *Data() const noexcept { return _data; }
    constexpr std::size_t Length() const noexcept { return _length; }
    constexpr std::int32_t GetEncoding() const noexcept { return _encoding; }
    constexpr bool Empty() const noexcept { return _length == 0; }
    constexpr bool IsWide() const noexcept { return _encoding == Encoding::UTF16; }

    // Code unit i as an unsigned number (byte or UTF-16 unit).
    std::uint32_t Unit(std::size_t i) const noexcept
    {
        return IsWide() ? std::uint32_t(static_cast<const char16_t *>(_data)[i])
                        : std::uint32_t(static_cast<const unsigned char *>(_data)[i]);
    }

private:
    const void *_data = nullptr;
    std::size_t _length = 0;
    std::int32_t _encoding = Encoding::None;
};

// Owned text with an encoding tag; the buffer holds length + 1 units, the last
// one 0. An empty string of tag 0 has no buffer.
class String {
public:
    String() noexcept = default;
    String(StringExpr text);
    String(const char *text) : String(StringExpr(text)) {}
    String(const char16_t *text) : String(StringExpr(text)) {}
    String(const String &other) : String(StringExpr(other)) {}
    String(String &&other) noexcept;
    String &operator=(const String &other);
    String &operator=(String &&other) noexcept;
    ~String();

    std::size_t Length() const noexcept { return _length; }
    std::int32_t GetEncoding() const noexcept { return _encoding; }
    bool Empty() const noexcept { return _length == 0; }
    const void *Data() const noexcept { return _data; }

    // Conversions: narrow gives Windows-1252, wide gives UTF-16.
    String ToNarrow() const;
    String ToWide() const;

    // Terminated text of a narrow or wide string ("" when empty); the wrong
    // width for the tag throws Exception.
    const char *Narrow() const;
    const char16_t *Wide() const;

    std::string ToStdString() const;     // as Windows-1252
    std::u16string ToU16String() const;  // as UTF-16

    String &operator+=(StringExpr text);

    // Base 10 with at least minDigits digits, zero-filled.
    static String FromInteger(std::int64_t value, unsigned minDigits = 1);
    static String FromUnsigned(std::uint64_t value, unsigned minDigits = 1);

private:
    void Assign(StringExpr text);
    void Release() noexcept;

    void *_data = nullptr;
    std::size_t _length = 0;
    std::int32_t _encoding = Encoding::None;
};

String operator+(StringExpr left, StringExpr right);
bool operator==(StringExpr left, StringExpr right);
bool operator!=(StringExpr left, StringExpr right);
// Orders by UTF-16 code units (for sorted containers).
bool operator<(StringExpr left, StringExpr right);

inline bool operator==(const String &l, const String &r) { return StringExpr(l) == StringExpr(r); }
inline bool operator!=(const String &l, const String &r) { return StringExpr(l) != StringExpr(r); }
inline bool operator<(const String &l, const String &r) { return StringExpr(l) < StringExpr(r); }

} // namespace Brintavolex
