// SPDX-License-Identifier: MIT
// Opening, starting, clearing, saving, deleting and naming queue files from the window: which
// file is open afterwards, what is in it, and what the next start opens (QueueName).
#include "MainWindowFixture.h"

#include "gui/QueueFileCommands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

namespace {

class QueueFileCommandsTest : public MainWindowTest {
protected:
    // Which queue is open: its file, the one the next start opens, its rows and status line.
    std::tuple<QString, QString, int, QString> openQueue() const {
        return {queue->currentFile(), get("QueueName"), list().rowCount(), queueLine()};
    }
};

TEST(NewQueueName, AddsTheExtensionWhereItIsMissing) {
    for (const auto& [typed, name] :
         {std::pair{"/q/ab", "/q/ab.QU3"}, std::pair{"/q/pics.qu3", "/q/pics.qu3"},
          std::pair{"/q/pics.txt", "/q/pics.txt.QU3"}, std::pair{"ab", "ab.QU3"}, std::pair{"x.QU3", "x.QU3"}})
        EXPECT_EQ(QueueFileCommands::newQueueName(QString::fromLatin1(typed)), QString::fromLatin1(name)) << typed;
}

// Another queue opens from the open dialog or from the "..." list of the queues beside the open
// one, with a change when "Change Wallpaper at Startup" is checked; the open queue's own name,
// or a file that is no queue, changes nothing.
TEST_F(QueueFileCommandsTest, ChangeAndPickOpenAnotherQueue) {
    set("ChangeAtStartup", "True");
    makeWithImages(2);
    desktop.calls.clear();
    const QString other = dir + "/other.qu3";
    {
        Queue beside(queue->environment());
        ASSERT_TRUE(beside.load(other).ok());
        ASSERT_EQ(beside.addOneFile(dir + "/img1.png"), Queue::AddResult::Added);
    }
    chooser.answer = FileChooser::Answer{{other}, 0};
    action("mnuChangeQueue").trigger();
    const FileChooser::Request& asked = chooser.requests.back();
    EXPECT_EQ(std::tuple(asked.title, asked.preview, asked.filter),
              std::tuple(QString("Open Queue"), FileChooser::Preview::None, QString("Muralo32 Queues (*.QU3)|*.QU3")));
    const auto otherOpen = std::tuple(other, other, 1, QString("Q: other (1 Files)"));
    EXPECT_EQ(openQueue(), otherOpen);
    for (int i = 0; i < 20 && desktop.calls.empty(); ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(desktop.calls.size(), 1u) << "opening a queue changes the wallpaper once";

    const QString notAQueue = dir + "/notes.qu3";
    ASSERT_TRUE(mtest::writeFile(notAQueue, "not a queue"));
    chooser.answer = FileChooser::Answer{{notAQueue}, 0};
    action("mnuChangeQueue").trigger();
    EXPECT_EQ(openQueue(), otherOpen);
    EXPECT_EQ(prompter.messages.size(), 1);

    clickOn("image4");
    auto* menu = window->findChild<QMenu*>("mnuQLst");
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (QAction* item : menu->actions())
        names << item->text();
    EXPECT_EQ(names, QStringList({"notes.qu3", "other.qu3", "test.qu3"}));
    menu->actions().at(2)->trigger();
    EXPECT_EQ(openQueue(), std::tuple(app.queueFile, app.queueFile, 2, QString("Q: test (2 Files)")));
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());
}

// A new queue starts empty with the settings of the queue open before; an existing name is
// replaced only after a Yes.
TEST_F(QueueFileCommandsTest, NewQueueStartsEmptyAndAsksBeforeReplacing) {
    makeWithImages(2);
    action("menurand").trigger();
    chooser.saveAnswer = dir + "/fresh";
    action("mnuQueStart").trigger();
    const QString fresh = dir + "/fresh.QU3";
    EXPECT_EQ(openQueue(), std::tuple(fresh, fresh, 0, QString("Q: fresh (0 Files)")));
    EXPECT_EQ(std::tuple(headerOnDisk(fresh).entryCount(), headerOnDisk(fresh).orderMode()), std::tuple(0, 2));

    const QByteArray old = mtest::readFile(dir + "/test.qu3");
    const QString taken = dir + "/test.txt.QU3";
    ASSERT_TRUE(mtest::writeFile(taken, "precious"));
    chooser.saveAnswer = dir + "/test.txt";
    action("mnuQueStart").trigger();
    EXPECT_EQ(prompter.questions.back(), "That queue name already exists. Do you want to overwrite it?");
    EXPECT_EQ(mtest::readFile(taken), "precious");
    EXPECT_EQ(queue->currentFile(), fresh);
    prompter.yesNo = {true};
    action("mnuQueStart").trigger();
    EXPECT_EQ(queue->currentFile(), taken);
    EXPECT_EQ(headerOnDisk(taken).entryCount(), 0);
    EXPECT_EQ(mtest::readFile(dir + "/test.qu3"), old);
}

// Save as copies the queue and goes on with the copy; an existing name is asked about; a copy
// that cannot be made leaves everything as it was.
TEST_F(QueueFileCommandsTest, SaveAsGoesOnWithTheCopy) {
    makeWithImages(2);
    const QString original = app.queueFile;
    const QByteArray bytes = mtest::readFile(original);
    const QString holiday = dir + "/holiday.qu3";
    ASSERT_TRUE(mtest::writeFile(holiday, "older queue"));
    chooser.saveAnswer = dir + "/holiday";
    action("mnuQueSaveAs").trigger();
    EXPECT_EQ(prompter.questions.back(), "File exists. Overwrite?");
    EXPECT_EQ(mtest::readFile(holiday), "older queue");
    prompter.yesNo = {true};
    action("mnuQueSaveAs").trigger();
    EXPECT_EQ(mtest::readFile(holiday), bytes);
    EXPECT_EQ(openQueue(), std::tuple(holiday, holiday, 2, QString("Q: holiday (2 Files)")));
    EXPECT_EQ(mtest::readFile(original), bytes);

    chooser.saveAnswer = dir + "/no such folder/copy.qu3";
    action("mnuQueSaveAs").trigger();
    EXPECT_EQ(prompter.messages.back(), "Unable to complete Save Operation. Queue has not changed.");
    EXPECT_EQ(queue->currentFile(), holiday);
}

// Clear empties the queue after a Yes and keeps the file's length and settings. Deleting the
// queue and cancelling the open dialog leaves the fallback queue open, created empty.
TEST_F(QueueFileCommandsTest, ClearEmptiesAfterAYesAndDeleteFallsBackToTheUntitledQueue) {
    makeWithImages(3);
    const QByteArray before = mtest::readFile(app.queueFile);
    action("mnuClearQueue").trigger();
    EXPECT_EQ(prompter.questions.back(), "Clearing queue.  Are you sure?");
    EXPECT_EQ(mtest::readFile(app.queueFile), before);
    prompter.yesNo = {true};
    action("mnuClearQueue").trigger();
    EXPECT_EQ(headerOnDisk().entryCount(), 0);
    EXPECT_EQ(mtest::readFile(app.queueFile).size(), before.size());
    EXPECT_EQ(std::tuple(list().rowCount(), queueLine()), std::tuple(0, QString("Q: test (0 Files)")));

    prompter.yesNo = {true};
    action("DeleteQueueFile1").trigger();
    EXPECT_EQ(prompter.questions.back(), "Deleting Queue:\n" + dir + "/test.qu3");
    EXPECT_FALSE(QFileInfo::exists(dir + "/test.qu3"));
    const QString fallback = app.programFolder + "untitled.qu3";
    EXPECT_EQ(openQueue(), std::tuple(fallback, fallback, 0, QString("Q: untitled (0 Files)")));
    EXPECT_TRUE(QFileInfo::exists(fallback));
}

// The first image added to an untitled queue offers a name; a name that is taken keeps the old one.
TEST_F(QueueFileCommandsTest, AnUntitledQueueIsNamedWithItsFirstImage) {
    app.queueFile = dir + "/untitled.qu3";
    make();
    touch(dir, {"a.png", "b.png"});
    prompter.yesNo = {true};
    prompter.text = {QString("Beach")};
    chooser.answer = FileChooser::Answer{{dir + "/a.png"}, 0};
    action("menuadd").trigger();
    const QString beach = dir + "/Beach.qu3";
    EXPECT_EQ(openQueue(), std::tuple(beach, beach, 1, QString("Q: Beach (1 Files)")));
    EXPECT_FALSE(QFileInfo::exists(dir + "/untitled.qu3"));
    EXPECT_EQ(headerOnDisk(beach).entryCount(), 1);

    // Another untitled queue, and the name is taken.
    chooser.saveAnswer = dir + "/untitled.qu3";
    action("mnuQueStart").trigger();
    ASSERT_EQ(queue->currentFile(), dir + "/untitled.qu3");
    prompter.yesNo = {true};
    prompter.text = {QString("Beach")};
    chooser.answer = FileChooser::Answer{{dir + "/b.png"}, 0};
    action("menuadd").trigger();
    EXPECT_EQ(queue->currentFile(), dir + "/untitled.qu3");
    EXPECT_TRUE(prompter.messages.back().startsWith("The queue could not be renamed"))
        << prompter.messages.back().toStdString();
    EXPECT_EQ(headerOnDisk(beach).entryCount(), 1) << "the other queue was overwritten";
}

} // namespace
