// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

class Picbuf;
class QLabel;
class QLineEdit;
class QSlider;

// Picks the gamma value that every wallpaper is corrected with: a slider and a test picture
// whose grey centre the user matches to its black-and-white surround.
class GammaDialog : public QDialog {
    Q_OBJECT
public:
    GammaDialog(float gamma, std::function<void()> openHelp, QWidget* parent = nullptr);
    ~GammaDialog() override;

    // The value OK settled on (the one the dialog opened with until then).
    float gamma() const { return m_gamma; }
    // The picture as the chosen value would show it.
    QImage preview() const;

    // 62 x 62, a checkerboard of black and white pixels (white top-left) around a grey square.
    static QImage testPicture();
    // What OK makes of the text: the previous value for text that is not a number, 1 for a
    // value outside 0.001 to 1.999.
    static float acceptedGamma(const QString& text, float previous);
    // The slider position for a value, cut toward zero.
    static int sliderPosition(float gamma);

private:
    void showPreview(float gamma);
    void onSliderMoved(int position);

    float m_gamma;
    bool m_filling = false;
    QLineEdit* m_valueBox = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_picture = nullptr;
    std::unique_ptr<Picbuf> m_original;
    std::unique_ptr<Picbuf> m_corrected;
};
