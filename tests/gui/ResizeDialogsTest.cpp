// SPDX-License-Identifier: MIT
#include "gui/dialogs/ResizeDialogs.h"
#include "MainWindowFixture.h"
#include "gui/QueueListView.h"
#include "wallpaper/RenderMath.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QList<QRadioButton*> radiosIn(QWidget& parent, const QString& group) {
    for (auto* box : parent.findChildren<QGroupBox*>())
        if (box->title() == group) return box->findChildren<QRadioButton*>();
    throw std::runtime_error("no group " + group.toStdString());
}

QRadioButton& radioIn(QWidget& parent, const QString& group, const QString& text) {
    for (auto* radio : radiosIn(parent, group))
        if (radio->text() == text) return *radio;
    throw std::runtime_error("no radio " + text.toStdString() + " in " + group.toStdString());
}

// The checked choices of a group, in the order they are shown.
QString checkedIn(QWidget& parent, const QString& group) {
    QStringList checked;
    for (auto* radio : radiosIn(parent, group))
        if (radio->isChecked()) checked << radio->text();
    return checked.join(", ");
}

QLineEdit& box(QWidget& dialog, const char* name) {
    return *dialog.findChild<QLineEdit*>(name);
}

// Which of the named boxes take input, one digit each.
QString enabled(QWidget& dialog, std::initializer_list<const char*> names) {
    QString digits;
    for (const char* name : names)
        digits += box(dialog, name).isEnabled() ? '1' : '0';
    return digits;
}

const QString kSmall = QStringLiteral("Resizes Images Smaller Than");
const QString kLarge = QStringLiteral("Resizes Images Larger Than");

} // namespace

TEST(ResizeSide, ClampsToThirtyTwoAndTwiceTheScreen) {
    for (const auto& [given, stored] : {std::pair{0, 32}, {-5, 32}, {31, 32}, {32, 32}, {2048, 2048}, {5000, 2048}})
        EXPECT_EQ(clampResizeSide(given, 1024), stored) << given;
}

TEST(ResizeDialogs, OpenWithTheRulesEnableBySideRefuseTextAndStoreTheScreenSize) {
    const DefaultResize stored{{2, 1, 640, 480}, {1, 0, 800, 600}, 300, 200};
    QStringList complaints;
    DefaultResizeDialog dialog(stored, {1024, 768}, [&](const QString& m) { complaints << m; }, {});
    EXPECT_EQ(std::tuple(checkedIn(dialog, kSmall), checkedIn(dialog, kLarge)),
              std::tuple(QString("None, Fixed Size"), QString("Stretch, Screen Size")));
    EXPECT_FALSE(radioIn(dialog, kSmall, "Fixed Size").isEnabled());
    EXPECT_TRUE(radioIn(dialog, kLarge, "Fixed Size").isEnabled());
    EXPECT_EQ(enabled(dialog, {"text10", "text14", "text12", "text13"}), "0011");
    EXPECT_EQ(std::tuple(box(dialog, "text11").text(), box(dialog, "text12").text()),
              std::tuple(QString("480"), QString("300")));

    radioIn(dialog, kSmall, "Proportional").click();
    EXPECT_TRUE(box(dialog, "text10").isEnabled()) << "fixed size was chosen before";
    radioIn(dialog, kLarge, "Fixed Size").click();
    EXPECT_TRUE(box(dialog, "text15").isEnabled());
    radioIn(dialog, kLarge, "None").click();
    EXPECT_EQ(enabled(dialog, {"text15", "text12"}), "01");
    radioIn(dialog, kLarge, "Stretch").click();

    box(dialog, "text10").setText("0");
    box(dialog, "text15").setText("5000");
    box(dialog, "text13").setText("2x");
    buttonIn(dialog, "OK").click();
    EXPECT_EQ(complaints, QStringList({"'2x' is not a valid integer value"}));
    EXPECT_EQ(dialog.result(), stored) << "a refused OK takes nothing";
    box(dialog, "text13").setText("-7");
    buttonIn(dialog, "OK").click();
    EXPECT_EQ(dialog.result(), (DefaultResize{{0, 1, 32, 480}, {1, 1, 800, 1536}, 300, 32}));

    // The one-image dialog shows the first image; Screen Size stores the screen.
    ImageResizeDialog fixed({0, 1, 10, 600}, {1024, 768}, {});
    // A width under 16 is shown as the screen's.
    EXPECT_EQ(std::tuple(box(fixed, "Edit1").text(), box(fixed, "Edit2").text(), checkedIn(fixed, "Resizing")),
              std::tuple(QString("1024"), QString("600"), QString("Proportional, Fixed Size")));
    box(fixed, "Edit1").setText("wide");
    box(fixed, "Edit2").setText("9000");
    buttonIn(fixed, "OK").click();
    EXPECT_EQ(fixed.result(), (ResizeChoice{0, 1, 1024, 1536}));

    ImageResizeDialog screen({1, 1, 640, 480}, {1024, 768}, {});
    radioIn(screen, "Resizing", "Screen Size").click();
    EXPECT_FALSE(box(screen, "Edit1").isEnabled());
    buttonIn(screen, "OK").click();
    EXPECT_EQ(screen.result(), (ResizeChoice{1, 0, 1024, 768}));

    // An unknown mode follows the defaults, which leaves nothing to size.
    ImageResizeDialog unknown({7, 5, 640, 480}, {1024, 768}, {});
    EXPECT_EQ(checkedIn(unknown, "Resizing"), "Use Default, Screen Size");
    EXPECT_FALSE(radioIn(unknown, "Resizing", "Fixed Size").isEnabled());
    radioIn(unknown, "Resizing", "Proportional").click();
    EXPECT_TRUE(radioIn(unknown, "Resizing", "Fixed Size").isEnabled());
    EXPECT_FALSE(box(unknown, "Edit1").isEnabled());
}

// The defaults go to the header; the per-image rule to every selected entry and its row's icon.
// Cancel writes nothing.
TEST_F(MainWindowTest, ResizeCommandsWriteTheHeaderAndTheSelectedEntries) {
    makeWithImages(3);
    EXPECT_FALSE(action("mnuResiz").isEnabled());
    selectRows({0, 2});
    ASSERT_TRUE(action("mnuResiz").isEnabled());
    const QByteArray before = mtest::readFile(app.queueFile);
    action("mnuResiz").trigger();
    action("mnuDefaultResize").trigger();
    EXPECT_EQ(dialogsShown, QStringList({"TimgResize", "Tdefresize"}));
    EXPECT_EQ(mtest::readFile(app.queueFile), before);

    selectRows({0, 2});
    dialogScript = [&](QDialog& dialog) {
        EXPECT_FALSE(countingDown());
        radioIn(dialog, "Resizing", "None").click();
        buttonIn(dialog, "OK").click();
        return dialog.result();
    };
    action("mnuResiz").trigger();
    for (int n = 1; n <= 3; ++n) {
        const QueueEntry e = entryOnDisk(n);
        EXPECT_EQ(e.resizeMode(), n == 2 ? 3 : 2) << n;
        EXPECT_EQ(list().rowState(n - 1), rendermath::displayState(e, headerOnDisk(), false)) << n;
    }
    EXPECT_NE(list().rowState(0), list().rowState(1));

    dialogScript = [&](QDialog& dialog) {
        radioIn(dialog, kSmall, "Stretch").click();
        radioIn(dialog, kLarge, "None").click();
        box(dialog, "text12").setText("");
        buttonIn(dialog, "OK").click();
        box(dialog, "text12").setText("5000");
        buttonIn(dialog, "OK").click();
        return dialog.result();
    };
    action("mnuDefaultResize").trigger();
    EXPECT_EQ(prompter.messages, QStringList({"'' is not a valid integer value"}));
    EXPECT_EQ(std::tuple(int(headerOnDisk().smallRule().mode), int(headerOnDisk().largeRule().mode),
                         int(headerOnDisk().thresholdWidth())),
              std::tuple(1, 2, 2048));
    EXPECT_TRUE(countingDown());
}
