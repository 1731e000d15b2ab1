#include "Platform/api/Stream.h"
#include "Data/api/Property.h"
#include "Platform/api/FileSystem.h"
#include "Root/api/Exception.h"

#include "Platform/api/String.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cstring>

#ifndef _WIN32
#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>

// Stands in for the C library's fstat in this program, failing on request.
static thread_local bool failStat = false;
extern "C" int fstat(int fd, struct stat *info)
{
    static const auto real = reinterpret_cast<int (*)(int, struct stat *)>(dlsym(RTLD_NEXT, "fstat"));
    return failStat ? (errno = EIO, -1) : real(fd, info);
}
#endif

namespace Brintavolex {

namespace {

std::uint32_t SystemCode(const std::function<void()> &f)
{
    try {
        f();
    } catch (const SystemErrorException &e) {
        return e.ErrorCode();
    }
    return 0xFFFFFFFF;
}

} // namespace

TEST(MemoryStream, ReadsLocksAndRefusesToLeaveItsMemory)
{
    const std::uint8_t bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    MemoryStream stream(bytes, sizeof bytes);
    std::uint8_t out[10] = {};
    EXPECT_EQ(stream.read(out, 10), 10u);
    EXPECT_EQ(std::memcmp(out, bytes, 10), 0);
    EXPECT_EQ(Thrown([&] { stream.read(out, 1); }), "end of stream");
    stream.seek(2);
    const StreamLock lock = stream.lock(4);
    EXPECT_EQ(lock.data, bytes + 2);
    EXPECT_EQ(lock.count, 4u);
    EXPECT_EQ(stream.tell(), 6u);
    EXPECT_EQ(Thrown([&] { stream.lock(5); }), "end of stream");
    EXPECT_EQ(Thrown([&] { stream.seek(11); }), "end of stream");
    stream.seek(10);
    // A count that would wrap position + count around.
    EXPECT_EQ(Thrown([&] { stream.read(out, ~std::uint64_t(0)); }), "end of stream");
    EXPECT_EQ(Thrown([&] { stream.lock(~std::uint64_t(0) - 5); }), "end of stream");
    EXPECT_THROW(stream.Clone(), Exception);
    EXPECT_EQ(stream.GetProperty(kFileNamePropertyKey), nullptr);
}

TEST(LockStream, TypedValuesInBothOrders)
{
    const std::uint8_t le[] = {0x00, 0x00, 0x80, 0x3F, 0x34, 0x12, 0xFF};
    const std::uint8_t be[] = {0x3F, 0x80, 0x00, 0x00, 0x12, 0x34, 0xFF};
    MemoryStream a(le, sizeof le), b(be, sizeof be);
    LockStream<LittleEndian> little(a, sizeof le);
    LockStream<BigEndian> big(b, sizeof be);
    EXPECT_EQ(little.Float32(), 1.0f);
    EXPECT_EQ(big.Float32(), 1.0f);
    EXPECT_EQ(little.UInt16(), 0x1234);
    EXPECT_EQ(big.UInt16(), 0x1234);
    EXPECT_EQ(little.UInt8(), 0xFF);
    EXPECT_EQ(Thrown([&] { little.UInt8(); }), "end of stream");
    EXPECT_EQ(Thrown([&] { big.UInt32(); }), "end of stream");

    const std::uint8_t doubles[] = {0x3F, 0xF0, 0, 0, 0, 0, 0, 0};
    MemoryStream c(doubles, sizeof doubles);
    EXPECT_EQ(LockStream<BigEndian>(c, 8).Float64(), 1.0);

    EXPECT_EQ(Thrown([&] { LockStream<LittleEndian> none(a, 0); }),
              "LockStream::Lockstream: count must be greater than zero");
    // A count from a file beyond the stream is refused before allocating.
    MemoryStream d(le, sizeof le);
    EXPECT_EQ(Thrown([&] { LockStream<LittleEndian>(d, std::uint64_t(1) << 60); }), "end of stream");
}

TEST(FileStream, ReadsRealFiles)
{
    TestSupport::TempFolder folder;
    std::string content(100000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = char(i * 7 + i / 251);
    const String path = FromUTF8(folder.Write("data.bin", content));
    FileStream stream(path);
    EXPECT_EQ(stream.size(), content.size());
    EXPECT_EQ(stream.GetFileName(), path);
    EXPECT_GT(stream.GetLastWriteTime(), 116444736000000000ull); // after 1970
    std::string out(content.size(), '\0');
    EXPECT_EQ(stream.read(out.data(), out.size()), out.size());
    EXPECT_EQ(out, content);
    EXPECT_EQ(stream.tell(), content.size());
    stream.seek(99990);
    char tail[20];
    EXPECT_EQ(SystemCode([&] { stream.read(tail, 20); }), SystemError::HandleEndOfFile);

    // A clone reads on its own position.
    stream.seek(5);
    SharedPtr<IStream> clone = stream.Clone();
    char a = 0, b = 0;
    clone->read(&a, 1);
    stream.read(&b, 1);
    EXPECT_EQ(a, content[0]);
    EXPECT_EQ(b, content[5]);
    EXPECT_EQ(stream.lock(3).data, nullptr);

    const SharedPtr<IProperty> name = stream.GetProperty(kFileNamePropertyKey);
    ASSERT_TRUE(name);
    String text;
    name->GetAsString(text);
    EXPECT_TRUE(text == path);
    EXPECT_FALSE(stream.GetProperty(Guid{1, 2, 3, {}}));
}

TEST(FileStream, EmptyMissingAndFolder)
{
    TestSupport::TempFolder folder;
    FileStream empty(FromUTF8(folder.Write("empty.bin", "")));
    EXPECT_EQ(empty.size(), 0u);
    char c;
    EXPECT_EQ(SystemCode([&] { empty.read(&c, 1); }), SystemError::HandleEndOfFile);
    EXPECT_EQ(SystemCode([&] { FileStream missing(FromUTF8(folder.File("missing.bin"))); }), SystemError::FileNotFound);
    EXPECT_EQ(SystemCode([&] { FileStream missing(FromUTF8(folder.File("no/such/file.bin"))); }),
              SystemError::PathNotFound);
    EXPECT_EQ(SystemCode([&] { FileStream directory(FromUTF8(folder.Path())); }), SystemError::AccessDenied);
}

#ifndef _WIN32
TEST(FileStream, AFileWhoseSizeCannotBeReadIsNotOpenedAsEmpty)
{
    TestSupport::TempFolder folder;
    const String path = FromUTF8(folder.Write("data.bin", "abcdef"));
    failStat = true;
    const std::uint32_t code = SystemCode([&] { FileStream stream(path); });
    failStat = false;
    EXPECT_EQ(code, 0x80000000u | EIO);
}
#endif

TEST(FileStream, TheOpenFileCanBeDeletedAndStillRead)
{
    TestSupport::TempFolder folder;
    const String path = FromUTF8(folder.Write("gone.bin", "abcdef"));
    FileStream stream(path);
    EXPECT_TRUE(Platform::RemoveFile(path));
    char out[6];
    stream.read(out, 6);
    EXPECT_EQ(std::string(out, 6), "abcdef");
}

TEST(FileStream, NamesWithNonLatinCharacters)
{
    TestSupport::TempFolder folder;
    const String name = Platform::JoinPath(FromUTF8(folder.Path()), u"\u00C4\u03A9\u6F22.bin");
    const std::string bytes = "xyz";
    // Written through the platform layer's own append.
    Platform::AppendLocked(name, [&](std::uint64_t) { return bytes; });
    FileStream stream(name);
    EXPECT_EQ(stream.size(), 3u);
}

} // namespace Brintavolex
