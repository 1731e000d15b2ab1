#include "this/src/OpenDialogFilters.h"

namespace Brintavolex {

namespace {

const TextPair kAllFiles{String("Alle Dateien (*.*)"), String("All files (*.*)")};
constexpr const char *kAllFilesPattern = "*.*";

struct NamedCode {
    std::uint32_t code;
    const char *name;
};

// The codes of <cderr.h>; the values are fixed by the system's interface.
constexpr NamedCode kCommonDialogErrors[] = {
    {0xFFFF, "CDERR_DIALOGFAILURE"},
    {0x0001, "CDERR_STRUCTSIZE"},
    {0x0002, "CDERR_INITIALIZATION"},
    {0x0003, "CDERR_NOTEMPLATE"},
    {0x0004, "CDERR_NOHINSTANCE"},
    {0x0005, "CDERR_LOADSTRFAILURE"},
    {0x0006, "CDERR_FINDRESFAILURE"},
    {0x0007, "CDERR_LOADRESFAILURE"},
    {0x0008, "CDERR_LOCKRESFAILURE"},
    {0x0009, "CDERR_MEMALLOCFAILURE"},
    {0x000A, "CDERR_MEMLOCKFAILURE"},
    {0x000B, "CDERR_NOHOOK"},
    {0x000C, "CDERR_REGISTERMSGFAIL"},
    {0x1001, "PDERR_SETUPFAILURE"},
    {0x1002, "PDERR_PARSEFAILURE"},
    {0x1003, "PDERR_RETDEFFAILURE"},
    {0x1004, "PDERR_LOADDRVFAILURE"},
    {0x1005, "PDERR_GETDEVMODEFAIL"},
    {0x1006, "PDERR_INITFAILURE"},
    {0x1007, "PDERR_NODEVICES"},
    {0x1008, "PDERR_NODEFAULTPRN"},
    {0x1009, "PDERR_DNDMMISMATCH"},
    {0x100A, "PDERR_CREATEICFAILURE"},
    {0x100B, "PDERR_PRINTERNOTFOUND"},
    {0x100C, "PDERR_DEFAULTDIFFERENT"},
    {0x2001, "CFERR_NOFONTS"},
    {0x2002, "CFERR_MAXLESSTHANMIN"},
    {0x3001, "FNERR_SUBCLASSFAILURE"},
    {0x3002, "FNERR_INVALIDFILENAME"},
    {0x3003, "FNERR_BUFFERTOOSMALL"},
    {0x4001, "FRERR_BUFFERLENGTHZERO"},
};

} // namespace

std::vector<FileTypeFilter> OpenDialogFilters(const std::vector<SharedPtr<CodecFactory>> &factories,
                                              unsigned languageIndex)
{
    const unsigned language = languageIndex < kAllFiles.size() ? languageIndex : 1;
    std::vector<FileTypeFilter> filters{{kAllFiles[language], String(kAllFilesPattern)}};
    for (const SharedPtr<CodecFactory> &factory : factories) {
        if (!factory)
            continue;
        String description = factory->GetFilterStrings()[language];
        String patterns = factory->GetExtensions();
        if (description.Empty() || patterns.Empty())
            continue;
        filters.push_back({std::move(description), std::move(patterns)});
    }
    return filters;
}

std::vector<FileTypeFilter> OpenDialogFilters(unsigned languageIndex)
{
    return OpenDialogFilters(GetFactoryList(), languageIndex);
}

String CommonDialogErrorName(std::uint32_t code)
{
    for (const NamedCode &entry : kCommonDialogErrors)
        if (entry.code == code)
            return String(entry.name);
    return String::FromUnsigned(code);
}

} // namespace Brintavolex
