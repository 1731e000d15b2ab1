#pragma once

// What every registry-like back end must do, checked the same way for the
// registry under Wine and for the tree in memory natively.

#include "Interface/api/PropertyReaderWriter.h"

#include <gtest/gtest.h>

#include <functional>

namespace Brintavolex::TestSupport {

// writerAt/readerAt open the same place of the back end.
inline void CheckPropertyBackEnd(const std::function<SharedPtr<PropertyWriter>()> &writerAt,
                                 const std::function<SharedPtr<PropertyReader>()> &readerAt)
{
    const String umlauts(StringExpr(u"Grö\u00dfe – 90°"));
    {
        const SharedPtr<PropertyWriter> writer = writerAt();
        writer->WriteString("Text", umlauts);
        writer->WriteString("Empty", String());
        writer->WriteUInt32("Number", 0xFFFFFFFFu);
        writer->EnterTree("Sub")->EnterTree("Deeper")->WriteUInt32("Value", 7);
        writer->EnterTree("EmptyKey");
        writer->EnterTree("Full")->WriteString("Kept", "yes");
    }
    const SharedPtr<PropertyReader> reader = readerAt();
    String text;
    reader->ReadString("Text", &text);
    EXPECT_EQ(text.ToU16String(), umlauts.ToU16String());
    reader->ReadString("Empty", &text);
    EXPECT_TRUE(text.Empty());
    UInt32 number = 0;
    reader->ReadUInt32("Number", &number);
    EXPECT_EQ(number, 0xFFFFFFFFu);
    reader->EnterTree("Sub")->EnterTree("Deeper")->ReadUInt32("Value", &number);
    EXPECT_EQ(number, 7u);
    EXPECT_ANY_THROW(reader->ReadString("Missing", &text));
    EXPECT_ANY_THROW(reader->ReadUInt32("Text", &number)); // a string is no number
    EXPECT_ANY_THROW(reader->EnterTree("MissingKey"));

    const SharedPtr<PropertyWriter> writer = writerAt();
    writer->DeleteTreeIfEmpty("EmptyKey");
    writer->DeleteTreeIfEmpty("Full");
    EXPECT_ANY_THROW(readerAt()->EnterTree("EmptyKey"));
    EXPECT_NO_THROW(readerAt()->EnterTree("Full"));
    writer->DeleteTree("Sub");
    EXPECT_ANY_THROW(readerAt()->EnterTree("Sub"));
    writer->DeleteValue("Number");
    EXPECT_ANY_THROW(readerAt()->ReadUInt32("Number", &number));
}

} // namespace Brintavolex::TestSupport
