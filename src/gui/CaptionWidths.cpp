// SPDX-License-Identifier: MIT
#include "gui/CaptionWidths.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Whether a character's advance within a text can be told from its advance alone, but for
// the kerning and ligatures of its neighbours: controls, tabs and the C1 range (U+009C marks
// the alternatives of a text for QFontMetrics) are measured with their caption instead.
bool hasOwnAdvance(char16_t c) {
    return c >= 0x20 && (c < 0x7F || c >= 0xA0);
}

} // namespace

void CaptionWidths::clear() {
    m_waiting.clear();
    m_widestMeasured = 0;
    m_widestBound = 0;
}

void CaptionWidths::add(const QString& caption, const QWidget& owner) {
    if (!m_tableValid || m_font != owner.font()) useFont(owner.font());
    const qreal sum = advanceSum(caption);
    if (sum < 0) {
        const int width = QFontMetrics(m_font).horizontalAdvance(caption);
        m_widestMeasured = std::max(m_widestMeasured, width);
        m_widestBound = std::max(m_widestBound, width);
        return;
    }
    m_widestBound = std::max(m_widestBound, static_cast<int>(std::ceil(sum + m_slack * qreal(caption.size()))));
    m_waiting.append(caption);
}

int CaptionWidths::widest() {
    measureWaiting();
    return m_widestMeasured;
}

void CaptionWidths::measureWaiting() {
    if (m_waiting.isEmpty()) return;
    const QFontMetrics metrics(m_font);
    for (const QString& caption : std::as_const(m_waiting))
        m_widestMeasured = std::max(m_widestMeasured, metrics.horizontalAdvance(caption));
    m_waiting.clear();
}

void CaptionWidths::useFont(const QFont& font) {
    measureWaiting();
    const QFontMetricsF single(font);
    for (char16_t c = 0; c < m_advances.size(); ++c)
        m_advances[c] = hasOwnAdvance(c) ? single.horizontalAdvance(QChar(c)) : -1;
    // Kerning and ligatures move a character by far less than a quarter of the font's
    // height, and mostly closer to its neighbour.
    m_slack = 0.25 * single.height();
    m_font = font;
    m_tableValid = true;
}

qreal CaptionWidths::advanceSum(const QString& caption) const {
    qreal sum = 0;
    for (const QChar c : caption) {
        if (c.unicode() >= m_advances.size() || m_advances[c.unicode()] < 0) return -1;
        sum += m_advances[c.unicode()];
    }
    return sum;
}
