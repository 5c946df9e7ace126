// SPDX-License-Identifier: MIT
// Adding, dropping, deleting, relinking and editing images from the window: after each command
// the rows, the record index table, the header and the file agree.
#include "MainWindowFixture.h"

#include "gui/QueueEditCommands.h"
#include "gui/dialogs/DeleteDialog.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

using QueueEditCommandsTest = MainWindowTest;

// The dialog opens in the image folder with the list style last used, and both come back:
// the style to the settings, the folder of the first file to the queue. A missing name is
// skipped without a word.
TEST_F(QueueEditCommandsTest, AddImageFilesTakesTheChosenFilesInOrder) {
    set("DialogStyle", "1");
    makeWithImages(1);
    const QString other = mtest::freshDir("add-other");
    touch(other, {"b.png", "a.png"});
    chooser.answer = FileChooser::Answer{{other + "/b.png", dir + "/gone.png", other + "/a.png"}, 129};
    clickOn("SpeedButton1");
    ASSERT_EQ(chooser.requests.size(), 1u);
    const FileChooser::Request& asked = chooser.requests.front();
    EXPECT_EQ(
        std::tuple(asked.title, asked.multiple, asked.style, asked.preview, asked.filter),
        std::tuple(QString("Add Image(s)"), true, 1, FileChooser::Preview::Image, QueueEditCommands::kImageFilter));
    EXPECT_EQ(get("DialogStyle"), "1");
    EXPECT_EQ(rowsOnDisk(), QStringList({"1:img1.png", "2:" + other + "/b.png", "3:" + other + "/a.png"}));
    EXPECT_EQ(headerOnDisk().imageFolder(), other + "/");
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_TRUE(child<QTimer>("Timer1").isActive() && !app.updating)
        << "the change timer or the controls were not given back";

    // The next add opens where the last one took its files; a cancelled dialog changes nothing.
    chooser.answer.reset();
    const QByteArray before = mtest::readFile(app.queueFile);
    action("menuadd").trigger();
    EXPECT_EQ(std::tuple(chooser.requests.back().folder, mtest::readFile(app.queueFile)),
              std::tuple(other + "/", before));
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());
}

// Hundreds of files go in with the window alive; a close meanwhile stops the add with the queue
// file whole: the header counts exactly the entries written, and they are the first files.
TEST_F(QueueEditCommandsTest, ALongAddStopsCleanlyWhenTheWindowCloses) {
    make();
    QStringList files;
    for (int i = 0; i < QueueEditCommands::kProgressFrom + 10; ++i) {
        files << dir + QString("/many%1.png").arg(i, 3, 10, QLatin1Char('0'));
        ASSERT_TRUE(mtest::writeFile(files.back(), "x"));
    }
    chooser.answer = FileChooser::Answer{files, 0};
    int added = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (queue->entryCount() >= 5 && !window->isClosed()) {
            added = queue->entryCount();
            window->close();
        }
    });
    closer.start(0);
    action("menuadd").trigger();
    EXPECT_EQ(quits, 1);
    ASSERT_GE(added, 5);
    const QueueHeader header = headerOnDisk();
    EXPECT_LE(header.entryCount(), added + 1);
    EXPECT_LT(header.entryCount(), files.size());
    for (int n = 1; n <= header.entryCount(); ++n)
        EXPECT_EQ(recordOnDisk(header.recordIndex(n)).trimmedPath(), files[n - 1]);
}

// With 5,999 entries, the first of three names fills the queue and each of the other two is
// refused with the limit message. A path longer than a record holds is refused, not cut.
TEST_F(QueueEditCommandsTest, AFullQueueRefusesEachFurtherName) {
    {
        Queue q(queue->environment());
        ASSERT_TRUE(q.load(app.queueFile).ok());
        for (int r = 1; r < qu3::kMaxEntries; ++r) {
            q.header().setRecordUse(r, static_cast<std::int16_t>(r));
            q.header().setRecordIndex(r, static_cast<std::int16_t>(r));
        }
        q.header().setEntryCount(qu3::kMaxEntries - 1);
        ASSERT_TRUE(q.writeHeader());
    }
    make();
    const QString longName = dir + "/" + QString(250, QLatin1Char('x')) + ".png";
    touch(dir, {"a.png", "b.png", "c.png"});
    chooser.answer = FileChooser::Answer{{dir + "/a.png", dir + "/b.png", dir + "/c.png"}, 0};
    action("menuadd").trigger();
    EXPECT_EQ(headerOnDisk().entryCount(), qu3::kMaxEntries);
    EXPECT_EQ(prompter.messages, QStringList({Queue::kLimitMessage, Queue::kLimitMessage}));
    EXPECT_EQ(recordOnDisk(qu3::kMaxEntries).trimmedPath(), dir + "/a.png");

    EXPECT_EQ(queue->addOneFile(longName), Queue::AddResult::LimitReached);
    Queue fresh(queue->environment());
    ASSERT_TRUE(fresh.load(dir + "/other.qu3").ok());
    EXPECT_EQ(std::tuple(fresh.addOneFile(longName), fresh.entryCount()), std::tuple(Queue::AddResult::TooLong, 0));
}

// Deleting rows 2 and 4 of 6 leaves four rows numbered 1..4 in the same order, the table's first
// four records the remaining ones; "From Queue and Disk" removes the files too; a lone image
// that is gone leaves without a question; a cancelled dialog changes nothing.
TEST_F(QueueEditCommandsTest, DeleteKeepsRowsTableAndFileInStep) {
    makeWithImages(6);
    selectRows({1, 3});
    deleteChoice = DeleteDialog::FromQueueOnly;
    action("MenuDelt").trigger();
    EXPECT_EQ(deleteAsked, QList<int>{2});
    EXPECT_EQ(rowsOnDisk(), QStringList({"1:img1.png", "2:img3.png", "3:img5.png", "4:img6.png"}));
    const QueueHeader header = headerOnDisk();
    EXPECT_EQ(std::vector({header.recordIndex(1), header.recordIndex(2), header.recordIndex(3), header.recordIndex(4)}),
              std::vector<std::int16_t>({1, 3, 5, 6}));
    EXPECT_TRUE(QFileInfo::exists(dir + "/img2.png"));
    EXPECT_FALSE(action("MenuDelt").isEnabled()) << "the selection should be gone";

    deleteChoice = DeleteDialog::Cancelled;
    selectRows({0});
    const QByteArray before = mtest::readFile(app.queueFile);
    QTest::keyRelease(&list(), Qt::Key_Delete);
    EXPECT_EQ(mtest::readFile(app.queueFile), before);

    deleteChoice = DeleteDialog::FromQueueAndDisk;
    selectRows({0});
    list().findChild<QAction*>("mnupopdelete")->trigger();
    EXPECT_FALSE(QFileInfo::exists(dir + "/img1.png"));
    EXPECT_EQ(rowsOnDisk(), QStringList({"1:img3.png", "2:img5.png", "3:img6.png"}));

    ASSERT_TRUE(QFile::remove(dir + "/img6.png"));
    selectRows({2});
    action("MenuDelt").trigger();
    EXPECT_EQ(deleteAsked.size(), 3) << "a missing image needs no question";
    EXPECT_EQ(rowsOnDisk(), QStringList({"1:img3.png", "2:img5.png"}));
}

// Relinking moves the selected entries to the chosen folder, keeping their file names; the
// folder is where the next relink starts. Edit opens the one selected image with the user's
// program for it.
TEST_F(QueueEditCommandsTest, RelinkPointsTheSelectedEntriesAtAnotherFolderAndEditOpensOne) {
    makeWithImages(3);
    const QString moved = mtest::freshDir("relinked") + "/";
    chooser.folder = moved;
    selectRows({0, 2});
    ASSERT_TRUE(action("mnuRelink").isEnabled());
    EXPECT_FALSE(action("menuedit").isEnabled());
    action("mnuRelink").trigger();
    EXPECT_EQ(headerOnDisk().relinkFolder(), moved);
    EXPECT_EQ(rowsOnDisk(), QStringList({"1:" + moved + "img1.png", "2:img2.png", "3:" + moved + "img3.png"}));
    selectRows({1});
    chooser.folder.clear();
    action("mnuRelink").trigger();
    EXPECT_EQ(chooser.folderStarts.back(), moved);
    EXPECT_EQ(list().topLevelItem(1)->text(0), dir + "/img2.png");

    selectRows({2});
    ASSERT_TRUE(action("menuedit").isEnabled());
    action("menuedit").trigger();
    EXPECT_EQ(std::tuple(opened.back(), list().selectedCount()),
              std::tuple(QUrl::fromLocalFile(moved + "img3.png"), 0));
}

// Folder mode: refused while the queue has entries; on an empty queue the chosen folder's images
// are the queue, counted at once; a second click turns it back into an ordinary empty queue.
TEST_F(QueueEditCommandsTest, UseFolderAsQueueSwitchesBothWays) {
    makeWithImages(1);
    const QByteArray before = mtest::readFile(app.queueFile);
    action("mnuUseFolder").trigger();
    EXPECT_EQ(prompter.messages, QStringList{"This queue contains files already. To use the Folder Queue option, "
                                             "either clear this queue or start a new one."});
    EXPECT_FALSE(action("mnuUseFolder").isChecked());
    EXPECT_EQ(mtest::readFile(app.queueFile), before);
    EXPECT_TRUE(chooser.folderStarts.isEmpty());

    selectRows({0});
    deleteChoice = DeleteDialog::FromQueueOnly;
    action("MenuDelt").trigger();
    const QString images = mtest::freshDir("folder-images") + "/";
    touch(images, {"b.JPG", "a.gif", "notes.txt"});
    chooser.folder = images;
    action("mnuUseFolder").trigger();
    EXPECT_TRUE(queue->isFolderQueue());
    EXPECT_EQ(std::tuple(headerOnDisk().folderQueue(), headerOnDisk().imageFolder()), std::tuple(1, images));
    EXPECT_EQ(get("lastloadedpath"), images);
    EXPECT_EQ(std::tuple(queueLine(), list().topLevelItemCount(), list().topLevelItem(1)->text(0)),
              std::tuple(QString("Q: test (2 Files)"), 2, images));
    EXPECT_TRUE(action("mnuUseFolder").isChecked() && action("mnuChangeFolder").isVisible());
    EXPECT_FALSE(action("menuadd").isEnabled());
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());

    action("mnuUseFolder").trigger();
    EXPECT_FALSE(queue->isFolderQueue());
    EXPECT_EQ(std::tuple(headerOnDisk().folderQueue(), list().topLevelItemCount()), std::tuple(0, 0));
    EXPECT_FALSE(action("mnuUseFolder").isChecked() || action("mnuChangeFolder").isVisible());
    EXPECT_TRUE(action("menuadd").isEnabled());
}

TEST(DeleteDialogTest, SaysHowManyAndReturnsTheChoice) {
    DeleteDialog single(1, {});
    EXPECT_EQ(single.windowTitle(), "Delete Image");
    EXPECT_FALSE(single.findChild<QLabel*>("severalLabel")->isVisibleTo(&single));
    EXPECT_EQ(single.findChild<QGroupBox*>("deleteGroup")->title(), "Delete Image File");
    EXPECT_TRUE(single.findChild<QRadioButton*>("fromQueueOnly")->isChecked());

    int helped = 0;
    DeleteDialog several(3, [&helped] { ++helped; });
    EXPECT_TRUE(several.findChild<QLabel*>("severalLabel")->isVisibleTo(&several));
    EXPECT_EQ(several.findChild<QGroupBox*>("deleteGroup")->title(), "Delete Image Files");
    several.findChild<QRadioButton*>("fromQueueAndDisk")->setChecked(true);
    buttonIn(several, "Help").click();
    EXPECT_EQ(helped, 1);
    EXPECT_EQ(several.choice(), DeleteDialog::Cancelled);
    buttonIn(several, "OK").click();
    EXPECT_EQ(several.choice(), DeleteDialog::FromQueueAndDisk);
}

} // namespace
