// SPDX-License-Identifier: MIT
// The help pages: every place the program asks for exists, and the pages' links and pictures lead somewhere.
#include "TestSupport.h"
#include "gui/HelpTopics.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>

namespace {

const QDir kHelpDir(QStringLiteral(MURALO_HELP_DIR));

QString pageText(const QString& page) {
    return QString::fromUtf8(mtest::readFile(kHelpDir.filePath(page)));
}

// The first capture of every match of a pattern in a text.
QStringList captures(const QString& text, const QRegularExpression& pattern) {
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found.append(it.next().captured(1));
    return found;
}

// Element ids, link targets of pages and style sheets, and picture sources.
const QRegularExpression kIds(QStringLiteral(R"re(<[a-zA-Z][^>]*\sid="([^"]*)")re"));
const QRegularExpression kHrefs(QStringLiteral(R"re(<(?:a|link)\s[^>]*href="([^"]*)")re"));
const QRegularExpression kPictureSources(QStringLiteral(R"re(<img\s[^>]*src="([^"]*)")re"));

bool isExternal(const QString& link) {
    static const QRegularExpression scheme(QStringLiteral("^[a-zA-Z][a-zA-Z0-9+.-]*:"));
    return scheme.match(link).hasMatch();
}

// Why a link (page and fragment, relative to the help folder) does not lead anywhere; empty when it does.
QString brokenReason(const QString& fromPage, const QString& link) {
    const qsizetype hash = link.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? link : link.left(hash);
    const QString fragment = hash < 0 ? QString() : link.mid(hash + 1);
    const QString page = file.isEmpty() ? fromPage : file;
    if (!QFileInfo(kHelpDir.filePath(page)).isFile()) return QStringLiteral("no file ") + page;
    if (hash >= 0 && !captures(pageText(page), kIds).contains(fragment))
        return QStringLiteral("no id \"%1\" in %2").arg(fragment, page);
    return {};
}

TEST(HelpTopics, AnEmptyOrUnknownTopicOpensTheContents) {
    for (const char* topic : {"", "noSuchTopic", "99"})
        EXPECT_EQ(helpTarget(QString::fromLatin1(topic)), QStringLiteral("index.html")) << topic;
    EXPECT_TRUE(QFileInfo(kHelpDir.filePath(QStringLiteral("index.html"))).isFile());
}

// Each key names a page and an anchor that exist, and different keys name different places, so no
// dialog lands on another dialog's help.
TEST(HelpTopics, EveryAskedForTopicAndContextNumberHasItsOwnPlace) {
    const QStringList known = knownHelpTopics();
    EXPECT_EQ(QSet<QString>(known.begin(), known.end()).size(), known.size()) << "a key is listed twice";
    for (const QString& topic : QStringLiteral("infMonitorColor rgnDeleteButton infTempFolder infAbout "
                                               "infResizeImageImg infdefsounds infimgsounds 13 24 8 22 23 30")
                                    .split(QLatin1Char(' ')))
        EXPECT_TRUE(known.contains(topic)) << topic.toStdString();
    QSet<QString> targets;
    for (const QString& topic : known) {
        const QString target = helpTarget(topic);
        targets.insert(target);
        EXPECT_TRUE(target.contains(QLatin1Char('#')) && !target.endsWith(QLatin1Char('#'))) << target.toStdString();
        EXPECT_EQ(brokenReason(QString(), target), QString()) << topic.toStdString();
    }
    EXPECT_EQ(targets.size(), known.size());
}

// Every link between pages leads to a file and anchor, every picture is a readable image, ids are
// unique, and the contents page links to every page.
TEST(HelpPages, LinksPicturesAndIdsLeadSomewhere) {
    const QStringList pages = kHelpDir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(pages.isEmpty());
    const QStringList fromContents = captures(pageText(QStringLiteral("index.html")), kHrefs);
    for (const QString& page : pages) {
        SCOPED_TRACE(page.toStdString());
        const QString text = pageText(page);
        const QStringList links = captures(text, kHrefs);
        EXPECT_FALSE(links.isEmpty()) << "every page links back to the contents and to the style sheet";
        for (const QString& link : links)
            EXPECT_EQ(isExternal(link) ? QString() : brokenReason(page, link), QString())
                << "link " << link.toStdString();
        for (const QString& source : captures(text, kPictureSources)) {
            QImageReader reader(kHelpDir.filePath(source));
            EXPECT_FALSE(isExternal(source) || reader.read().isNull())
                << source.toStdString() << ": " << reader.errorString().toStdString();
        }
        const QStringList ids = captures(text, kIds);
        EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), ids.size()) << "an id is used twice";
        const bool linked = std::any_of(fromContents.begin(), fromContents.end(), [&page](const QString& link) {
            return link == page || link.startsWith(page + QLatin1Char('#'));
        });
        EXPECT_TRUE(page == QStringLiteral("index.html") || linked) << "not on the contents page";
    }
}

} // namespace
