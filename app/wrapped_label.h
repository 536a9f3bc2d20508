// A label for plain text that wraps at word boundaries, and inside a word wherever one word is
// wider than the line, so that no line runs past the label's edge.
//
// The text is shown exactly as given: never read as markup, no "&" shortcuts; a line feed or
// carriage return starts a new line. Assistive tools read it as a label named by its text.
#pragma once

#include <QLabel>
#include <QStringList>
#include <memory>

class QTextLayout;

namespace palvoren {

class WrappedLabel : public QLabel {
    Q_OBJECT

public:
    explicit WrappedLabel(const QString& text, QWidget* parent = nullptr);
    ~WrappedLabel() override;

    // The width of the widest line when nothing wraps.
    int NaturalWidth() const;

    // The lines at a width, as they are drawn, without their line breaks.
    QStringList Lines(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The text laid out in lines of `width`, or unwrapped for a negative width.
    const QTextLayout& LaidOut(int width) const;

    mutable std::unique_ptr<QTextLayout> layout_;
    mutable int layoutWidth_ = 0;
    mutable QString layoutSource_;
};

}  // namespace palvoren
