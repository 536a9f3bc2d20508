#include "app/wrapped_label.h"

#include <QPainter>
#include <cmath>

namespace palvoren {
namespace {

constexpr QChar kLineBreak = QChar::LineSeparator;

// Text layouts break lines only at the Unicode line separator.
QString WithLineSeparators(QString text) {
    return text.replace(QStringLiteral("\r\n"), kLineBreak)
        .replace(QLatin1Char('\n'), kLineBreak)
        .replace(QLatin1Char('\r'), kLineBreak);
}

int Ceil(qreal value) {
    return static_cast<int>(std::ceil(value));
}

}  // namespace

WrappedLabel::WrappedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
}

void WrappedLabel::LayOut(QTextLayout& layout, int width) const {
    layout.setText(WithLineSeparators(text()));
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(width < 0 ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(layoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    qreal top = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 0));
        line.setPosition(QPointF(0, top));
        top += line.height();
    }
    layout.endLayout();
}

int WrappedLabel::NaturalWidth() const {
    QTextLayout unwrapped;
    LayOut(unwrapped, -1);
    qreal widest = 0;
    for (int i = 0; i < unwrapped.lineCount(); ++i)
        widest = std::max(widest, unwrapped.lineAt(i).naturalTextWidth());
    return Ceil(widest);
}

QStringList WrappedLabel::Lines(int width) const {
    QTextLayout laidOut;
    LayOut(laidOut, width);
    QStringList lines;
    for (int i = 0; i < laidOut.lineCount(); ++i) {
        const QTextLine line = laidOut.lineAt(i);
        QString part = laidOut.text().mid(line.textStart(), line.textLength());
        if (part.endsWith(kLineBreak))
            part.chop(1);
        lines << part;
    }
    return lines;
}

int WrappedLabel::heightForWidth(int width) const {
    QTextLayout laidOut;
    LayOut(laidOut, width);
    return Ceil(laidOut.boundingRect().bottom());
}

void WrappedLabel::paintEvent(QPaintEvent*) {
    const QRect inside = contentsRect();
    // A long text scrolls, with a paint at every step; a word of thousands of characters takes
    // long to break into lines, so the lines are kept while what they were made from stays.
    LayoutKey from{text(), font(), layoutDirection(), inside.width()};
    if (from != drawnFrom_) {
        LayOut(drawn_, inside.width());
        drawnFrom_ = std::move(from);
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    drawn_.draw(&painter, inside.topLeft());
}

}  // namespace palvoren
