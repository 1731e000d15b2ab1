#include "this/src/Win32/PlugInLoader.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/FileSystem.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/Win32/PlugInBridges.h"

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace Brintavolex {

// ---- The factory ----

IDecoderCPPFromCOMFactory::IDecoderCPPFromCOMFactory(ComPtr<IClassFactory> classFactory)
    : _classFactory(std::move(classFactory))
{
    if (!_classFactory)
        throw std::invalid_argument("IDecoderCPPFromCOMFactory::IDecoderCPPFromCOMFactory: nullptr");
    const ComPtr<BrintavolexIDecoder> decoder = NewDecoder();
    LPSTR text = nullptr;
    CheckPlugInCall(decoder->GetName(&text), "IDecoderCPPFromCOMFactory::GetName");
    _name = TakeCoTaskMemText(text);
    text = nullptr;
    CheckPlugInCall(decoder->GetExtensions(&text), "IDecoderCPPFromCOMFactory::GetExtensions");
    _extensions = TakeCoTaskMemText(text);
    text = nullptr;
    CheckPlugInCall(decoder->GetFilterStringGerman(&text), "IDecoderCPPFromCOMFactory::GetFilterStrings");
    _filters[0] = TakeCoTaskMemText(text);
    text = nullptr;
    CheckPlugInCall(decoder->GetFilterStringEnglish(&text), "IDecoderCPPFromCOMFactory::GetFilterStrings");
    _filters[1] = TakeCoTaskMemText(text);
    if (_extensions.Empty())
        throw Exception("IDecoderCPPFromCOMFactory::GetExtensions: the plug-in names no extension");
}

ComPtr<BrintavolexIDecoder> IDecoderCPPFromCOMFactory::NewDecoder() const
{
    ComPtr<BrintavolexIDecoder> decoder;
    CheckPlugInCall(_classFactory->CreateInstance(nullptr, __uuidof(BrintavolexIDecoder),
                                                  reinterpret_cast<void **>(decoder.Out())),
                    "IDecoderCPPFromCOMFactory::CreateInstance");
    if (!decoder)
        throw Exception("IDecoderCPPFromCOMFactory::CreateInstance: the plug-in returned no decoder");
    return decoder;
}

SharedPtr<IDecoder> IDecoderCPPFromCOMFactory::Create(const SharedPtr<IStream> &stream,
                                                      const SharedPtr<ILogger> &logger, const String &fileName)
{
    if (!stream)
        throw std::invalid_argument("IDecoderCPPFromCOMFactory::Create: stream is nullptr");
    ComPtr<BrintavolexIDecoder> decoder = NewDecoder();
    const ComPtr<IStreamCOMFromCPP> comStream = MakeCom<IStreamCOMFromCPP>(stream);
    const ComPtr<ILoggerCOMFromCPP> comLogger = MakeCom<ILoggerCOMFromCPP>(logger);
    const Bstr name(fileName);
    CheckPlugInCall(decoder->Open(comStream.Get(), comLogger.Get(), name.Get()), "IDecoderCPPFromCOMFactory::Create");
    return MakeShared<IDecoderCPPFromCOM>(std::move(decoder));
}

namespace PlugIn {

namespace {

// Library handles are kept for the process lifetime: plug-in objects may
// live until the end.
struct DataFile {
    HMODULE module = nullptr;
    ~DataFile()
    {
        if (module)
            FreeLibrary(module);
    }
};

String SystemErrorText(const char *call, DWORD code)
{
    return String(call) + " failed with error code " + String::FromUnsigned(code);
}

bool HasTypeLibrary(const std::wstring &path)
{
    DataFile file;
    file.module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!file.module)
        throw Exception(SystemErrorText("LoadLibraryExW", GetLastError()));
    return FindResourceW(file.module, MAKEINTRESOURCEW(1), L"TYPELIB") != nullptr;
}

// The coclasses of the library that implement BrintavolexIDecoder.
std::vector<CLSID> DecoderClasses(ITypeLib &library)
{
    std::vector<CLSID> classes;
    const UINT count = library.GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (library.GetTypeInfoType(i, &kind) != S_OK || kind != TKIND_COCLASS)
            continue;
        ComPtr<ITypeInfo> info;
        CheckPlugInCall(library.GetTypeInfo(i, info.Out()), "ITypeLib::GetTypeInfo");
        TYPEATTR *attributes = nullptr;
        CheckPlugInCall(info->GetTypeAttr(&attributes), "ITypeInfo::GetTypeAttr");
        const CLSID clsid = attributes->guid;
        const WORD implemented = attributes->cImplTypes;
        info->ReleaseTypeAttr(attributes);
        for (WORD j = 0; j < implemented; ++j) {
            HREFTYPE reference = 0;
            ComPtr<ITypeInfo> interfaceInfo;
            if (info->GetRefTypeOfImplType(j, &reference) != S_OK ||
                info->GetRefTypeInfo(reference, interfaceInfo.Out()) != S_OK || !interfaceInfo)
                continue;
            TYPEATTR *interfaceAttributes = nullptr;
            if (interfaceInfo->GetTypeAttr(&interfaceAttributes) != S_OK)
                continue;
            const bool isDecoder = interfaceAttributes->guid == __uuidof(BrintavolexIDecoder);
            interfaceInfo->ReleaseTypeAttr(interfaceAttributes);
            if (isDecoder) {
                classes.push_back(clsid);
                break;
            }
        }
    }
    return classes;
}

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, LPVOID *);

bool EndsWithDll(const std::wstring &name)
{
    if (name.size() < 4)
        return false;
    std::wstring end = name.substr(name.size() - 4);
    for (wchar_t &c : end)
        if (c >= L'A' && c <= L'Z')
            c = wchar_t(c + 32);
    return end == L".dll";
}

// Loading with the altered search path needs a full path.
std::wstring FullPath(const String &path)
{
    const std::wstring given = Win32::ToW(StringExpr(path));
    const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        throw Exception(SystemErrorText("GetFullPathNameW", GetLastError()));
    std::vector<wchar_t> full(needed + 1);
    const DWORD length = GetFullPathNameW(given.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        throw Exception(SystemErrorText("GetFullPathNameW", GetLastError()));
    return std::wstring(full.data(), length);
}

void LogSkipped(const String &path, const char *problem) noexcept
{
    try {
        BRINTAVOLEX_LOG("PlugIn: " + path + ": skipped: " + problem);
    } catch (...) {
    }
}

} // namespace

std::vector<SharedPtr<CodecFactory>> LoadDll(const String &path, bool quiet)
{
    const std::wstring widePath = FullPath(path);
    if (!HasTypeLibrary(widePath)) {
        if (quiet)
            return {};
        throw Exception("no type library");
    }
    ComPtr<ITypeLib> library;
    // REGKIND_NONE: a plug-in never enters the registry.
    CheckPlugInCall(LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, library.Out()), "LoadTypeLibEx");
    const std::vector<CLSID> classes = DecoderClasses(*library);
    if (classes.empty())
        throw Exception("no coclass implements BrintavolexIDecoder");

    // The DLL's own folder first for what it depends on.
    const HMODULE module = LoadLibraryExW(widePath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        throw Exception(SystemErrorText("LoadLibraryExW", GetLastError()));
    const auto getClassObject =
        reinterpret_cast<GetClassObjectFunction>(reinterpret_cast<void *>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject)
        throw Exception("DllGetClassObject not found");
    std::vector<SharedPtr<CodecFactory>> factories;
    for (const CLSID &clsid : classes) {
        ComPtr<IClassFactory> classFactory;
        CheckPlugInCall(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void **>(classFactory.Out())),
                        "DllGetClassObject");
        if (!classFactory)
            throw Exception("DllGetClassObject returned no class factory");
        factories.push_back(MakeShared<IDecoderCPPFromCOMFactory>(std::move(classFactory)));
    }
    return factories;
}

std::vector<SharedPtr<CodecFactory>> ScanFolder(const String &folder)
{
    std::vector<SharedPtr<CodecFactory>> factories;
    const std::wstring pattern = Win32::ToW(StringExpr(Platform::JoinPath(folder, "*.dll")));
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return factories;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        // The pattern also matches longer extensions through short names.
        const std::wstring name = found.cFileName;
        if (!EndsWithDll(name))
            continue;
        const String path = Platform::JoinPath(folder, StringExpr(std::u16string_view(Win32::U(name.c_str()), name.size())));
        try {
            for (SharedPtr<CodecFactory> &factory : LoadDll(path, true))
                factories.push_back(std::move(factory));
        } catch (const std::exception &e) {
            LogSkipped(path, e.what());
        } catch (...) {
            LogSkipped(path, "unknown exception");
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return factories;
}

std::size_t LoadNamedDll(const String &path) noexcept
{
    try {
        std::vector<SharedPtr<CodecFactory>> factories = LoadDll(path, false);
        for (const SharedPtr<CodecFactory> &factory : factories)
            AppendFactory(factory);
        return factories.size();
    } catch (const std::exception &e) {
        LogSkipped(path, e.what());
    } catch (...) {
        LogSkipped(path, "unknown exception");
    }
    return 0;
}

} // namespace PlugIn

std::vector<SharedPtr<CodecFactory>> ScanPlugInFactories() { return PlugIn::ScanFolder(Platform::ExecutableFolder()); }

} // namespace Brintavolex
