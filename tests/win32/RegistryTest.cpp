// The registry back end under Wine, against the real registry.
#include "Interface/api/Win32/RegistryReaderWriter.h"
#include "Interface/api/PropertyReaderWriter.h"
#include "Root/api/Exception.h"
#include "support/PropertyBackEndChecks.h"
#include "this/src/Settings/PlanoscopeSettings.h"

#include <string>

namespace Brintavolex {
namespace {

class Registry : public ::testing::Test {
protected:
    ~Registry() override { RegDeleteTreeW(HKEY_CURRENT_USER, Win32Path().c_str()); }
    static std::wstring Win32Path() { return L"Software\\BrintavolexTest\\" + std::to_wstring(GetCurrentProcessId()); }
    String Path() const { return String(StringExpr(reinterpret_cast<const char16_t *>(Win32Path().c_str()))); }
};

TEST_F(Registry, BehavesAsEveryPropertyBackEndMust)
{
    TestSupport::CheckPropertyBackEnd(
        [&] { return SharedPtr<PropertyWriter>(new RegistryWriter(HKEY_CURRENT_USER, Path())); },
        [&] { return SharedPtr<PropertyReader>(new RegistryReader(HKEY_CURRENT_USER, Path())); });
}

TEST_F(Registry, FailuresNameTheOperationTheCallAndTheCode)
{
    try {
        RegistryReader(HKEY_CURRENT_USER, Path() + "\\Missing");
        FAIL();
    } catch (const SystemErrorException &e) {
        EXPECT_EQ(e.Context().ToStdString(), "RegistryReader::RegistryReader");
        EXPECT_EQ(e.Operation().ToStdString(), "RegOpenKeyExW");
        EXPECT_EQ(e.ErrorCode(), std::uint32_t(ERROR_FILE_NOT_FOUND));
    }
    RegistryWriter(HKEY_CURRENT_USER, Path());
    RegistryReader reader(HKEY_CURRENT_USER, Path());
    EXPECT_THROW(reader.GetKeyCount(), Exception);
    EXPECT_THROW(reader.GetKey(0), Exception);
}

TEST_F(Registry, ASettingsTreeTravelsThroughItAsText)
{
    PlanoscopeSettings written;
    written.backgroundColor = Data::ColorBGRA<float>{0.5f, 0.25f, 0.125f, 1.0f};
    written.viewer3D.viewXZ.ruler = true;
    IWriterFromPropertyWriter writer(SharedPtr<PropertyWriter>(new RegistryWriter(HKEY_CURRENT_USER, Path())));
    written.Write(writer);
    PlanoscopeSettings read;
    IReaderFromPropertyReader reader(SharedPtr<PropertyReader>(new RegistryReader(HKEY_CURRENT_USER, Path())));
    // Only the RAW tables fail: they list their sub-keys, which the registry
    // back end does not offer (settings never live there).
    EXPECT_EQ(read.ReadEach(reader), 1u);
    EXPECT_EQ(read.backgroundColor.Get(), written.backgroundColor.Get());
    EXPECT_TRUE(read.viewer3D.viewXZ.ruler.Get());
    Locale::SetCurrentLanguage(Locale::EnumLanguage::Auto);
}

} // namespace
} // namespace Brintavolex
