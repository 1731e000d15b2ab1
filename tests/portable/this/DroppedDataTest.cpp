// Descriptors and contents of dropped virtual files, as hostile programs
// could hand them over; run under the address sanitizer.
#include "Root/api/Exception.h"
#include "this/src/DroppedData.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Brintavolex {

namespace {

constexpr std::size_t kWideEntry = 592, kNarrowEntry = 332; // sizeof FILEDESCRIPTORW / A

void Put32(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = std::uint8_t(value >> (8 * i));
}

// A descriptor of count entries whose first is name (units as given).
std::vector<std::uint8_t> Descriptor(const std::u16string &name, bool wide, std::uint32_t flags = 0,
                                     std::uint64_t size = 0, std::uint32_t count = 1)
{
    std::vector<std::uint8_t> out(4 + (wide ? kWideEntry : kNarrowEntry), 0);
    Put32(out, 0, count);
    Put32(out, 4, flags);
    Put32(out, 4 + 64, std::uint32_t(size >> 32));
    Put32(out, 4 + 68, std::uint32_t(size));
    for (std::size_t i = 0; i < name.size() && i < 260; ++i) {
        if (wide)
            out[4 + 72 + 2 * i] = std::uint8_t(name[i]), out[4 + 73 + 2 * i] = std::uint8_t(name[i] >> 8);
        else
            out[4 + 72 + i] = std::uint8_t(name[i]);
    }
    return out;
}

DescribedFile Parse(const std::vector<std::uint8_t> &d, bool wide)
{
    return FirstDescribedFile(d.data(), d.size(), wide);
}

// Contents handed out a few bytes per call, as a pipe would.
struct Trickle {
    std::vector<std::uint8_t> data;
    std::size_t at = 0, calls = 0;
    std::size_t operator()(std::uint8_t *buffer, std::size_t capacity)
    {
        ++calls;
        const std::size_t n = std::min({capacity, std::size_t(7), data.size() - at});
        std::memcpy(buffer, data.data() + at, n);
        at += n;
        return n;
    }
};

} // namespace

TEST(DroppedData, DescriptorsGiveTheFirstNameAndTheSizeOnlyWhenFlagged)
{
    constexpr std::uint32_t kSizeGiven = 0x40;
    DescribedFile f = Parse(Descriptor(u"Attachments\\Photo \u00e4\u20ac.jpg", true, kSizeGiven, 0x123456789ull, 3), true);
    EXPECT_EQ(f.name.ToU16String(), u"Photo \u00e4\u20ac.jpg");
    EXPECT_EQ(f.size, 0x123456789ull) << "the high half counts";
    f = Parse(Descriptor(u"scan.png", true, 0, 99), true);
    EXPECT_FALSE(f.size) << "a size without its flag is not one";
    // Narrow names are Windows-1252: 0x80 is the euro sign.
    f = Parse(Descriptor(std::u16string(u"x\u00e4\u0080.bmp"), false, kSizeGiven, 5), false);
    EXPECT_EQ(f.name.ToU16String(), u"x\u00e4\u20ac.bmp");
    EXPECT_EQ(f.size, 5u);
    // A count far beyond the data is no reason to read past the first entry.
    EXPECT_EQ(Parse(Descriptor(u"a.gif", false, 0, 0, 0xFFFFFFFFu), false).name.ToU16String(), u"a.gif");
}

TEST(DroppedData, HostileDescriptorsAreRefusedWithinTheirBytes)
{
    for (const bool wide : {true, false}) {
        SCOPED_TRACE(wide);
        const std::vector<std::uint8_t> good = Descriptor(u"a.png", wide);
        // Every cut short of the first whole entry, read from a buffer of
        // exactly that size: the sanitizer sees any read past it.
        for (std::size_t n = 0; n < good.size(); ++n) {
            std::vector<std::uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
            EXPECT_THROW(FirstDescribedFile(cut.empty() ? nullptr : cut.data(), n, wide), Exception) << n;
        }
        EXPECT_THROW(Parse(Descriptor(u"a.png", wide, 0, 0, 0), wide), Exception) << "no entries";
        EXPECT_THROW(Parse(Descriptor(std::u16string(260, u'n'), wide), wide), Exception) << "no end";
        for (const char16_t *empty : {u"", u"folder\\", u"..", u"a/."})
            EXPECT_THROW(Parse(Descriptor(empty, wide), wide), Exception) << "no name";
        EXPECT_EQ(Parse(Descriptor(std::u16string(259, u'n'), wide), wide).name.Length(), 259u);
    }
}

TEST(DroppedData, ContentsAreReadUpToTheSizeOrTheEndAndNeverPastTheLimit)
{
    Trickle source;
    for (int i = 0; i < 1000; ++i)
        source.data.push_back(std::uint8_t(i * 7));
    const auto read = [](Trickle &t) { return [&t](std::uint8_t *b, std::size_t c) { return t(b, c); }; };

    Trickle whole = source;
    EXPECT_EQ(ReadVirtualFile(read(whole), std::nullopt, 1 << 20), source.data) << "to the end";
    Trickle longer = source;
    EXPECT_EQ(ReadVirtualFile(read(longer), 600, 1 << 20),
              std::vector<std::uint8_t>(source.data.begin(), source.data.begin() + 600));
    // A stream shorter than described gives what it has, nothing made up.
    Trickle shorter = source;
    EXPECT_EQ(ReadVirtualFile(read(shorter), 5000, 1 << 20), source.data);

    Trickle unread = source;
    EXPECT_THROW(ReadVirtualFile(read(unread), 1001, 1000), Exception);
    EXPECT_EQ(unread.calls, 0u) << "a described size over the limit is refused before reading";
    Trickle endless = source;
    EXPECT_THROW(ReadVirtualFile(read(endless), std::nullopt, 999), Exception);
    EXPECT_EQ(ReadVirtualFile(read(source), std::nullopt, 1000).size(), 1000u) << "exactly the limit is fine";

    // A reader claiming more than it was given room for is not believed.
    const auto liar = [](std::uint8_t *buffer, std::size_t capacity) {
        static bool done = false;
        std::memset(buffer, 1, capacity);
        return std::exchange(done, true) ? std::size_t(0) : capacity * 4;
    };
    EXPECT_EQ(ReadVirtualFile(liar, 10, 1 << 20).size(), 10u);
}

} // namespace Brintavolex
