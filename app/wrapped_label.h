// A label for plain text that wraps at word boundaries, and inside a word wherever one word is
// wider than the line, so that no line runs past the label's edge.
//
// The text is shown exactly as given: never read as markup, no "&" shortcuts; a line feed or
// carriage return starts a new line. Assistive tools read it as a label named by its text. The
// label takes the size it is given; NaturalWidth and heightForWidth tell what the text needs.
#pragma once

#include <QLabel>
#include <QStringList>
#include <QTextLayout>
#include <tuple>

namespace palvoren {

class WrappedLabel : public QLabel {
    Q_OBJECT

public:
    explicit WrappedLabel(const QString& text, QWidget* parent = nullptr);

    // The width of the widest line when nothing wraps.
    int NaturalWidth() const;

    // The lines at a width, as they are drawn, without their line breaks.
    QStringList Lines(int width) const;

    // The height of the text in lines of `width`.
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out in `layout`, in lines of `width`, or unwrapped for a negative width.
    void LayOut(QTextLayout& layout, int width) const;

    // What the drawn layout was made from: text, font, direction and width.
    using LayoutKey = std::tuple<QString, QFont, Qt::LayoutDirection, int>;
    LayoutKey drawnFrom_;
    QTextLayout drawn_;
};

}  // namespace palvoren
