// SPDX-License-Identifier: MIT
#include "gui/StatusLines.h"

#include "queue/ShortenPath.h"

#include <QLabel>
#include <QToolButton>

namespace {

// The lines' places in the window; the widget itself is only a frame around them.
constexpr int kTop = 392;
constexpr int kHeight = 44;

QLabel* sunkenLine(QWidget* parent, const char* formName, const QRect& place, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(formName));
    label->setGeometry(place.translated(0, -kTop));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

} // namespace

StatusLines::StatusLines(QWidget* parent) : QWidget(parent) {
    setGeometry(0, kTop, parent ? parent->width() : 596, kHeight);

    m_queueButton = new QToolButton(this);
    m_queueButton->setObjectName(QStringLiteral("image4"));
    m_queueButton->setText(QStringLiteral("..."));
    QFont bold = m_queueButton->font();
    bold.setBold(true);
    m_queueButton->setFont(bold);
    m_queueButton->setGeometry(QRect(10, 395, 20, 18).translated(0, -kTop));
    connect(m_queueButton, &QToolButton::clicked, this, &StatusLines::queueButtonClicked);
    m_queueLine = sunkenLine(this, "label11", QRect(32, 392, 537, 20), QStringLiteral("Queue:"));
    m_currentImageLine = sunkenLine(this, "label5", QRect(32, 416, 537, 20), QStringLiteral("Current File:"));
}

void StatusLines::setQueueLine(const QString& text) {
    m_queueLine->setText(text);
}

void StatusLines::showCurrentImage(const QString& imageText) {
    m_imageText = imageText;
    layOutCurrentImage();
}

void StatusLines::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutCurrentImage();
}

void StatusLines::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    layOutCurrentImage();
}

void StatusLines::layOutCurrentImage() {
    const QString imageText = m_imageText;
    const QString prefix = QStringLiteral("Current Image: ");
    const QFontMetrics metrics(m_currentImageLine->font());
    // Only the name is shortened, so the line keeps saying what it shows.
    const int room = m_currentImageLine->contentsRect().width() - 2 * m_currentImageLine->margin() - 4 -
                     metrics.horizontalAdvance(prefix);
    const QString shown = prefix + shortenPath(imageText.toLower(), room,
                                               [&metrics](const QString& t) { return metrics.horizontalAdvance(t); });
    if (m_currentImageLine->text() != shown) m_currentImageLine->setText(shown);
}

QPoint StatusLines::queueLineCorner() const {
    return m_queueLine->mapToGlobal(QPoint(5, 0));
}

void StatusLines::setQueueButtonShown(bool shown) {
    m_queueButton->setVisible(shown);
}
