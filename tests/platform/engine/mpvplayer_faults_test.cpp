// The real engine with awkward song files: names a shell or a URL parser would trip on,
// names that are not UTF-8, and files that are not (whole) songs.
#include "support/fixturefiles.h"
#include "support/filepaths.h"

#include "platform/files/filenames.h"
#include "platform/engine/mpvplayer.h"
#include "platform/numbers/numbers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

using namespace tunora;
using namespace tunora::test;

namespace {

constexpr int kTimeoutMs = 20000;

// A folder whose files are made and removed by their raw name bytes.
class RawFolder {
public:
    ~RawFolder()
    {
        for (const QByteArray &path : m_made)
            ::unlink(path.constData());
    }
    bool isValid() const { return m_dir.isValid(); }
    // The file's path as the program holds it.
    QString add(const QByteArray &name, const QByteArray &content)
    {
        const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool ok = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
        if (fd >= 0)
            ::close(fd);
        if (!ok)
            ADD_FAILURE() << "cannot write " << name.toHex().toStdString();
        m_made.append(path);
        return decodeFileName(path);
    }

private:
    QTemporaryDir m_dir;
    QList<QByteArray> m_made;
};

// Waits until the player reports one of the states.
bool waitForState(MediaPlayer &player, std::initializer_list<PlayState> states)
{
    return QTest::qWaitFor([&] { return std::find(states.begin(), states.end(), player.playState()) != states.end(); },
                           kTimeoutMs);
}

class MpvPlayerFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        QString error;
        m_player = MpvPlayer::create(&error);
        ASSERT_NE(m_player, nullptr) << error.toStdString();
    }
    void TearDown() override
    {
        if (m_player)
            m_player->stop();
    }

    // Plays the one-item playlist `path`; true once it plays with the given duration.
    bool plays(const QString &path, double seconds)
    {
        m_player->setPlaylist(filePaths({path}));
        m_player->playItem(0);
        const bool playing = QTest::qWaitFor(
            [&] { return m_player->playState() == PlayState::Playing && m_player->currentSource().text() == path; },
            kTimeoutMs);
        return playing && std::abs(m_player->duration() - seconds) < 0.1;
    }

    RawFolder m_folder;
    std::unique_ptr<MpvPlayer> m_player;
};

} // namespace

TEST_F(MpvPlayerFaults, SongsWithAwkwardNamesPlay)
{
    const QByteArray song = fixtureBytes("tone-1s.mp3");
    const QByteArray names[] = {
        "with  spaces .mp3",
        "quotes ' and \".mp3",
        "#hash#.mp3",
        "100% %41%2e.mp3", // would change under URL decoding
        "star * and ? mark.mp3",
        "-leading dash.mp3",
        "--start=0.5.mp3", // looks like an engine option
        "file:colon.mp3",
        "back\\slash.mp3",
        "\xb8\xe8\xc7\xfa \xff.mp3", // GBK bytes, and one no encoding has
        QByteArray(251, 'x') + ".mp3", // as long as a name can be
    };
    for (const QByteArray &name : names) {
        SCOPED_TRACE(name.left(40).toStdString());
        const QString path = m_folder.add(name, song);
        ASSERT_TRUE(plays(path, 1.0)) << int(m_player->playState());
        EXPECT_LT(m_player->currentPosition(), 0.4); // not started at an option's position
        EXPECT_EQ(encodeFileName(m_player->currentSource().text()), encodeFileName(path));
    }
}

TEST_F(MpvPlayerFaults, FilesThatAreNotWholeSongsNeitherHangNorStopTheNextSong)
{
    const QByteArray song = fixtureBytes("tone-2s.mp3");
    std::mt19937 random(11);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char &c : noise)
        c = char(random() & 0xff);
    const struct {
        const char *name;
        QByteArray content;
    } cases[] = {
        {"empty.mp3", {}},
        {"random.mp3", noise},
        {"truncated.mp3", song.left(song.size() / 2)},
        {"only the tag.mp3", song.left(10)},
    };
    const QString good = m_folder.add("good.mp3", fixtureBytes("tone-1s.mp3"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = m_folder.add(c.name, c.content);
        m_player->setPlaylist(filePaths({path, good}));
        m_player->playItem(0);
        // Either it plays what there is, or the player stops; it never sits waiting.
        ASSERT_TRUE(waitForState(*m_player, {PlayState::Playing, PlayState::Stopped}));
        m_player->stop();
        ASSERT_TRUE(waitForState(*m_player, {PlayState::Stopped}));
        ASSERT_TRUE(plays(good, 1.0)) << "the next song no longer plays";
        m_player->stop();
    }
}
