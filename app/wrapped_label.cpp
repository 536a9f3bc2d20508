#include "app/wrapped_label.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>
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
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

WrappedLabel::~WrappedLabel() = default;

const QTextLayout& WrappedLabel::LaidOut(int width) const {
    // The box asks for the same width many times while it settles; a long text is laid out once.
    if (layout_ != nullptr && layoutWidth_ == width && layoutSource_ == text())
        return *layout_;
    layoutSource_ = text();
    layoutWidth_ = width;
    layout_ = std::make_unique<QTextLayout>(WithLineSeparators(layoutSource_), font());
    QTextOption option;
    option.setWrapMode(width < 0 ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(layoutDirection());
    layout_->setTextOption(option);
    layout_->beginLayout();
    qreal top = 0;
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(std::max(width, 0));
        line.setPosition(QPointF(0, top));
        top += line.height();
    }
    layout_->endLayout();
    return *layout_;
}

int WrappedLabel::NaturalWidth() const {
    const QTextLayout& unwrapped = LaidOut(-1);
    qreal widest = 0;
    for (int i = 0; i < unwrapped.lineCount(); ++i)
        widest = std::max(widest, unwrapped.lineAt(i).naturalTextWidth());
    return Ceil(widest);
}

QStringList WrappedLabel::Lines(int width) const {
    const QTextLayout& laidOut = LaidOut(width);
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
    return Ceil(LaidOut(width).boundingRect().bottom());
}

QSize WrappedLabel::sizeHint() const {
    const int width = NaturalWidth();
    return {width, heightForWidth(width)};
}

// One character to a line at the least; any text still fits, only taller.
QSize WrappedLabel::minimumSizeHint() const {
    return {fontMetrics().maxWidth(), fontMetrics().height()};
}

void WrappedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect inside = contentsRect();
    LaidOut(inside.width()).draw(&painter, inside.topLeft());
}

void WrappedLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange) {
        layout_.reset();
        updateGeometry();
    }
    QLabel::changeEvent(event);
}

}  // namespace palvoren
