// SPDX-License-Identifier: MIT
#include "settings/SettingsStore.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <thread>
#include <vector>

namespace {

QString iniIn(const QString& tag) {
    return mtest::freshDir(tag) + "/Muralo32/Muralo32.ini";
}

// Names match without case, and the first spelling stays in the file.
TEST(SettingsStore, DefaultsUntilWrittenThenEveryObjectSeesTheWriteAtOnce) {
    SettingsStore a(iniIn("shared"));
    SettingsStore b(a.path());
    EXPECT_EQ(b.read("TimerTime", "20"), u"20");
    EXPECT_FALSE(QFileInfo::exists(a.path()));
    ASSERT_TRUE(a.write("timertime", "5"));
    EXPECT_EQ(b.read("TimerTime", "20"), u"5");
    ASSERT_TRUE(b.write("TimerTime", "7.5"));
    EXPECT_EQ(a.read("TIMERTIME", "20"), u"7.5");
    // Same size, written within the same second: still seen.
    ASSERT_TRUE(a.write("TimerTime", "8.5"));
    EXPECT_EQ(b.read("TimerTime", "20"), u"8.5");
    // The first write made the folder, the file and the section.
    EXPECT_EQ(mtest::readFile(a.path()), QByteArray("[Muralo32]\ntimertime=8.5\n"));
}

TEST(SettingsStore, ValuesRoundTripAnyTextOnOneLineAndBadNamesAreRefused) {
    SettingsStore store(iniIn("roundtrip"));
    for (const QString& name : {QString(), QString("a=b"), QString("two\nlines"), QString("[Other]")})
        EXPECT_FALSE(store.write(name, "x")) << name.toStdString();
    EXPECT_FALSE(QFileInfo::exists(store.path()));

    const QStringList texts = {QString(),
                               "plain",
                               "  leading and trailing  ",
                               "back\\slash\\n not a newline",
                               "two\nlines\r\nand CR",
                               "ends with backslash\\",
                               "equals = inside; [brackets] # hash",
                               QString::fromUtf8("ünïcödé ☃ /home/ü/pics"),
                               QString("nul") + QChar(0) + "inside"};
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(store.write(QString("Value%1").arg(i), texts.at(i))) << i;
    SettingsStore other(store.path());
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(other.read(QString("Value%1").arg(i), "?"), texts.at(i)) << i;
    EXPECT_EQ(mtest::readFile(store.path()).count('\n'), texts.size() + 1);
}

TEST(SettingsStore, KeepsOtherSectionsCommentsAndUnknownLines) {
    SettingsStore store(iniIn("keep"));
    const QByteArray ours = "[muralo32]\n"
                            "  TimerTime = 3\n"
                            "this line is not a value\n"
                            "Gamma\xff\xfe=broken\n";
    const QByteArray others = "\n[Tail]\nx=1";
    ASSERT_TRUE(mtest::writeFile(store.path(), "; hand-written comment\r\n[Other]\nTimerTime=99\n\n" + ours + others));
    // Other sections are not ours; the section name matches without case; blanks around names are allowed.
    EXPECT_EQ(store.read("TimerTime", "20"), u" 3");
    EXPECT_EQ(store.read("x", "none"), u"none");

    // A new name goes after the last line of our section; nothing else moves.
    ASSERT_TRUE(store.write("ShowFileErrors", "True"));
    EXPECT_EQ(mtest::readFile(store.path()),
              "; hand-written comment\r\n[Other]\nTimerTime=99\n\n" + ours + "ShowFileErrors=True\n" + others + "\n");
    ASSERT_TRUE(store.write("TimerTime", "4"));
    EXPECT_TRUE(mtest::readFile(store.path()).contains("\nTimerTime=4\nthis line is not a value\n"));
}

TEST(SettingsStore, UnusableFilesGiveDefaultsAndAreNeverMadeWorse) {
    QByteArray noise(4096, 0);
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 37 + 11) % 256);
    noise.replace('\n', 'x'); // one long line of binary noise
    const QByteArray small = "[Muralo32]\nTimerTime=5\n";
    // Far beyond any settings file: not parsed, and never rewritten from a partial read.
    const QByteArray oversized = small + QByteArray(8 * 1024 * 1024, 'z');
    enum class File { Damaged, Unreadable, Oversized, Folder };
    using F = std::pair<File, QByteArray>;
    for (const auto& [kind, before] :
         {F{File::Damaged, noise}, F{File::Unreadable, small}, F{File::Oversized, oversized}, F{File::Folder, {}}}) {
        SCOPED_TRACE(int(kind));
        SettingsStore store(iniIn("unusable"));
        ASSERT_TRUE(kind == File::Folder ? QDir().mkpath(store.path()) : mtest::writeFile(store.path(), before));
        if (kind == File::Unreadable) {
            QFile::setPermissions(store.path(), QFileDevice::WriteOwner);
            if (QFile(store.path()).open(QIODevice::ReadOnly)) continue; // running with rights to read any file
        }
        EXPECT_EQ(store.read("TimerTime", "20"), u"20");
        // Only the damaged file is written to, and its bytes survive the write.
        EXPECT_EQ(store.write("TimerTime", "6"), kind == File::Damaged);
        EXPECT_TRUE(kind != File::Damaged || store.read("TimerTime", "20") == u"6");
        QFile::setPermissions(store.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QByteArray after = mtest::readFile(store.path());
        EXPECT_EQ(kind == File::Damaged ? after.left(before.size()) : after, before);
        EXPECT_EQ(QFileInfo(store.path()).isDir(), kind == File::Folder);
    }
}

TEST(SettingsStore, ConcurrentWritersLoseNothingAndAStaleLockDoesNotBlock) {
    const QString path = iniIn("concurrent");
    // Left by a writer that crashed long ago.
    ASSERT_TRUE(mtest::writeFile(path + ".lock", "99999999\nmuralo32\n"));
    QFile lock(path + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lock.close();
    constexpr int kWriters = 4;
    constexpr int kValues = 25;
    std::vector<std::jthread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&path, w] {
            SettingsStore store(path);
            for (int v = 0; v < kValues; ++v)
                EXPECT_TRUE(store.write(QString("W%1V%2").arg(w).arg(v), QString::number(v * w)));
        });
    writers.clear(); // joins them
    SettingsStore store(path);
    for (int w = 0; w < kWriters; ++w)
        for (int v = 0; v < kValues; ++v)
            EXPECT_EQ(store.read(QString("W%1V%2").arg(w).arg(v), "lost"), QString::number(v * w)) << w << " " << v;
}

TEST(SettingsStore, DefaultPathFollowsAnAbsoluteXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/some/where");
    EXPECT_EQ(SettingsStore::defaultPath(), u"/some/where/Muralo32/Muralo32.ini");
    for (const char* ignored : {"relative/where", ""}) {
        qputenv("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(SettingsStore::defaultPath(), QDir::homePath() + "/.config/Muralo32/Muralo32.ini") << ignored;
    }
    qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
