// The main window's drop target called in-process, as OLE calls it, with a
// data object of our own: files, and virtual files whose contents come as a
// stream (with and without their size, shorter than said) or as memory.
#include "this/src/Codecs.h"
#include "this/src/ImageManager.h"
#include "this/src/Win32/DropTarget.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace Brintavolex {
namespace {

static_assert(sizeof(FILEDESCRIPTORW) == 592 && sizeof(FILEDESCRIPTORA) == 332, "the layout the parser reads");

HGLOBAL GlobalOf(const void *bytes, std::size_t size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), bytes, size);
    GlobalUnlock(memory);
    return memory;
}

// Formats given as fresh memory per call; "FileContents" as a stream when
// asked so.
class FakeData final : public IDataObject {
public:
    std::map<CLIPFORMAT, std::vector<std::uint8_t>> formats;
    bool contentsAsStream = true;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC *format, STGMEDIUM *medium) override
    {
        const auto found = formats.find(format->cfFormat);
        if (found == formats.end())
            return DV_E_FORMATETC;
        *medium = STGMEDIUM{};
        const std::vector<std::uint8_t> &bytes = found->second;
        if (format->cfFormat == CLIPFORMAT(RegisterClipboardFormatW(CFSTR_FILECONTENTS)) && contentsAsStream) {
            if (!(format->tymed & TYMED_ISTREAM) || format->lindex != 0)
                return DV_E_TYMED;
            medium->tymed = TYMED_ISTREAM;
            return CreateStreamOnHGlobal(GlobalOf(bytes.data(), bytes.size()), TRUE, &medium->pstm);
        }
        if (!(format->tymed & TYMED_HGLOBAL))
            return DV_E_TYMED;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalOf(bytes.data(), bytes.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *format) override
    {
        return formats.count(format->cfFormat) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out) override
    {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override { return OLE_E_ADVISENOTSUPPORTED; }
};

CLIPFORMAT Format(const wchar_t *name) { return CLIPFORMAT(RegisterClipboardFormatW(name)); }

std::vector<std::uint8_t> Files(const std::vector<std::wstring> &paths)
{
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::vector<std::uint8_t> out(reinterpret_cast<const std::uint8_t *>(&header),
                                  reinterpret_cast<const std::uint8_t *>(&header + 1));
    for (const std::wstring &path : paths) {
        const auto *p = reinterpret_cast<const std::uint8_t *>(path.c_str());
        out.insert(out.end(), p, p + (path.size() + 1) * sizeof(wchar_t));
    }
    out.resize(out.size() + sizeof(wchar_t));
    return out;
}

template <class Descriptor> std::vector<std::uint8_t> Group(const Descriptor &first, UINT count = 1)
{
    std::vector<std::uint8_t> out(sizeof(UINT) + sizeof first);
    std::memcpy(out.data(), &count, sizeof count);
    std::memcpy(out.data() + sizeof count, &first, sizeof first);
    return out;
}

FILEDESCRIPTORW Wide(const wchar_t *name, bool sized, std::uint64_t size)
{
    FILEDESCRIPTORW d{};
    d.dwFlags = sized ? FD_FILESIZE : 0;
    d.nFileSizeHigh = DWORD(size >> 32);
    d.nFileSizeLow = DWORD(size);
    wcscpy(d.cFileName, name);
    return d;
}

struct Dropping {
    Dropping() { OleInitialize(nullptr); }
    ~Dropping()
    {
        target->Release();
        OleUninitialize();
    }
    // DragEnter, then Drop; the effect Drop answers.
    DWORD Drop(IDataObject &data)
    {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(target->DragEnter(&data, 0, POINTL{10, 10}, &effect), S_OK);
        const DWORD entered = effect;
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(target->Drop(&data, 0, POINTL{10, 10}, &effect), S_OK);
        EXPECT_EQ(effect, entered);
        return effect;
    }
    std::vector<DroppedItem> dropped;
    Win32::DropTarget *target = new Win32::DropTarget(nullptr, [this](DroppedItem item) {
        dropped.push_back(std::move(item));
    });
};

} // namespace

TEST(DropTargetWin32, FilesGiveTheFirstPathHoweverLong)
{
    Dropping d;
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'x') + L"\\photo \u00e4.jpg";
    FakeData data;
    data.formats[CF_HDROP] = Files({longPath, L"C:\\second.png"});
    EXPECT_EQ(d.Drop(data), DWORD(DROPEFFECT_COPY));
    ASSERT_EQ(d.dropped.size(), 1u);
    EXPECT_EQ(d.dropped[0].path.ToU16String(), std::u16string(longPath.begin(), longPath.end()));

    // Nothing it takes: no drop, nobody told.
    FakeData text;
    text.formats[CF_UNICODETEXT] = {'a', 0, 0, 0};
    EXPECT_EQ(d.Drop(text), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(d.dropped.size(), 1u);
}

TEST(DropTargetWin32, VirtualFilesComeWithTheirNameAndOnlyTheBytesThereAre)
{
    UseApplicationCodecs();
    const std::string png = TestSupport::ReadBytes(TestSupport::CachePath("pngsuite/basn2c08.png"));
    const std::vector<std::uint8_t> bytes(png.begin(), png.end());
    const CLIPFORMAT wide = Format(CFSTR_FILEDESCRIPTORW), narrow = Format(CFSTR_FILEDESCRIPTORA),
                     contents = Format(CFSTR_FILECONTENTS);
    struct Case {
        const char *what;
        bool asStream, sized;
        std::uint64_t size;
        std::size_t expected;
    };
    for (const Case c : {Case{"stream, size given", true, true, bytes.size(), bytes.size()},
                         Case{"stream read to its end", true, false, 0, bytes.size()},
                         Case{"stream shorter than said", true, true, bytes.size() + 5000, bytes.size()},
                         Case{"stream longer than said", true, true, 100, 100},
                         Case{"memory", false, true, bytes.size(), bytes.size()}}) {
        SCOPED_TRACE(c.what);
        Dropping d;
        FakeData data;
        data.contentsAsStream = c.asStream;
        data.formats[wide] = Group(Wide(L"Inbox\\Attachment.png", c.sized, c.size));
        data.formats[contents] = bytes;
        EXPECT_EQ(d.Drop(data), DWORD(DROPEFFECT_COPY));
        ASSERT_EQ(d.dropped.size(), 1u);
        const DroppedItem &item = d.dropped[0];
        EXPECT_TRUE(item.path.Empty());
        EXPECT_EQ(item.error.ToStdString(), "");
        EXPECT_EQ(item.name.ToStdString(), "Attachment.png");
        ASSERT_EQ(item.bytes.size(), c.expected);
        EXPECT_TRUE(std::equal(item.bytes.begin(), item.bytes.end(), bytes.begin()));
        if (c.expected == bytes.size()) {
            const SharedPtr<PreparedDocument> document = PrepareMemoryDocument(item.bytes, item.name);
            EXPECT_TRUE(document->firstImage) << document->error.ToStdString();
        }
    }

    // The narrow form when there is no wide one; a descriptor without
    // entries or contents without a descriptor entry are said.
    Dropping d;
    FakeData data;
    FILEDESCRIPTORA a{};
    std::strcpy(a.cFileName, "mail.png");
    data.formats[narrow] = Group(a);
    data.formats[contents] = bytes;
    d.Drop(data);
    data.formats.erase(narrow);
    data.formats[wide] = Group(Wide(L"x.png", false, 0), 0);
    d.Drop(data);
    ASSERT_EQ(d.dropped.size(), 2u);
    EXPECT_EQ(d.dropped[0].name.ToStdString(), "mail.png");
    EXPECT_EQ(d.dropped[0].bytes.size(), bytes.size());
    EXPECT_EQ(d.dropped[1].error.ToStdString(), "the drop describes no file");
    EXPECT_TRUE(d.dropped[1].bytes.empty());
}

} // namespace Brintavolex
