// SPDX-License-Identifier: MIT
#include "startup/StartUp.h"
#include "settings/SettingsStore.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points TMPDIR somewhere else for one test.
class TempDirOverride {
public:
    explicit TempDirOverride(const QString& path) : m_saved(qgetenv("TMPDIR")) {
        qputenv("TMPDIR", path.toLocal8Bit());
    }
    ~TempDirOverride() { qputenv("TMPDIR", m_saved); }

private:
    QByteArray m_saved;
};

class QueueResolution : public testing::Test {
protected:
    void SetUp() override {
        m_root = mtest::freshDir("queue");
        m_program = m_root + "/prog/";
        QDir().mkpath(m_program);
        m_store = std::make_unique<SettingsStore>(m_root + "/cfg/Muralo32.ini");
    }
    QString makeFile(const QString& name) {
        const QString path = m_root + "/" + name;
        EXPECT_TRUE(mtest::writeFile(path, "x"));
        return path;
    }
    QString untitled() const { return m_program + "untitled.qu3"; }

    QString m_root;
    QString m_program;
    std::unique_ptr<SettingsStore> m_store;
};

TEST_F(QueueResolution, CommandLineFileEndingInQu3IsUsedAndStored) {
    for (const QString& name : {QString("a.QU3"), QString("b.qu3"), QString("c.Qu3"), QString("queuexqu3")}) {
        const QString path = makeFile(name);
        EXPECT_EQ(resolveQueueFile(*m_store, m_program, path), path);
        EXPECT_EQ(m_store->read("QueueName", "?"), path);
    }
}

TEST_F(QueueResolution, UnusableNamesFallBackToUntitled) {
    const QString wrongEnding = makeFile("notes.txt");
    const QString almost = makeFile("queue.qu");
    QDir().mkpath(m_root + "/folder.qu3");
    const QStringList bad = {m_root + "/missing.qu3", wrongEnding, almost, m_root + "/folder.qu3", QString()};
    for (const QString& name : bad) {
        m_store->write("QueueName", "stale");
        EXPECT_EQ(resolveQueueFile(*m_store, m_program, name), untitled()) << name.toStdString();
        EXPECT_EQ(m_store->read("QueueName", "?"), untitled());
    }
}

TEST_F(QueueResolution, WithoutArgumentTheStoredNameIsUsed) {
    EXPECT_EQ(resolveQueueFile(*m_store, m_program, std::nullopt), untitled());
    const QString stored = makeFile("last.qu3");
    m_store->write("queuename", stored);
    EXPECT_EQ(resolveQueueFile(*m_store, m_program, std::nullopt), stored);
    QFile::remove(stored);
    EXPECT_EQ(resolveQueueFile(*m_store, m_program, std::nullopt), untitled());
    EXPECT_EQ(m_store->read("QueueName", "?"), untitled());
}

TEST_F(QueueResolution, CommandLineWinsOverStoredName) {
    m_store->write("QueueName", makeFile("stored.qu3"));
    const QString given = makeFile("given.qu3");
    EXPECT_EQ(resolveQueueFile(*m_store, m_program, given), given);
}

TEST_F(QueueResolution, RelativeArgumentIsStoredAbsolute) {
    const QString path = makeFile("rel.qu3");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root));
    const QString resolved = resolveQueueFile(*m_store, m_program, QString("rel.qu3"));
    QDir::setCurrent(saved);
    EXPECT_EQ(QFileInfo(resolved).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(resolved).isAbsolute());
    EXPECT_EQ(m_store->read("QueueName", "?"), resolved);
}

TEST(TempFolder, MissingSystemFolderMeansProgramFolder) {
    const QString root = mtest::freshDir("tempres");
    SettingsStore store(root + "/Muralo32.ini");
    const QString program = root + "/prog/";
    EXPECT_EQ(resolveTempFolder(store, program, root + "/does-not-exist"), program);
    EXPECT_EQ(resolveTempFolder(store, program, QString()), program);
    EXPECT_EQ(resolveTempFolder(store, program, root), root);
    store.write("TempDirectory", "/chosen/by/user");
    EXPECT_EQ(resolveTempFolder(store, program, root), u"/chosen/by/user");
    EXPECT_EQ(resolveTempFolder(store, program, QString()), u"/chosen/by/user");
}

TEST(TempFolder, PerUserFolderIsPrivate) {
    const QString tmp = mtest::freshDir("systmp");
    TempDirOverride over(tmp);
    const QString expected = tmp + "/muralo32-" + QString::number(::getuid());
    EXPECT_EQ(systemTempFolder(), expected);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(expected).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // An existing folder of ours that others could write into is made private again.
    ASSERT_EQ(::chmod(QFile::encodeName(expected).constData(), 0777), 0);
    EXPECT_EQ(systemTempFolder(), expected);
    ASSERT_EQ(::lstat(QFile::encodeName(expected).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(TempFolder, PreparedTrapsAreRefused) {
    const QString uid = QString::number(::getuid());
    {
        const QString tmp = mtest::freshDir("systmp-link");
        const QString target = mtest::freshDir("elsewhere");
        ASSERT_TRUE(QFile::link(target, tmp + "/muralo32-" + uid));
        TempDirOverride over(tmp);
        EXPECT_EQ(systemTempFolder(), QString());
    }
    {
        const QString tmp = mtest::freshDir("systmp-file");
        ASSERT_TRUE(mtest::writeFile(tmp + "/muralo32-" + uid, "not a folder"));
        TempDirOverride over(tmp);
        EXPECT_EQ(systemTempFolder(), QString());
    }
    {
        const QString file = mtest::freshDir("systmp-none") + "/plain-file";
        ASSERT_TRUE(mtest::writeFile(file, "x"));
        TempDirOverride over(file + "/below-a-file");
        EXPECT_EQ(systemTempFolder(), QString());
    }
}

TEST(HelpFile, LocalHelpFirstThenInstalled) {
    const QString prefix = mtest::freshDir("prefix");
    const QString bin = prefix + "/bin/";
    QDir().mkpath(bin);
    EXPECT_EQ(helpFilePath(bin), prefix + "/share/muralo32/help/index.html");
    QDir().mkpath(bin + "help");
    ASSERT_TRUE(mtest::writeFile(bin + "help/index.html", "<html></html>"));
    EXPECT_EQ(helpFilePath(bin), bin + "help/index.html");
}

class StartUpRun : public testing::Test {
protected:
    void SetUp() override {
        m_root = mtest::freshDir("startup");
        m_program = m_root + "/bin/";
        QDir().mkpath(m_program);
        m_store = std::make_unique<SettingsStore>(m_root + "/cfg/Muralo32.ini");
    }
    QString m_root;
    QString m_program;
    std::unique_ptr<SettingsStore> m_store;
};

TEST_F(StartUpRun, FirstInstanceFillsContextAndWritesItsSettings) {
    const QString tmp = mtest::freshDir("run-tmp");
    TempDirOverride over(tmp);
    AppContext context;
    bool checked = false;
    const bool run = StartUp::run(context, *m_store, m_program + "muralo32", std::nullopt, [&] {
        checked = true;
        // Nothing may be written before the instance question is settled.
        EXPECT_FALSE(QFileInfo::exists(m_store->path()));
        return false;
    });
    ASSERT_TRUE(run);
    EXPECT_TRUE(checked);
    EXPECT_EQ(context.title, u"Muralo32 Wallpaper Manager");
    EXPECT_EQ(context.programFolder, m_program);
    EXPECT_FALSE(context.updating);
    const QString temp = tmp + "/muralo32-" + QString::number(::getuid());
    EXPECT_EQ(context.tempFolder, temp);
    EXPECT_EQ(context.wallpaperBitmap, temp + "/muralo32.bmp");
    EXPECT_EQ(context.queueFile, m_program + "untitled.qu3");
    EXPECT_EQ(m_store->read("MuraloPath", "?"), m_program);
    EXPECT_EQ(m_store->read("QueueName", "?"), m_program + "untitled.qu3");
    // TempDirectory is written only by its dialog.
    EXPECT_EQ(m_store->read("TempDirectory", "unset"), u"unset");
}

TEST_F(StartUpRun, NoUsableTempFolderPutsTheBitmapInTheProgramFolder) {
    const QString file = m_root + "/plain-file";
    ASSERT_TRUE(mtest::writeFile(file, "x"));
    TempDirOverride over(file + "/nowhere");
    AppContext context;
    ASSERT_TRUE(StartUp::run(context, *m_store, m_program + "muralo32", std::nullopt, [] { return false; }));
    EXPECT_EQ(context.tempFolder, m_program);
    EXPECT_EQ(context.wallpaperBitmap, m_program + "/muralo32.bmp");
}

TEST_F(StartUpRun, SecondInstanceWritesNothingAndIgnoresItsQueue) {
    m_store->write("QueueName", "/old/queue.qu3");
    const QByteArray before = mtest::readFile(m_store->path());
    const QString queue = m_root + "/other.qu3";
    ASSERT_TRUE(mtest::writeFile(queue, "x"));
    AppContext context;
    EXPECT_FALSE(StartUp::run(context, *m_store, m_program + "muralo32", queue, [] { return true; }));
    EXPECT_EQ(mtest::readFile(m_store->path()), before);
    EXPECT_TRUE(context.queueFile.isEmpty());
}

} // namespace
