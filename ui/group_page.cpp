#include "ui/group_page.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <utility>

#include "ui/calc_button.h"
#include "ui/layout.h"
#include "ui/score_field.h"
#include "ui/string_grid.h"

namespace palvoren {
namespace {

// All eight grids split this one constant, so a header can never differ between pages.
constexpr std::string_view kGridHeader = "-,勝,負,引分,勝点,得点,失点,得失点,順位";
constexpr std::array<int, StringGrid::kColumnCount> kColumnWidths{92, 40, 40, 40, 50,
                                                                  50, 50, 50, 40};

// Screen readers pass over a plain container; a page is a panel, named as its tab.
QAccessibleInterface* AsPanel(const QString&, QObject* object) {
    auto* page = qobject_cast<GroupPage*>(object);
    return page != nullptr ? new QAccessibleWidget(page, QAccessible::Pane) : nullptr;
}
[[maybe_unused]] const bool kPanelsInstalled = (QAccessible::installFactory(AsPanel), true);

}  // namespace

GroupPage::GroupPage(int groupIndex, QWidget* parent) : QWidget(parent), groupIndex_(groupIndex) {
    setObjectName(QString::fromUtf8(Group().page));
    setAccessibleName(QString::fromUtf8(Group().pageCaption));
    // Built hidden, once the program is up: a page built as it is shown sends screen readers so
    // many new controls that they pass over the field that gets the focus.
    QTimer::singleShot(0, this, &GroupPage::EnsureBuilt);
}

const GroupSpec& GroupPage::Group() const {
    return GroupByIndex(groupIndex_);
}

std::size_t GroupPage::SlotOf(int fieldNumber) {
    const FieldLocation where = LocateField(fieldNumber);
    const MatchSpec& match =
        GroupByIndex(where.groupIndex).matches[static_cast<std::size_t>(where.matchIndex)];
    return static_cast<std::size_t>(2 * (match.line - 1) + (where.side == Side::Away ? 1 : 0));
}

QString GroupPage::FieldText(int fieldNumber) const {
    const std::size_t slot = SlotOf(fieldNumber);
    return built_ ? fields_[slot]->text() : pendingTexts_[slot];
}

void GroupPage::SetFieldText(int fieldNumber, const QString& text) {
    const std::size_t slot = SlotOf(fieldNumber);
    if (built_)
        fields_[slot]->setText(text);
    else
        pendingTexts_[slot] = text;
}

ScoreField* GroupPage::Field(int fieldNumber) {
    EnsureBuilt();
    return fields_[SlotOf(fieldNumber)];
}

ScoreField* GroupPage::FirstField() {
    EnsureBuilt();
    return fields_.front();
}

CalcButton* GroupPage::Button() {
    EnsureBuilt();
    return button_;
}

StringGrid* GroupPage::Grid() {
    EnsureBuilt();
    return grid_;
}

void GroupPage::EnsureBuilt() {
    if (built_)
        return;
    Build();
    built_ = true;
    for (std::size_t slot = 0; slot < fields_.size(); ++slot)
        fields_[slot]->setText(std::exchange(pendingTexts_[slot], QString()));
    SetUpGrid();
    // Children added to a page already on screen stay hidden unless shown.
    if (isVisible()) {
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->show();
    }
}

void GroupPage::Build() {
    const GroupSpec& group = Group();
    for (const MatchSpec& match : group.matches)
        AddMatch(match);
    AddCaption(group.upper.label, group.upper.text, layout::kUpperRoundOf16);
    AddCaption(group.lower.label, group.lower.text, layout::kLowerRoundOf16);

    const QString groupName = QString::fromUtf8(group.pageCaption);
    button_ = new CalcButton(QString::fromUtf8(layout::kButtonCaption), this);
    button_->setObjectName(QString::fromUtf8(group.button));
    button_->setGeometry(layout::kButton);
    button_->setAccessibleName(groupName + QStringLiteral(" ") + button_->text());
    connect(button_, &QPushButton::clicked, this, &GroupPage::CalculatePressed);

    grid_ = new StringGrid(this);
    grid_->setObjectName(QString::fromUtf8(group.grid));
    grid_->setGeometry(layout::kGrid);
    grid_->setAccessibleName(groupName + QStringLiteral(" 順位表"));
    button_->SetArrowNeighbours(fields_.back(), grid_);
    if (groupIndex_ == 1)
        AddCaption(layout::kVersionLabel, layout::kVersionText, layout::kVersionPosition);
    LinkFocusOrder();
}

void GroupPage::LinkFocusOrder() {
    // The page's controls form one run of the window's focus chain. Hidden pages are skipped, so
    // Tab cycles within the visible page and wraps from its button (or its grid) to its first
    // field.
    QWidget* previous = nullptr;
    for (QWidget* widget : fields_) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    QWidget::setTabOrder(previous, button_);
    QWidget::setTabOrder(button_, grid_);
}

void GroupPage::SetUpGrid() {
    for (int column = 0; column < StringGrid::kColumnCount; ++column)
        grid_->SetColumnWidth(column, kColumnWidths[static_cast<std::size_t>(column)]);
    const GroupSpec& group = Group();
    for (int row = 1; row <= kTeamsPerGroup; ++row)
        grid_->SetCellText(0, row, group.teams[static_cast<std::size_t>(row - 1)]);
    const QStringList header = QString::fromUtf8(kGridHeader).split(QLatin1Char(','));
    for (int column = 0; column < StringGrid::kColumnCount; ++column)
        grid_->SetCellText(column, 0, header.value(column).toStdString());
}

void GroupPage::AddCaption(std::string_view name, std::string_view text, QPoint position) {
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextFormat(Qt::PlainText);
    // Sized to the text; a font taller than 12 pixels gets the height it needs rather than a cut.
    // The font's metrics give the same size as the label's own size hint at a fraction of the
    // cost, which counts with 64 captions laid out at start.
    const QFontMetrics metrics(label->font());
    const QSize size(metrics.horizontalAdvance(label->text()),
                     std::max(layout::kCaptionHeight, metrics.height()));
    label->setGeometry(QRect(position, size));
}

void GroupPage::AddMatch(const MatchSpec& match) {
    AddCaption(match.captionLabel, match.captionText,
               {layout::kCaptionLeft, layout::CaptionTop(match.line)});
    const auto slot = static_cast<std::size_t>(2 * (match.line - 1));
    fields_[slot] = AddField(match, Side::Home);
    fields_[slot + 1] = AddField(match, Side::Away);
}

ScoreField* GroupPage::AddField(const MatchSpec& match, Side side) {
    const bool home = side == Side::Home;
    const int row = home ? match.homeRow : match.awayRow;
    auto* field = new ScoreField(this);
    field->setObjectName(QStringLiteral("Edit%1").arg(home ? match.homeField : match.awayField));
    field->setGeometry(layout::FieldRect(groupIndex_, match.line, side));
    field->setAccessibleName(QString::fromUtf8(MatchKickOff(match)) + QStringLiteral(" ") +
                             QString::fromUtf8(Group().teams[static_cast<std::size_t>(row - 1)]));
    return field;
}

}  // namespace palvoren
