// SPDX-License-Identifier: MIT
#include "gui/dialogs/GammaDialog.h"

#include "gui/PicbufImage.h"
#include "gui/dialogs/DialogButtons.h"
#include "imaging/Picbuf.h"
#include "settings/SettingsValues.h"
#include "wallpaper/RenderMath.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextEdit>
#include <QVBoxLayout>

namespace sv = settingsvalues;

namespace {

const char* const kExplanation[] = {
    "When images are consistently too dark or too light ",
    "on your monitor, you can choose to have a ",
    "correction applied to every image when it is ",
    "displayed.  There will be a slightly longer time to ",
    "display the image as Muralo32 applies the ",
    "correction.  To determine the proper Gamma value, ",
    "move the scroll bar until the center grey area below ",
    "matches the area around it as closely as possible.",
};

QTextEdit* explanation(QWidget* parent) {
    QStringList lines;
    for (const char* line : kExplanation)
        lines << QString::fromLatin1(line);
    auto* memo = new QTextEdit(parent);
    memo->setObjectName(QStringLiteral("Memo1"));
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 9);
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    memo->setPalette(palette);
    return memo;
}

} // namespace

QImage GammaDialog::testPicture() {
    QImage picture(62, 62, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(127, 127, 127)});
    for (int y = 0; y < 62; ++y)
        for (int x = 0; x < 62; ++x) {
            const bool grey = x >= 16 && x <= 45 && y >= 16 && y <= 45;
            picture.setPixel(x, y, grey ? 2 : ((x + y) % 2 == 0 ? 1 : 0));
        }
    return picture;
}

float GammaDialog::acceptedGamma(const QString& text, float previous) {
    float g = sv::toFloat(text).value_or(previous);
    if (g < 0.001) g = 1.0f;
    if (g > 1.999) g = 1.0f;
    return g;
}

int GammaDialog::sliderPosition(float gamma) {
    return static_cast<int>(double(gamma) * 100.0);
}

GammaDialog::GammaDialog(float gamma, std::function<void()> openHelp, QWidget* parent)
    : QDialog(parent), m_gamma(gamma), m_original(std::make_unique<Picbuf>()), m_corrected(std::make_unique<Picbuf>()) {
    setObjectName(QStringLiteral("TGammaCorr"));
    setWindowTitle(QStringLiteral("GammaCorr"));
    auto* group = new QGroupBox(QStringLiteral("Correction"), this);
    m_valueBox = new QLineEdit(group);
    m_valueBox->setObjectName(QStringLiteral("text1"));
    m_picture = new QLabel(group);
    m_picture->setObjectName(QStringLiteral("Picbuf10"));
    m_picture->setFixedSize(62, 62);
    m_slider = new QSlider(Qt::Horizontal, group);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setRange(1, 199);
    m_slider->setPageStep(10);
    m_slider->setTickInterval(1);
    m_slider->setTickPosition(QSlider::TicksBelow);
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_picture, 0, 0, 2, 1);
    grid->addWidget(m_valueBox, 0, 1);
    grid->addWidget(m_slider, 1, 1);

    QDialogButtonBox* buttons = okCancelHelpButtons(this, std::move(openHelp));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_gamma = acceptedGamma(m_valueBox->text(), m_gamma);
        accept();
    });
    auto* column = new QVBoxLayout(this);
    column->addWidget(explanation(this));
    column->addWidget(group);
    column->addWidget(buttons);

    m_filling = true;
    m_valueBox->setText(sv::fromFloat(gamma));
    m_slider->setValue(sliderPosition(gamma));
    m_original->loadBitmap(toPicbufBitmap(testPicture()));
    showPreview(gamma);
    m_filling = false;
    connect(m_slider, &QSlider::valueChanged, this, &GammaDialog::onSliderMoved);
}

GammaDialog::~GammaDialog() = default;

QImage GammaDialog::preview() const {
    return m_picture->pixmap().toImage();
}

void GammaDialog::onSliderMoved(int position) {
    if (m_filling) return;
    m_filling = true;
    // The slider shows the value; only OK takes it.
    const float g = static_cast<float>(position / 100.0);
    m_valueBox->setText(sv::fromFloat(g));
    showPreview(g);
    m_filling = false;
}

void GammaDialog::showPreview(float gamma) {
    try {
        m_corrected->assignFrom(*m_original);
        m_corrected->gammaCorrect(rendermath::gammaControlValue(gamma));
        m_picture->setPixmap(QPixmap::fromImage(toQImage(m_corrected->makeBitmap())));
    } catch (const PicbufError&) {
        m_picture->setPixmap(QPixmap::fromImage(testPicture()));
    }
}
