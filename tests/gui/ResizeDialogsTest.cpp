// SPDX-License-Identifier: MIT
#include "gui/dialogs/ResizeDialogs.h"
#include "MainWindowFixture.h"
#include "gui/QueueListView.h"
#include "wallpaper/RenderMath.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QRadioButton* radioIn(QWidget& parent, const QString& group, const QString& text) {
    for (auto* box : parent.findChildren<QGroupBox*>())
        if (box->title() == group)
            for (auto* radio : box->findChildren<QRadioButton*>())
                if (radio->text() == text) return radio;
    throw std::runtime_error("no radio " + text.toStdString() + " in " + group.toStdString());
}

QLineEdit& box(QWidget& dialog, const char* name) {
    return *dialog.findChild<QLineEdit*>(name);
}

void pressOk(QDialog& dialog) {
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->text() == "OK") b->click();
}

const QString kSmall = QStringLiteral("Resizes Images Smaller Than");
const QString kLarge = QStringLiteral("Resizes Images Larger Than");

} // namespace

TEST(ResizeSide, ClampsToThirtyTwoAndTwiceTheScreen) {
    for (const auto& [given, stored] : {std::pair{0, 32}, {-5, 32}, {31, 32}, {32, 32}, {2048, 2048}, {5000, 2048}})
        EXPECT_EQ(clampResizeSide(given, 1024), stored) << given;
}

TEST(DefaultResizeDialogTest, OpensWithTheRulesEnablesBySideAndRefusesText) {
    const DefaultResize stored{{2, 1, 640, 480}, {1, 0, 800, 600}, 300, 200};
    QStringList complaints;
    DefaultResizeDialog dialog(stored, {1024, 768}, [&](const QString& m) { complaints << m; }, {});
    EXPECT_TRUE(radioIn(dialog, kSmall, "None")->isChecked());
    EXPECT_FALSE(radioIn(dialog, kSmall, "Fixed Size")->isEnabled());
    EXPECT_FALSE(box(dialog, "text10").isEnabled());
    EXPECT_TRUE(radioIn(dialog, kLarge, "Stretch")->isChecked());
    EXPECT_TRUE(radioIn(dialog, kLarge, "Screen Size")->isChecked() &&
                radioIn(dialog, kLarge, "Fixed Size")->isEnabled());
    EXPECT_FALSE(box(dialog, "text14").isEnabled());
    EXPECT_TRUE(box(dialog, "text12").isEnabled() && box(dialog, "text13").isEnabled());
    EXPECT_EQ(box(dialog, "text11").text(), "480");
    EXPECT_EQ(box(dialog, "text12").text(), "300");

    radioIn(dialog, kSmall, "Proportional")->click();
    EXPECT_TRUE(box(dialog, "text10").isEnabled()) << "fixed size was chosen before";
    radioIn(dialog, kLarge, "Fixed Size")->click();
    EXPECT_TRUE(box(dialog, "text15").isEnabled());
    radioIn(dialog, kLarge, "None")->click();
    EXPECT_FALSE(box(dialog, "text15").isEnabled());
    EXPECT_TRUE(box(dialog, "text12").isEnabled());
    radioIn(dialog, kLarge, "Stretch")->click();

    box(dialog, "text10").setText("0");
    box(dialog, "text15").setText("5000");
    box(dialog, "text13").setText("2x");
    pressOk(dialog);
    EXPECT_EQ(complaints, QStringList({"'2x' is not a valid integer value"}));
    EXPECT_EQ(dialog.result(), stored) << "a refused OK takes nothing";
    box(dialog, "text13").setText("-7");
    pressOk(dialog);
    EXPECT_EQ(dialog.result(), (DefaultResize{{0, 1, 32, 480}, {1, 1, 800, 1536}, 300, 32}));
}

TEST(ImageResizeDialogTest, ShowsTheFirstImageAndScreenSizeStoresTheScreen) {
    ImageResizeDialog fixed({0, 1, 10, 600}, {1024, 768}, {});
    EXPECT_EQ(box(fixed, "Edit1").text(), "1024") << "a width under 16 is shown as the screen's";
    EXPECT_EQ(box(fixed, "Edit2").text(), "600");
    EXPECT_TRUE(radioIn(fixed, "Resizing", "Fixed Size")->isChecked());
    box(fixed, "Edit1").setText("wide");
    box(fixed, "Edit2").setText("9000");
    pressOk(fixed);
    EXPECT_EQ(fixed.result(), (ResizeChoice{0, 1, 1024, 1536}));

    ImageResizeDialog screen({1, 1, 640, 480}, {1024, 768}, {});
    radioIn(screen, "Resizing", "Screen Size")->click();
    EXPECT_FALSE(box(screen, "Edit1").isEnabled());
    pressOk(screen);
    EXPECT_EQ(screen.result(), (ResizeChoice{1, 0, 1024, 768}));

    // An unknown mode follows the defaults, which leaves nothing to size.
    ImageResizeDialog unknown({7, 5, 640, 480}, {1024, 768}, {});
    EXPECT_TRUE(radioIn(unknown, "Resizing", "Use Default")->isChecked());
    EXPECT_TRUE(radioIn(unknown, "Resizing", "Screen Size")->isChecked());
    EXPECT_FALSE(radioIn(unknown, "Resizing", "Fixed Size")->isEnabled());
    radioIn(unknown, "Resizing", "Proportional")->click();
    EXPECT_TRUE(radioIn(unknown, "Resizing", "Fixed Size")->isEnabled());
    EXPECT_FALSE(box(unknown, "Edit1").isEnabled());
}

// The defaults go to the header; the per-image rule to every selected entry and its row's icon.
// Cancel writes nothing.
TEST_F(MainWindowTest, ResizeCommandsWriteTheHeaderAndTheSelectedEntries) {
    makeQueue(3);
    make();
    auto& list = child<QueueListView>("lstqueue");
    EXPECT_FALSE(action("mnuResiz").isEnabled());
    list.topLevelItem(0)->setSelected(true);
    list.topLevelItem(2)->setSelected(true);
    ASSERT_TRUE(action("mnuResiz").isEnabled());
    const QByteArray before = mtest::readFile(app.queueFile);
    action("mnuResiz").trigger();
    action("mnuDefaultResize").trigger();
    EXPECT_EQ(dialogsShown, QStringList({"TimgResize", "Tdefresize"}));
    EXPECT_EQ(mtest::readFile(app.queueFile), before);

    list.topLevelItem(0)->setSelected(true);
    list.topLevelItem(2)->setSelected(true);
    dialogScript = [&](QDialog& dialog) {
        EXPECT_FALSE(child<QTimer>("Timer1").isActive());
        radioIn(dialog, "Resizing", "None")->click();
        pressOk(dialog);
        return dialog.result();
    };
    action("mnuResiz").trigger();
    Queue q(queue->environment());
    ASSERT_TRUE(q.load(app.queueFile).ok());
    for (int n = 1; n <= 3; ++n) {
        QueueEntry e;
        ASSERT_TRUE(q.readEntryInto(q.recordOfEntry(n), e));
        EXPECT_EQ(e.resizeMode(), n == 2 ? 3 : 2) << n;
        EXPECT_EQ(list.rowState(n - 1), rendermath::displayState(e, q.header(), false)) << n;
    }
    EXPECT_NE(list.rowState(0), list.rowState(1));

    dialogScript = [&](QDialog& dialog) {
        radioIn(dialog, kSmall, "Stretch")->click();
        box(dialog, "text12").setText("");
        pressOk(dialog);
        box(dialog, "text12").setText("5000");
        pressOk(dialog);
        return dialog.result();
    };
    action("mnuDefaultResize").trigger();
    EXPECT_EQ(prompter.messages, QStringList({"'' is not a valid integer value"}));
    EXPECT_EQ(headerOnDisk().smallRule().mode, 1);
    EXPECT_EQ(headerOnDisk().thresholdWidth(), 2048);
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());
}
