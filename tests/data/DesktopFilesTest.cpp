// SPDX-License-Identifier: MIT
// The files that tie the program into the desktop: the queue file type, the menu entry, the icons,
// the software-centre metadata, the manual pages and the completion.
#include "TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

const QString kDataDir = QStringLiteral(MURALO_DATA_DIR);

// The queue type's globs and magic strings (offset:value), as the definition states them.
struct MimeType {
    QString name;
    QStringList globs;
    QStringList magic;
};

MimeType readMimeType(const QByteArray& xml) {
    MimeType type;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        const auto attributes = reader.attributes();
        if (reader.name() == u"mime-type") type.name = attributes.value("type").toString();
        if (reader.name() == u"glob") type.globs << attributes.value("pattern").toString();
        if (reader.name() == u"match")
            type.magic << attributes.value("offset").toString() + ":" + attributes.value("value").toString();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return type;
}

} // namespace

// A .qu3 file (any letter case: globs match without regard to it) or a file starting "QU3" is a
// queue, and the menu entry says the program opens queues, handing it the file.
TEST(DesktopFiles, QueueFilesAreATypeTheProgramOpens) {
    const MimeType type = readMimeType(mtest::readFile(kDataDir + "/muralo32-queue.xml"));
    EXPECT_EQ(type.name, "application/x-muralo32-queue");
    EXPECT_EQ(type.globs, QStringList({"*.qu3"}));
    EXPECT_EQ(type.magic, QStringList({"0:QU3"}));

    QSettings entry(kDataDir + "/muralo32.desktop", QSettings::IniFormat);
    entry.beginGroup("Desktop Entry");
    EXPECT_EQ(entry.value("Type").toString(), "Application");
    EXPECT_EQ(entry.value("Exec").toString(), "muralo32 %f");
    EXPECT_TRUE(entry.value("MimeType").toString().split(';').contains(type.name));
    // One main category only.
    const QStringList main{"AudioVideo", "Audio",  "Video",   "Development", "Education", "Game",   "Graphics",
                           "Network",    "Office", "Science", "Settings",    "System",    "Utility"};
    int mains = 0;
    for (const QString& category : entry.value("Categories").toString().split(';', Qt::SkipEmptyParts))
        mains += main.contains(category);
    EXPECT_EQ(mains, 1) << entry.value("Categories").toString().toStdString();
}

namespace {

// What software centres read from the configured metadata.
struct Metainfo {
    QString id;
    QString launchable;
    QString name;
    QString newestRelease;
};

Metainfo readMetainfo(const QByteArray& xml) {
    Metainfo info;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        // Releases are listed newest first.
        if (reader.name() == u"release" && info.newestRelease.isEmpty())
            info.newestRelease = reader.attributes().value("version").toString();
        // Translated names carry xml:lang; the untranslated one is what the menu shows.
        if (reader.name() == u"name" && !reader.attributes().hasAttribute("xml:lang"))
            info.name = reader.readElementText();
        if (reader.name() == u"id") info.id = reader.readElementText();
        if (reader.name() == u"launchable") info.launchable = reader.readElementText();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return info;
}

// Width and height from a PNG's header chunk (big-endian, right after the signature and chunk head).
std::pair<int, int> pngSize(const QByteArray& png) {
    if (png.size() < 24 || !png.startsWith("\x89PNG\r\n\x1a\n") || png.mid(12, 4) != "IHDR") return {0, 0};
    const auto word = [&](int at) {
        return int(uchar(png[at])) << 24 | int(uchar(png[at + 1])) << 16 | int(uchar(png[at + 2])) << 8 |
               int(uchar(png[at + 3]));
    };
    return {word(16), word(20)};
}

} // namespace

// Software centres match the metadata to the menu entry by its file name and show the entry's
// name; the release is the version the build carries, and the file is named by its component id.
TEST(DesktopFiles, MetainfoDescribesThisBuildAndItsMenuEntry) {
    const QString metainfo = QStringLiteral(MURALO_METAINFO);
    const Metainfo info = readMetainfo(mtest::readFile(metainfo));
    EXPECT_EQ(QFileInfo(metainfo).fileName(), info.id + ".metainfo.xml");
    EXPECT_TRUE(QFileInfo::exists(kDataDir + "/" + info.launchable)) << info.launchable.toStdString();
    QSettings entry(kDataDir + "/" + info.launchable, QSettings::IniFormat);
    EXPECT_EQ(info.name, entry.value("Desktop Entry/Name").toString());
    EXPECT_EQ(info.newestRelease, MURALO_VERSION);
}

// Each PNG is installed as the theme's icon of one size and must really be that size.
TEST(DesktopFiles, IconsAreTheSizeTheyAreInstalledAs) {
    const QStringList sizes = QStringLiteral(MURALO_ICON_SIZES).split(' ', Qt::SkipEmptyParts);
    EXPECT_FALSE(sizes.isEmpty());
    for (const QString& size : sizes) {
        const auto [width, height] = pngSize(mtest::readFile(kDataDir + "/icons/muralo32-" + size + ".png"));
        EXPECT_EQ(std::pair(width, height), std::pair(size.toInt(), size.toInt())) << size.toStdString();
    }
    QXmlStreamReader svg(mtest::readFile(kDataDir + "/icons/muralo32.svg"));
    ASSERT_TRUE(svg.readNextStartElement());
    EXPECT_EQ(svg.name(), u"svg");
    while (!svg.atEnd())
        svg.readNext();
    EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();
}

namespace {

struct ProcessRun {
    int status = -1;
    QString out;
    QString err;
};

ProcessRun run(const QString& program, const QStringList& args, const QString& folder = {}) {
    QProcess p;
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForFinished(30000)) return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(DesktopFiles, ManPagesRenderWithoutWarnings) {
    for (const char* page : {"muralo32.1", "murctl.1"}) {
        const ProcessRun r = run("groff", {"-man", "-ww", "-z", "-Tutf8", kDataDir + "/" + page});
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, QString())) << page;
    }
}

// What the completion offers after the words typed so far (the last one being completed).
TEST(DesktopFiles, CompletionOffersCommandsOptionsAndQueueFiles) {
    const QString folder = mtest::freshDir("completion");
    for (const char* name : {"a.qu3", "B.QU3", "pic.jpg"})
        ASSERT_TRUE(mtest::writeFile(folder + "/" + name, "x"));
    const auto offered = [&](const QString& words) {
        const QString script =
            QStringLiteral("source '%1/murctl.bash'; COMP_WORDS=(%2); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                           "_murctl; printf '%s\\n' \"${COMPREPLY[@]}\" | sort")
                .arg(kDataDir, words);
        return run("bash", {"-c", script}, folder).out.split('\n', Qt::SkipEmptyParts);
    };
    EXPECT_EQ(offered("murctl ''"), QStringList({"autostart", "change", "clear", "current", "queue", "render"}));
    EXPECT_EQ(offered("murctl --json queue ''"),
              QStringList({"add", "clear", "delete", "info", "list", "new", "relink", "save-as", "use-folder"}));
    EXPECT_EQ(offered("murctl queue list ''"), QStringList({"B.QU3", "a.qu3"}));
    EXPECT_EQ(offered("murctl change --queue ''"), QStringList({"B.QU3", "a.qu3"}));
    EXPECT_EQ(offered("murctl autostart ''"), QStringList({"off", "on", "status"}));
    EXPECT_EQ(offered("murctl --ver"), QStringList({"--version"}));
}
