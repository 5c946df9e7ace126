// SPDX-License-Identifier: MIT
#include "startup/StartUp.h"
#include "settings/SettingsStore.h"
#include "wallpaper/RandomGenerator.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <tuple>

namespace {

QString perUserTemp(const QString& base) {
    return base + "/muralo32-" + QString::number(::getuid());
}

// A folder with a program folder, a settings file and a plain file, canonical so that the
// working folder reads back the same.
class StartUpFolders : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(m_program));
        ASSERT_TRUE(mtest::writeFile(m_plainFile, "x"));
    }
    // Each test points TMPDIR where it needs it; the next test gets it back.
    void TearDown() override { qputenv("TMPDIR", m_savedTemp); }
    static void setSystemTemp(const QString& path) { qputenv("TMPDIR", path.toLocal8Bit()); }
    QString untitled() const { return m_program + "untitled.qu3"; }

    const QByteArray m_savedTemp = qgetenv("TMPDIR");
    const QString m_root = QFileInfo(mtest::freshDir("startup")).canonicalFilePath();
    const QString m_program = m_root + "/bin/";
    const QString m_plainFile = m_root + "/plain-file";
    SettingsStore m_store{m_root + "/cfg/Muralo32.ini"};
};

// Named files are in the test folder; each argument is given both absolute and relative to the working folder.
TEST_F(StartUpFolders, ChosenQueueIsUsedAndStoredAbsolute) {
    for (const QString name : {"a.QU3", "b.qu3", "c.Qu3", "queuexqu3", "notes.txt", "queue.qu", "given.qu3"})
        ASSERT_TRUE(mtest::writeFile(m_root + "/" + name, "x"));
    QDir().mkpath(m_root + "/folder.qu3");
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root));
    // QueueName before the start, the argument and the queue chosen; nullptr: none, none, and untitled.qu3
    // in the program folder. Only the last three letters count; an argument, even a bad one, wins over the
    // stored name.
    using Q = std::tuple<const char*, const char*, const char*>;
    for (const auto& [stored, argument, chosen] :
         {Q{nullptr, "a.QU3", "a.QU3"}, Q{nullptr, "b.qu3", "b.qu3"}, Q{nullptr, "c.Qu3", "c.Qu3"},
          Q{nullptr, "queuexqu3", "queuexqu3"}, Q{"b.qu3", "missing.qu3", nullptr}, Q{"b.qu3", "notes.txt", nullptr},
          Q{"b.qu3", "queue.qu", nullptr}, Q{"b.qu3", "folder.qu3", nullptr}, Q{"b.qu3", "", nullptr},
          Q{nullptr, nullptr, nullptr}, Q{"b.qu3", nullptr, "b.qu3"}, Q{"missing.qu3", nullptr, nullptr},
          Q{"folder.qu3", nullptr, nullptr}, Q{"b.qu3", "given.qu3", "given.qu3"}}) {
        const QString expected = chosen ? m_root + "/" + chosen : untitled();
        for (const bool absolute : {true, false}) {
            SCOPED_TRACE(testing::Message() << "stored " << (stored ? stored : "none") << ", argument "
                                            << (argument ? argument : "none") << (absolute ? ", absolute" : ""));
            SettingsStore store(mtest::freshDir("queue-cfg") + "/Muralo32.ini");
            if (stored) store.write("queuename", m_root + "/" + stored);
            std::optional<QString> given;
            if (argument) given = (absolute && *argument) ? m_root + "/" + argument : QString(argument);
            EXPECT_EQ(resolveQueueFile(store, m_program, given), expected);
            EXPECT_EQ(store.read("QueueName", "?"), expected);
        }
    }
    QDir::setCurrent(saved);
}

// The setting, else the system temp folder when it is a folder, else the program folder; the
// system one is a private folder of this user's, and one someone else prepared is refused.
TEST_F(StartUpFolders, TempFolderIsTheSettingElseAPrivateSystemOneElseTheProgramFolder) {
    for (const QString& system : {m_root + "/does-not-exist", QString(), m_plainFile})
        EXPECT_EQ(resolveTempFolder(m_store, m_program, system), m_program) << system.toStdString();
    EXPECT_EQ(resolveTempFolder(m_store, m_program, m_root), m_root);

    const QString ours = perUserTemp(m_root);
    const auto onlyUs =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    setSystemTemp(m_root);
    EXPECT_EQ(systemTempFolder(), ours);
    EXPECT_EQ(QFile::permissions(ours), onlyUs);
    // An existing folder of ours that others could write into is made private again.
    ASSERT_EQ(::chmod(QFile::encodeName(ours).constData(), 0777), 0);
    EXPECT_EQ(systemTempFolder(), ours);
    EXPECT_EQ(QFile::permissions(ours), onlyUs);
    // Prepared by someone else: a link to elsewhere, a file in its place, or no folder to make it in.
    const QString linkBase = mtest::freshDir("systmp-link");
    ASSERT_TRUE(QFile::link(mtest::freshDir("elsewhere"), perUserTemp(linkBase)));
    const QString fileBase = mtest::freshDir("systmp-file");
    ASSERT_TRUE(mtest::writeFile(perUserTemp(fileBase), "not a folder"));
    for (const QString& base : {linkBase, fileBase, m_plainFile + "/below-a-file"}) {
        setSystemTemp(base);
        EXPECT_EQ(systemTempFolder(), QString()) << base.toStdString();
    }

    m_store.write("TempDirectory", "/chosen/by/user");
    EXPECT_EQ(resolveTempFolder(m_store, m_program, m_root), u"/chosen/by/user");
    EXPECT_EQ(resolveTempFolder(m_store, m_program, QString()), u"/chosen/by/user");
}

// First with a usable system temp folder and only the installed help; then with no temp folder
// (the program folder holds the bitmap) and help next to the program, which comes first. A second
// instance writes nothing and leaves its queue argument alone.
TEST_F(StartUpFolders, FirstInstanceFillsTheContextAndWritesItsSettings) {
    ASSERT_TRUE(mtest::writeFile(m_root + "/other.qu3", "x"));
    for (const bool first : {true, false}) {
        SettingsStore store(mtest::freshDir("run-cfg") + "/Muralo32.ini");
        setSystemTemp(first ? m_root : m_plainFile + "/nowhere");
        AppContext context;
        const std::uint32_t seedBefore = RandomGenerator::clockSeed();
        ASSERT_TRUE(StartUp::run(context, store, m_program + "muralo32", std::nullopt, [&] {
            EXPECT_FALSE(QFileInfo::exists(store.path())) << "written before the instance question was settled";
            return false;
        }));
        const std::uint32_t seedAfter = RandomGenerator::clockSeed();
        EXPECT_EQ(context.title, u"Muralo32 Wallpaper Manager");
        EXPECT_EQ(context.helpFile, first ? m_root + "/share/muralo32/help/index.html" : m_program + "help/index.html");
        EXPECT_FALSE(context.updating);
        EXPECT_EQ(context.wallpaperBitmap, (first ? perUserTemp(m_root) : m_program) + "/muralo32.bmp");
        EXPECT_EQ(context.queueFile, untitled());
        // Seeded from the clock at start-up (unless midnight passed in between).
        EXPECT_TRUE((seedBefore <= context.randomSeed && context.randomSeed <= seedAfter) || seedAfter < seedBefore);
        EXPECT_EQ(store.read("MuraloPath", "?"), m_program);
        EXPECT_EQ(store.read("TempDirectory", "unset"), u"unset"); // written only by its dialog

        const QByteArray written = mtest::readFile(store.path());
        AppContext second;
        EXPECT_FALSE(StartUp::run(second, store, m_program + "muralo32", m_root + "/other.qu3", [] { return true; }));
        EXPECT_EQ(mtest::readFile(store.path()), written);
        EXPECT_TRUE(second.queueFile.isEmpty());
        ASSERT_TRUE(mtest::writeFile(m_program + "help/index.html", "<html></html>"));
    }
}

} // namespace
