// SPDX-License-Identifier: MIT
// The help pages: every place the program asks for exists, and the pages' links and pictures lead somewhere.
#include "gui/HelpTopics.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>

#include <ostream>

// Readable parameter names in test listings (QString lives in the global namespace, where lookup finds this).
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QDir& helpDir() {
    static const QDir dir(QStringLiteral(MURALO_HELP_DIR));
    return dir;
}

QStringList helpPages() {
    return helpDir().entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

QString pageText(const QString& page) {
    QFile file(helpDir().filePath(page));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// The first capture of every match of a pattern in a text.
QStringList captures(const QString& text, const QRegularExpression& pattern) {
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found.append(it.next().captured(1));
    return found;
}

QStringList idsOf(const QString& text) {
    static const QRegularExpression id(QStringLiteral(R"re(<[a-zA-Z][^>]*\sid="([^"]*)")re"));
    return captures(text, id);
}

QStringList hrefsOf(const QString& text) {
    static const QRegularExpression href(QStringLiteral(R"re(<(?:a|link)\s[^>]*href="([^"]*)")re"));
    return captures(text, href);
}

QStringList pictureSourcesOf(const QString& text) {
    static const QRegularExpression source(QStringLiteral(R"re(<img\s[^>]*src="([^"]*)")re"));
    return captures(text, source);
}

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
    if (!QFileInfo(helpDir().filePath(page)).isFile()) return QStringLiteral("no file ") + page;
    if (hash >= 0 && !idsOf(pageText(page)).contains(fragment))
        return QStringLiteral("no id \"%1\" in %2").arg(fragment, page);
    return {};
}

std::string printable(const QString& text) {
    QString name = text;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
    return name.toStdString();
}

TEST(HelpTopics, AnEmptyOrUnknownTopicOpensTheContents) {
    EXPECT_EQ(helpTarget(QString()), QStringLiteral("index.html"));
    EXPECT_EQ(helpTarget(QStringLiteral("noSuchTopic")), QStringLiteral("index.html"));
    EXPECT_EQ(helpTarget(QStringLiteral("99")), QStringLiteral("index.html"));
    EXPECT_TRUE(QFileInfo(helpDir().filePath(QStringLiteral("index.html"))).isFile());
}

TEST(HelpTopics, EveryAskedForTopicAndContextNumberHasItsOwnPlace) {
    const QStringList asked{QStringLiteral("infMonitorColor"),
                            QStringLiteral("rgnDeleteButton"),
                            QStringLiteral("infTempFolder"),
                            QStringLiteral("infAbout"),
                            QStringLiteral("infResizeImageImg"),
                            QStringLiteral("infdefsounds"),
                            QStringLiteral("infimgsounds"),
                            QStringLiteral("13"),
                            QStringLiteral("24"),
                            QStringLiteral("8"),
                            QStringLiteral("22"),
                            QStringLiteral("23"),
                            QStringLiteral("30")};
    const QStringList known = knownHelpTopics();
    EXPECT_EQ(QSet<QString>(known.begin(), known.end()).size(), known.size()) << "a key is listed twice";
    for (const QString& topic : asked)
        EXPECT_TRUE(known.contains(topic)) << topic.toStdString();
    // Different keys name different places, so no dialog lands on another dialog's help.
    QSet<QString> targets;
    for (const QString& topic : known)
        targets.insert(helpTarget(topic));
    EXPECT_EQ(targets.size(), known.size());
}

class HelpTopicTarget : public testing::TestWithParam<QString> {};

TEST_P(HelpTopicTarget, NamesAnExistingPageAndAnchor) {
    const QString target = helpTarget(GetParam());
    ASSERT_TRUE(target.contains(QLatin1Char('#'))) << target.toStdString();
    EXPECT_FALSE(target.endsWith(QLatin1Char('#'))) << target.toStdString();
    EXPECT_EQ(brokenReason(QString(), target), QString()) << target.toStdString();
}

INSTANTIATE_TEST_SUITE_P(AllTopics, HelpTopicTarget, testing::ValuesIn(knownHelpTopics()),
                         [](const testing::TestParamInfo<QString>& info) { return "key_" + printable(info.param); });

class HelpPage : public testing::TestWithParam<QString> {
protected:
    QString text() const { return pageText(GetParam()); }
};

TEST_P(HelpPage, EveryLinkBetweenPagesLeadsToAFileAndAnchor) {
    const QStringList links = hrefsOf(text());
    EXPECT_FALSE(links.isEmpty()) << "every page links back to the contents and to the style sheet";
    for (const QString& link : links) {
        if (isExternal(link)) continue;
        EXPECT_EQ(brokenReason(GetParam(), link), QString()) << "link " << link.toStdString();
    }
}

TEST_P(HelpPage, EveryPictureIsAReadableImage) {
    for (const QString& source : pictureSourcesOf(text())) {
        ASSERT_FALSE(isExternal(source)) << source.toStdString();
        QImageReader reader(helpDir().filePath(source));
        const QImage image = reader.read();
        EXPECT_FALSE(image.isNull()) << source.toStdString() << ": " << reader.errorString().toStdString();
    }
}

TEST_P(HelpPage, IdsAreUniqueAndTheContentsLinksToIt) {
    const QStringList ids = idsOf(text());
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), ids.size()) << "an id is used twice";
    const QStringList fromContents = hrefsOf(pageText(QStringLiteral("index.html")));
    const bool linked = std::any_of(fromContents.begin(), fromContents.end(), [this](const QString& link) {
        return link == GetParam() || link.startsWith(GetParam() + QLatin1Char('#'));
    });
    EXPECT_TRUE(GetParam() == QStringLiteral("index.html") || linked) << "not on the contents page";
}

INSTANTIATE_TEST_SUITE_P(AllPages, HelpPage, testing::ValuesIn(helpPages()),
                         [](const testing::TestParamInfo<QString>& info) { return printable(info.param); });

} // namespace
