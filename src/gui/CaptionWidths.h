// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QStringList>

#include <array>

class QWidget;

// The width of the widest caption a list has held since it was last cleared, each caption
// in the font its widget had when the caption came. Measuring a caption means shaping its
// text, which took longer than everything else in filling a large list; so a caption of
// plain Latin-1 text only counts towards a cheap upper bound at first, and is measured when
// the exact width is asked for.
class CaptionWidths {
public:
    void clear();
    void add(const QString& caption, const QWidget& owner);
    // At least the widest caption's width.
    int widestBound() const { return m_widestBound; }
    // The widest caption's width, as QFontMetrics::horizontalAdvance gives it.
    int widest();

private:
    void measureWaiting();
    // The sum of each character's own advance; -1 when a character is not in the table.
    qreal advanceSum(const QString& caption) const;
    void useFont(const QFont& font);

    // Captions of the table's font, not measured yet.
    QStringList m_waiting;
    int m_widestMeasured = 0;
    int m_widestBound = 0;
    QFont m_font;
    bool m_tableValid = false;
    std::array<qreal, 256> m_advances{};
    // Per character, what kerning and ligatures could add at most.
    qreal m_slack = 0;
};
