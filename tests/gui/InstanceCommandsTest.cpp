// SPDX-License-Identifier: MIT
#include "gui/InstanceCommands.h"
#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {

class InstanceCommandsTest : public MainWindowTest {
protected:
    QJsonObject send(const QJsonObject& request) {
        if (!context)
            context = std::make_unique<InstanceCommandContext>(InstanceCommandContext{*window, *engine, *queue});
        QJsonObject answer;
        handleInstanceCommand(request, *context, [&answer](const QJsonObject& a) { answer = a; });
        return answer;
    }
    QJsonObject send(const char* command) { return send(QJsonObject{{"cmd", QString::fromLatin1(command)}}); }

    std::unique_ptr<InstanceCommandContext> context;
};

void expectFailure(const QJsonObject& answer, const QString& errorStart) {
    EXPECT_FALSE(answer.value("ok").toBool());
    EXPECT_FALSE(errorStart.isEmpty());
    EXPECT_TRUE(answer.value("error").toString().startsWith(errorStart))
        << answer.value("error").toString().toStdString();
}

// Activate brings the window back and ping counts it. A change from the open queue answers
// with the image shown; a request that arrives while a change is still at work is answered as busy.
TEST_F(InstanceCommandsTest, ActivatePingChangeClearAndCurrent) {
    MainWindow& w = makeWithImages(2);
    ASSERT_FALSE(w.isVisible());
    EXPECT_EQ(send("ping").value("activations").toInt(), 0);
    EXPECT_TRUE(send("activate").value("ok").toBool());
    EXPECT_TRUE(w.isVisible() && !w.isMinimized());
    send("activate");
    EXPECT_EQ(send("ping"),
              (QJsonObject{
                  {"ok", true}, {"pid", QCoreApplication::applicationPid()}, {"activations", 2}, {"starting", false}}));

    QJsonObject nested;
    engine->services().processEvents = [this, &nested] {
        if (nested.isEmpty()) nested = send("change");
    };
    const QJsonObject changed = send(QJsonObject{{"cmd", "change"}, {"queue", app.queueFile}});
    EXPECT_TRUE(changed.value("ok").toBool());
    EXPECT_TRUE(changed.value("current").toString().endsWith("img1.png"));
    expectFailure(nested, "busy");
    EXPECT_TRUE(send("current").value("current").toString().endsWith("img1.png"));
    EXPECT_TRUE(send("clear").value("ok").toBool());
    EXPECT_EQ(std::tuple(desktop.calls.size(), desktop.clearCount()), std::tuple(2u, 1));
}

TEST_F(InstanceCommandsTest, RefusesAnotherQueueAndUnknownCommandsAndSaysWhyNothingChanged) {
    make();
    expectFailure(send(QJsonObject{{"cmd", "change"}, {"queue", dir + "/other.qu3"}}),
                  "Muralo32 is running with the queue");
    expectFailure(send("change"), "nothing to show");
    queue->setBusy(true);
    expectFailure(send("change"), "the image could not be displayed");
    queue->setBusy(false);
    desktop.failNextCall("no desktop");
    expectFailure(send("clear"), engine->lastError());
    expectFailure(send("launch"), "unknown command");
}

// Edits of the open queue from murctl are made with the window's own queue: one that arrives
// during a change waits for it, the list follows, and the next change keeps the new entry.
TEST_F(InstanceCommandsTest, QueueEditsWaitForAChangeAndGoThroughTheWindowsQueue) {
    MainWindow& w = makeWithImages(2);
    const QString added = dir + "/img3.png";
    ASSERT_TRUE(QFile::copy(dir + "/img1.png", added));
    const QJsonObject add{
        {"cmd", "queue-add"}, {"queue", app.queueFile}, {"files", QJsonArray{dir + "/missing.png", added}}};
    QJsonObject answer;
    engine->services().processEvents = [&] {
        if (context) return;
        send("ping"); // makes the context
        handleInstanceCommand(add, *context, [&answer](const QJsonObject& a) { answer = a; });
        EXPECT_TRUE(answer.isEmpty()) << "an edit ran inside the change";
    };
    ASSERT_TRUE(w.changeWallpaperNow());
    for (int i = 0; i < 50 && answer.isEmpty(); ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(answer.value("ok").toBool());
    EXPECT_EQ(answer["added"].toArray().at(0)["entry"].toInt(), 3);
    EXPECT_EQ(answer["refused"].toArray().at(0)["path"].toString(), dir + "/missing.png");
    const QStringList threeRows{"1:img1.png", "2:img2.png", "3:img3.png"};
    EXPECT_EQ(rowsOnDisk(), threeRows);
    ASSERT_TRUE(w.changeWallpaperNow());
    EXPECT_EQ(rowsOnDisk(), threeRows) << "the next change undid the add";

    // Deleting entry 1 renumbers the rows after it; the images stay on the disk.
    const QJsonObject deleted =
        send(QJsonObject{{"cmd", "queue-delete"}, {"queue", app.queueFile}, {"entries", QJsonArray{1}}});
    EXPECT_EQ(deleted.value("entry_count").toInt(), 2);
    const QStringList twoRows{"1:img2.png", "2:img3.png"};
    EXPECT_EQ(rowsOnDisk(), twoRows);
    EXPECT_TRUE(QFileInfo::exists(dir + "/img1.png"));
    expectFailure(send(QJsonObject{{"cmd", "queue-delete"}, {"queue", app.queueFile}, {"entries", QJsonArray{3}}}),
                  "no such entry");
    EXPECT_EQ(rowsOnDisk(), twoRows);

    // Another file is the asker's to edit; a folder queue takes no entries.
    const QJsonObject other =
        send(QJsonObject{{"cmd", "queue-add"}, {"queue", dir + "/other.qu3"}, {"files", QJsonArray{added}}});
    EXPECT_EQ(other.value("open"), QJsonValue(false));
    queue->clearEntries();
    queue->header().setFolderQueue(1);
    expectFailure(send(add), app.queueFile + " is a folder queue");
}

} // namespace
