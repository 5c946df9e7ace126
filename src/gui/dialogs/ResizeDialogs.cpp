// SPDX-License-Identifier: MIT
#include "gui/dialogs/ResizeDialogs.h"

#include "gui/dialogs/DialogButtons.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace {

QRadioButton* radio(const QString& text, QWidget* parent, QButtonGroup* group) {
    auto* button = new QRadioButton(text, parent);
    group->addButton(button);
    return button;
}

QLineEdit* sizeBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaximumWidth(60);
    return box;
}

QLabel* wrapped(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

std::optional<int> integer(const QLineEdit* box) {
    bool ok = false;
    const int value = box->text().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

int clampResizeSide(int value, int screenSide) {
    if (value < 32) value = 32;
    return std::min(value, 2 * screenSide);
}

ResizeRuleControls::ResizeRuleControls(QWidget* parent, bool withDefault, const char* widthName, const char* heightName)
    : QObject(parent), m_widget(new QWidget(parent)) {
    auto* modes = new QButtonGroup(this);
    auto* sizes = new QButtonGroup(this);
    m_none = radio(QStringLiteral("None"), m_widget, modes);
    m_proportional = radio(QStringLiteral("Proportional"), m_widget, modes);
    m_stretch = radio(QStringLiteral("Stretch"), m_widget, modes);
    if (withDefault) m_useDefault = radio(QStringLiteral("Use Default"), m_widget, modes);
    m_screenSize = radio(QStringLiteral("Screen Size"), m_widget, sizes);
    m_fixedSize = radio(QStringLiteral("Fixed Size"), m_widget, sizes);
    m_width = sizeBox(widthName, m_widget);
    m_height = sizeBox(heightName, m_widget);
    auto* grid = new QGridLayout(m_widget);
    int row = 0;
    for (QRadioButton* mode : {m_none, m_proportional, m_stretch, m_useDefault})
        if (mode) grid->addWidget(mode, row++, 0, 1, 3);
    if (withDefault) grid->addWidget(new QLabel(QStringLiteral("Resize to:"), m_widget), row++, 0, 1, 3);
    grid->addWidget(m_screenSize, row++, 0, 1, 3);
    grid->addWidget(m_fixedSize, row++, 0, 1, 3);
    grid->addWidget(m_width, row, 0);
    grid->addWidget(new QLabel(withDefault ? QStringLiteral("x") : QStringLiteral("  x  "), m_widget), row, 1);
    grid->addWidget(m_height, row++, 2);
    grid->addWidget(
        new QLabel(withDefault ? QStringLiteral("Width x Height") : QStringLiteral("Width  x  Height"), m_widget), row,
        0, 1, 3);
    connect(modes, &QButtonGroup::buttonClicked, this, &ResizeRuleControls::enable);
    connect(sizes, &QButtonGroup::buttonClicked, this, &ResizeRuleControls::enable);
}

void ResizeRuleControls::show(const ResizeChoice& choice) {
    QRadioButton* mode = m_proportional;
    if (choice.mode == 2) mode = m_none;
    if (choice.mode == 1) mode = m_stretch;
    // Images know a fourth mode, and anything unknown follows the defaults.
    if (m_useDefault && (choice.mode < 0 || choice.mode > 2)) mode = m_useDefault;
    mode->setChecked(true);
    (choice.fixedSize == 1 ? m_fixedSize : m_screenSize)->setChecked(true);
    m_width->setText(QString::number(choice.width));
    m_height->setText(QString::number(choice.height));
    enable();
}

int ResizeRuleControls::mode() const {
    if (m_none->isChecked()) return 2;
    if (m_stretch->isChecked()) return 1;
    if (m_useDefault && m_useDefault->isChecked()) return 3;
    return 0;
}

int ResizeRuleControls::fixedSize() const {
    return m_fixedSize->isChecked() ? 1 : 0;
}

void ResizeRuleControls::enable() {
    const bool resized = mode() == 0 || mode() == 1;
    m_screenSize->setEnabled(resized);
    m_fixedSize->setEnabled(resized);
    m_width->setEnabled(resized && m_fixedSize->isChecked());
    m_height->setEnabled(resized && m_fixedSize->isChecked());
}

DefaultResizeDialog::DefaultResizeDialog(const DefaultResize& stored, QSize screen, Complaint complain,
                                         std::function<void()> openHelp, QWidget* parent)
    : QDialog(parent), m_screen(screen), m_complain(std::move(complain)), m_result(stored) {
    setObjectName(QStringLiteral("Tdefresize"));
    setWindowTitle(QStringLiteral("defresize"));
    auto* small = new QGroupBox(QStringLiteral("Resizes Images Smaller Than"), this);
    auto* large = new QGroupBox(QStringLiteral("Resizes Images Larger Than"), this);
    auto* threshold = new QGroupBox(QStringLiteral("Threshold"), this);
    m_small = new ResizeRuleControls(small, false, "text10", "text11");
    m_large = new ResizeRuleControls(large, false, "text14", "text15");
    (new QVBoxLayout(small))->addWidget(m_small->widget());
    (new QVBoxLayout(large))->addWidget(m_large->widget());
    m_thresholdWidth = sizeBox("text12", threshold);
    m_thresholdHeight = sizeBox("text13", threshold);
    auto* thresholdGrid = new QGridLayout(threshold);
    thresholdGrid->addWidget(m_thresholdWidth, 0, 0);
    thresholdGrid->addWidget(new QLabel(QStringLiteral("  x  "), threshold), 0, 1);
    thresholdGrid->addWidget(m_thresholdHeight, 0, 2);
    thresholdGrid->addWidget(new QLabel(QStringLiteral("Width  x  Height"), threshold), 1, 0, 1, 3);
    auto* sides = new QHBoxLayout;
    sides->addWidget(small);
    sides->addWidget(threshold, 0, Qt::AlignVCenter);
    sides->addWidget(large);
    auto* column = new QVBoxLayout(this);
    column->addWidget(wrapped(QStringLiteral("These options will be the default resize method assigned to each image "
                                             "added to the Queue.  Changing them will change the method for any image "
                                             "that has not had a different method chosen separately."),
                              this));
    column->addWidget(wrapped(QStringLiteral("The 'Smaller Than' options will take effect if either  the image width "
                                             "or height are smaller than the Threshhold."),
                              this));
    column->addLayout(sides);
    QDialogButtonBox* box = okCancelHelpButtons(this, std::move(openHelp));
    connect(box, &QDialogButtonBox::accepted, this, &DefaultResizeDialog::onOk);
    column->addWidget(box);

    const auto choice = [](const QueueHeader::Rule& rule) {
        return ResizeChoice{rule.mode, rule.fixedSize, rule.width, rule.height};
    };
    m_small->show(choice(stored.small));
    m_large->show(choice(stored.large));
    m_thresholdWidth->setText(QString::number(stored.thresholdWidth));
    m_thresholdHeight->setText(QString::number(stored.thresholdHeight));
}

void DefaultResizeDialog::onOk() {
    // Every box is checked before anything is taken, so a refused OK leaves the rules as they were.
    int sizes[6] = {};
    const QLineEdit* boxes[6] = {m_small->widthBox(), m_small->heightBox(), m_thresholdWidth,
                                 m_thresholdHeight,   m_large->widthBox(),  m_large->heightBox()};
    for (int i = 0; i < 6; ++i) {
        const std::optional<int> value = integer(boxes[i]);
        if (!value) {
            if (m_complain) m_complain(QStringLiteral("'%1' is not a valid integer value").arg(boxes[i]->text()));
            const_cast<QLineEdit*>(boxes[i])->setFocus();
            return;
        }
        sizes[i] = clampResizeSide(*value, i % 2 == 0 ? m_screen.width() : m_screen.height());
    }
    const auto rule = [&](const ResizeRuleControls* side, int first) {
        return QueueHeader::Rule{static_cast<std::uint8_t>(side->mode()), static_cast<std::uint8_t>(side->fixedSize()),
                                 static_cast<std::int16_t>(sizes[first]), static_cast<std::int16_t>(sizes[first + 1])};
    };
    m_result = DefaultResize{rule(m_small, 0), rule(m_large, 4), sizes[2], sizes[3]};
    accept();
}

ImageResizeDialog::ImageResizeDialog(const ResizeChoice& first, QSize screen, std::function<void()> openHelp,
                                     QWidget* parent)
    : QDialog(parent), m_screen(screen), m_result(first) {
    setObjectName(QStringLiteral("TimgResize"));
    setWindowTitle(QStringLiteral("imgResize"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* group = new QGroupBox(QStringLiteral("Resizing"), this);
    m_rule = new ResizeRuleControls(group, true, "Edit1", "Edit2");
    (new QVBoxLayout(group))->addWidget(m_rule->widget());
    auto* column = new QVBoxLayout(this);
    column->addWidget(wrapped(QStringLiteral("This option will override the global resize option that is set using the "
                                             "'Default Resize' menu item, for all images currently selected in the "
                                             "queue. You may choose more than one image before performing this "
                                             "function, if you wish."),
                              this));
    column->addWidget(group);
    column->addWidget(wrapped(QStringLiteral("Changes will be in effect the next time the image is used."), this));
    QDialogButtonBox* box = okCancelHelpButtons(this, std::move(openHelp));
    connect(box, &QDialogButtonBox::accepted, this, &ImageResizeDialog::onOk);
    column->addWidget(box);

    ResizeChoice shown = first;
    if (shown.fixedSize != 1) shown.fixedSize = 0;
    // A size too small to mean anything is offered as the screen's.
    if (shown.width < 16) shown.width = screen.width();
    if (shown.height < 16) shown.height = screen.height();
    m_rule->show(shown);
}

void ImageResizeDialog::onOk() {
    ResizeChoice result;
    result.width = clampResizeSide(integer(m_rule->widthBox()).value_or(m_screen.width()), m_screen.width());
    result.height = clampResizeSide(integer(m_rule->heightBox()).value_or(m_screen.height()), m_screen.height());
    result.fixedSize = m_rule->fixedSize();
    if (result.fixedSize == 0) {
        result.width = m_screen.width();
        result.height = m_screen.height();
    }
    result.mode = m_rule->mode();
    m_result = result;
    accept();
}
