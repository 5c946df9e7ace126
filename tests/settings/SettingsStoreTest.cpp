// SPDX-License-Identifier: MIT
#include "settings/SettingsStore.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

QString iniIn(const QString& tag) {
    return mtest::freshDir(tag) + "/Muralo32/Muralo32.ini";
}

TEST(SettingsStore, MissingFileGivesDefaults) {
    SettingsStore store(iniIn("missing"));
    EXPECT_EQ(store.read("TimerTime", "20"), u"20");
    EXPECT_EQ(store.read("QueueName", QString()), QString());
    EXPECT_FALSE(QFileInfo::exists(store.path()));
}

TEST(SettingsStore, WriteCreatesFolderAndSection) {
    SettingsStore store(iniIn("create"));
    ASSERT_TRUE(store.write("EnterTimer", "Off"));
    EXPECT_EQ(mtest::readFile(store.path()), QByteArray("[Muralo32]\nEnterTimer=Off\n"));
    EXPECT_EQ(store.read("EnterTimer", "On"), u"Off");
}

TEST(SettingsStore, NamesMatchWithoutCaseAndKeepFirstSpelling) {
    SettingsStore store(iniIn("case"));
    ASSERT_TRUE(store.write("filealias", "/a.jpg"));
    EXPECT_EQ(store.read("FileAlias", "x"), u"/a.jpg");
    ASSERT_TRUE(store.write("FileAlias", "(None)"));
    EXPECT_EQ(store.read("FILEALIAS", "x"), u"(None)");
    const QByteArray bytes = mtest::readFile(store.path());
    EXPECT_TRUE(bytes.contains("filealias=(None)"));
    EXPECT_FALSE(bytes.contains("FileAlias"));
    EXPECT_EQ(bytes.count('='), 1);
}

TEST(SettingsStore, ValuesRoundTripAnyText) {
    SettingsStore store(iniIn("roundtrip"));
    const QStringList texts = {QString(),
                               "plain",
                               "  leading and trailing  ",
                               "back\\slash\\n not a newline",
                               "two\nlines\r\nand CR",
                               "ends with backslash\\",
                               "equals = inside; [brackets] # hash",
                               QString::fromUtf8("ünïcödé ☃ /home/ü/pics"),
                               QString("nul") + QChar(0) + "inside"};
    for (int i = 0; i < texts.size(); ++i) {
        const QString name = QString("Value%1").arg(i);
        ASSERT_TRUE(store.write(name, texts.at(i))) << i;
    }
    SettingsStore other(store.path());
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(other.read(QString("Value%1").arg(i), "?"), texts.at(i)) << i;
    // Each value stays on one line.
    EXPECT_EQ(mtest::readFile(store.path()).count('\n'), texts.size() + 1);
}

TEST(SettingsStore, RejectsNamesTheFileCannotHold) {
    SettingsStore store(iniIn("names"));
    EXPECT_FALSE(store.write(QString(), "x"));
    EXPECT_FALSE(store.write("a=b", "x"));
    EXPECT_FALSE(store.write("two\nlines", "x"));
    EXPECT_FALSE(store.write("[Other]", "x"));
    EXPECT_FALSE(QFileInfo::exists(store.path()));
}

TEST(SettingsStore, SecondObjectSeesWritesAtOnce) {
    SettingsStore a(iniIn("shared"));
    SettingsStore b(a.path());
    EXPECT_EQ(b.read("TimerTime", "20"), u"20");
    ASSERT_TRUE(a.write("TimerTime", "5"));
    EXPECT_EQ(b.read("TimerTime", "20"), u"5");
    ASSERT_TRUE(b.write("timertime", "7.5"));
    EXPECT_EQ(a.read("TimerTime", "20"), u"7.5");
    // Same size, written within the same second: still seen.
    ASSERT_TRUE(a.write("TimerTime", "8.5"));
    EXPECT_EQ(b.read("TimerTime", "20"), u"8.5");
}

TEST(SettingsStore, KeepsOtherSectionsCommentsAndUnknownLines) {
    SettingsStore store(iniIn("keep"));
    QDir().mkpath(QFileInfo(store.path()).absolutePath());
    const QByteArray before = "; hand-written comment\r\n"
                              "[Other]\n"
                              "TimerTime=99\n"
                              "\n"
                              "[muralo32]\n"
                              "  TimerTime = 3\n"
                              "this line is not a value\n"
                              "Gamma\xff\xfe=broken\n"
                              "\n"
                              "[Tail]\n"
                              "x=1";
    ASSERT_TRUE(mtest::writeFile(store.path(), before));
    // Other sections are not ours; the section name matches without case; blanks around names are allowed.
    EXPECT_EQ(store.read("TimerTime", "20"), u" 3");
    EXPECT_EQ(store.read("x", "none"), u"none");

    ASSERT_TRUE(store.write("ShowFileErrors", "True"));
    const QByteArray after = mtest::readFile(store.path());
    EXPECT_EQ(after, QByteArray("; hand-written comment\r\n"
                                "[Other]\n"
                                "TimerTime=99\n"
                                "\n"
                                "[muralo32]\n"
                                "  TimerTime = 3\n"
                                "this line is not a value\n"
                                "Gamma\xff\xfe=broken\n"
                                "ShowFileErrors=True\n"
                                "\n"
                                "[Tail]\n"
                                "x=1\n"));
    ASSERT_TRUE(store.write("TimerTime", "4"));
    EXPECT_TRUE(mtest::readFile(store.path()).contains("\nTimerTime=4\nthis line is not a value\n"));
    EXPECT_EQ(store.read("timertime", "20"), u"4");
}

TEST(SettingsStore, DamagedFileGivesDefaultsAndIsNotMadeWorse) {
    SettingsStore store(iniIn("damaged"));
    QDir().mkpath(QFileInfo(store.path()).absolutePath());
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 37 + 11) % 256);
    garbage.replace('\n', 'x'); // one long line of binary noise
    ASSERT_TRUE(mtest::writeFile(store.path(), garbage));
    EXPECT_EQ(store.read("TimerTime", "20"), u"20");
    EXPECT_EQ(store.read("QueueName", "q"), u"q");

    ASSERT_TRUE(store.write("TimerTime", "5"));
    const QByteArray after = mtest::readFile(store.path());
    EXPECT_TRUE(after.startsWith(garbage)) << "the damaged bytes must survive a write";
    EXPECT_EQ(store.read("TimerTime", "20"), u"5");
}

TEST(SettingsStore, UnreadableFileIsNeverReplaced) {
    SettingsStore store(iniIn("unreadable"));
    QDir().mkpath(QFileInfo(store.path()).absolutePath());
    const QByteArray before = "[Muralo32]\nTimerTime=5\n";
    ASSERT_TRUE(mtest::writeFile(store.path(), before));
    ASSERT_TRUE(QFile::setPermissions(store.path(), QFileDevice::WriteOwner));
    QFile probe(store.path());
    if (probe.open(QIODevice::ReadOnly)) {
        QFile::setPermissions(store.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        GTEST_SKIP() << "running with rights that read any file";
    }
    EXPECT_EQ(store.read("TimerTime", "20"), u"20");
    EXPECT_FALSE(store.write("TimerTime", "6"));
    ASSERT_TRUE(QFile::setPermissions(store.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(mtest::readFile(store.path()), before);
}

TEST(SettingsStore, OversizedFileIsLeftAlone) {
    // Far beyond any settings file: not parsed, and never rewritten from a partial read.
    SettingsStore store(iniIn("oversized"));
    QDir().mkpath(QFileInfo(store.path()).absolutePath());
    QByteArray big = "[Muralo32]\nTimerTime=5\n";
    big += QByteArray(8 * 1024 * 1024, 'z');
    ASSERT_TRUE(mtest::writeFile(store.path(), big));
    EXPECT_EQ(store.read("TimerTime", "20"), u"20");
    EXPECT_FALSE(store.write("TimerTime", "6"));
    EXPECT_EQ(mtest::readFile(store.path()), big);
}

TEST(SettingsStore, FolderInPlaceOfFileFailsTheWrite) {
    SettingsStore store(iniIn("folder"));
    ASSERT_TRUE(QDir().mkpath(store.path()));
    EXPECT_EQ(store.read("TimerTime", "20"), u"20");
    EXPECT_FALSE(store.write("TimerTime", "6"));
    EXPECT_TRUE(QFileInfo(store.path()).isDir());
}

TEST(SettingsStore, ConcurrentWritersLoseNothing) {
    const QString path = iniIn("concurrent");
    constexpr int kWriters = 4;
    constexpr int kValues = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&path, w] {
            SettingsStore store(path);
            for (int v = 0; v < kValues; ++v)
                store.write(QString("W%1V%2").arg(w).arg(v), QString::number(v * w));
        });
    }
    for (std::thread& t : writers)
        t.join();
    SettingsStore store(path);
    for (int w = 0; w < kWriters; ++w)
        for (int v = 0; v < kValues; ++v)
            EXPECT_EQ(store.read(QString("W%1V%2").arg(w).arg(v), "lost"), QString::number(v * w)) << w << " " << v;
}

TEST(SettingsStore, DefaultPathFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/some/where");
    EXPECT_EQ(SettingsStore::defaultPath(), u"/some/where/Muralo32/Muralo32.ini");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStore::defaultPath(), QDir::homePath() + "/.config/Muralo32/Muralo32.ini");
    qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
