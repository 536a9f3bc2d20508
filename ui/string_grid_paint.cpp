// How the grid draws itself; the widget's behaviour is in ui/string_grid.cpp.
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "ui/string_grid.h"

namespace palvoren {
namespace {

constexpr int kFirstData = 1;
constexpr int kTextInset = 2;
// No cell is wide enough to show more; laying out a megabyte-long text on every paint would not.
constexpr qsizetype kMaxDrawnChars = 4096;

const QColor kHeaderLine(Qt::black);
const QColor kDataLine(0xc0, 0xc0, 0xc0);
const QColor kDataLineOnSilver(0x80, 0x80, 0x80);

// A text cut short enough to lay out quickly, never between the halves of a surrogate pair.
QString DrawnPart(const QString& text) {
    if (text.size() <= kMaxDrawnChars) {
        return text;
    }
    const QStringView view = QStringView(text).first(kMaxDrawnChars);
    return (view.back().isHighSurrogate() ? view.chopped(1) : view).toString();
}

}  // namespace

void StringGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside & event->rect());
    const QRect table(inside.topLeft(),
                      QPoint(ColumnLeft(kColumnCount) - 1,
                             frameWidth() + kRowCount * (kRowHeight + kGridLineWidth) - 1));
    for (const QRect& rest : QRegion(inside) - QRegion(table)) {
        painter.fillRect(rest, palette().color(QPalette::Base));
    }
    for (int row = 0; row < kRowCount; ++row) {
        for (int column = 0; column < kColumnCount; ++column) {
            const QRect withLines = CellRect(column, row).adjusted(0, 0, 1, 1);
            if (withLines.intersects(event->rect())) {
                PaintCell(painter, column, row);
                PaintLines(painter, column, row);
            }
        }
    }
    painter.setClipping(false);
    drawFrame(&painter);
}

void StringGrid::PaintCell(QPainter& painter, int column, int row) const {
    const QRect rect = CellRect(column, row);
    const bool header = column < kFirstData || row < kFirstData;
    const bool focused = hasFocus() && current_ == QPoint(column, row);
    const bool highlighted = !header && !focused && Selection().contains(column, row);
    const QPalette& colours = palette();
    painter.fillRect(rect, colours.color(header        ? QPalette::Button
                                         : highlighted ? QPalette::Highlight
                                                       : QPalette::Base));
    if (header) {
        painter.fillRect(rect.left(), rect.top(), rect.width(), 1, colours.color(QPalette::Light));
        painter.fillRect(rect.left(), rect.top(), 1, rect.height(), colours.color(QPalette::Light));
        painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1,
                         colours.color(QPalette::Dark));
        painter.fillRect(rect.right(), rect.top(), 1, rect.height(), colours.color(QPalette::Dark));
    }
    painter.setPen(colours.color(header        ? QPalette::ButtonText
                                 : highlighted ? QPalette::HighlightedText
                                               : QPalette::Text));
    painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                     Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextSingleLine,
                     DrawnPart(Cell(column, row)));
    if (focused) {
        QPen dots(colours.color(QPalette::Text), 0);
        dots.setDashPattern({1.0, 1.0});
        painter.setPen(dots);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

// Each cell draws the line to its right and the one below it, corner included.
void StringGrid::PaintLines(QPainter& painter, int column, int row) const {
    const QRect rect = CellRect(column, row);
    QColor colour = kHeaderLine;
    if (column >= kFirstData && row >= kFirstData) {
        const bool silverBase = palette().color(QPalette::Base) == kDataLine;
        colour = silverBase ? kDataLineOnSilver : kDataLine;
    }
    painter.fillRect(rect.right() + 1, rect.top(), kGridLineWidth, rect.height() + 1, colour);
    painter.fillRect(rect.left(), rect.bottom() + 1, rect.width(), kGridLineWidth, colour);
}

}  // namespace palvoren
