#include "platform/files/gbkcodec.h"
#include "platform/settings/inidocument.h"

#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

// A GBK write whose bytes are also valid UTF-8 must not read back as the UTF-8 text.
TEST(IniDocument, GbkBytesThatAreValidUtf8ReadBackAsWritten)
{
    // 茅 is C3 A9 in GBK, which UTF-8 reads as é.
    ASSERT_EQ(encodeGbk(u"茅"_s), QByteArray("\xC3\xA9"));
    struct Case {
        const char *what;
        QByteArray file;
    };
    const Case cases[] = {
        {"new file", {}},
        {"ASCII file, key replaced", "[Settings]\r\nParam=old\r\n"},
        {"ASCII file, key added", "[Settings]\nOther=1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        IniDocument document(c.file);
        ASSERT_TRUE(document.setValue(u"Settings"_s, u"Param"_s, u"茅"_s));
        const QByteArray written = document.toBytes();
        EXPECT_EQ(IniDocument(written).value(u"Settings"_s, u"Param"_s), u"茅"_s) << written.toHex().toStdString();
        EXPECT_EQ(IniDocument(written).encoding(), IniDocument::Encoding::Utf8);
    }
}

TEST(IniDocument, GbkFileWithOtherGbkTextStaysGbk)
{
    // The GBK section name makes the file invalid UTF-8, so 茅's bytes are unambiguous here.
    IniDocument document(encodeGbk(u"[歌曲目录]\r\n路径=D:\\\r\n"_s));
    ASSERT_TRUE(document.setValue(u"歌曲目录"_s, u"路径"_s, u"茅"_s));
    EXPECT_EQ(document.toBytes(), encodeGbk(u"[歌曲目录]\r\n路径=茅\r\n"_s));
}
