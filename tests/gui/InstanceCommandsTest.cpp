// SPDX-License-Identifier: MIT
#include "gui/InstanceCommands.h"
#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QJsonObject>

namespace {

class InstanceCommandsTest : public MainWindowTest {
protected:
    QJsonObject send(const QJsonObject& request) {
        if (!context)
            context = std::make_unique<InstanceCommandContext>(InstanceCommandContext{*window, *engine, *queue});
        return handleInstanceCommand(request, *context);
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

TEST_F(InstanceCommandsTest, ActivateBringsTheWindowBackAndPingCountsIt) {
    makeQueue(1);
    MainWindow& w = make();
    ASSERT_FALSE(w.isVisible());
    EXPECT_EQ(send("ping").value("activations").toInt(), 0);
    EXPECT_TRUE(send("activate").value("ok").toBool());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized());
    send("activate");
    const QJsonObject ping = send("ping");
    EXPECT_TRUE(ping.value("ok").toBool());
    EXPECT_EQ(ping.value("activations").toInt(), 2);
    EXPECT_EQ(ping.value("pid").toInteger(), QCoreApplication::applicationPid());
}

// A change from the open queue answers with the image shown; a request that arrives while a
// change is still at work is answered as busy.
TEST_F(InstanceCommandsTest, ChangeClearAndCurrentAnswerWithTheImage) {
    makeQueue(2);
    make();
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
    EXPECT_EQ(desktop.calls.size(), 2u);
    EXPECT_EQ(desktop.clearCount(), 1);
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

} // namespace
