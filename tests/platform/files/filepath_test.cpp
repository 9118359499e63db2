#include "platform/files/filepath.h"
#include "platform/files/filenames.h"

#include <gtest/gtest.h>

using namespace tunora;
using namespace Qt::StringLiterals;

namespace {

// "歌曲" in GBK: not UTF-8, so each byte is held as an escape.
const QByteArray kGbk("\xB8\xE8\xC7\xFA");

} // namespace

TEST(FilePath, KeepsEveryByteThroughJoinFolderAndCleaning)
{
    const FilePath top = FilePath::fromBytes("/music/" + kGbk);
    EXPECT_EQ(top.bytes(), "/music/" + kGbk);
    EXPECT_EQ((top / u"a.mp3"_s).bytes(), "/music/" + kGbk + "/a.mp3");
    EXPECT_EQ((top / u"a.mp3"_s).folder(), top);
    EXPECT_EQ(FilePath::fromBytes("/music/./" + kGbk + "/x/../").cleaned(), top);
    EXPECT_EQ(top.folder().bytes(), "/music");
    EXPECT_EQ(encodeFileName(top.fileName()), kGbk);
    EXPECT_EQ(encodeFileName((top / u"a.mp3"_s).fileName()), "a.mp3");
}

TEST(FilePath, JoinAddsOneSeparatorAndFolderGoesUpOne)
{
    struct Join { QString dir, name, joined; };
    for (const Join &c : {Join{u"/a"_s, u"b.mp3"_s, u"/a/b.mp3"_s}, Join{u"/a/"_s, u"b.mp3"_s, u"/a/b.mp3"_s},
                          Join{u"/"_s, u"b"_s, u"/b"_s}, Join{QString(), u"b.mp3"_s, u"b.mp3"_s},
                          Join{u"a"_s, u"b/c"_s, u"a/b/c"_s}}) {
        SCOPED_TRACE(c.dir.toStdString());
        EXPECT_EQ((FilePath(c.dir) / c.name).text(), c.joined);
    }

    struct Up { QString path, folder; };
    for (const Up &c : {Up{u"/a/b"_s, u"/a"_s}, Up{u"/a/b/"_s, u"/a"_s}, Up{u"/a"_s, u"/"_s},
                        Up{u"/"_s, u"/"_s}, Up{u"a/b"_s, u"a"_s}, Up{u"a"_s, QString()}}) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(FilePath(c.path).folder().text(), c.folder);
    }

    struct Name { QString path, name; };
    for (const Name &c : {Name{u"/a/b.mp3"_s, u"b.mp3"_s}, Name{u"b.mp3"_s, u"b.mp3"_s}, Name{u"a/b"_s, u"b"_s},
                          Name{u"/a/"_s, QString()}, Name{u"/"_s, QString()}, Name{QString(), QString()}}) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(FilePath(c.path).fileName(), c.name);
    }
    EXPECT_TRUE(FilePath(u"/a"_s).isAbsolute());
    EXPECT_FALSE(FilePath(u"a/b"_s).isAbsolute());
}
