#include "ui/group_page.h"

#include <QLabel>
#include <QStringList>

#include "ui/calc_button.h"
#include "ui/layout.h"
#include "ui/score_field.h"
#include "ui/string_grid.h"

namespace palvoren {
namespace {

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// All eight grids split this one constant, so a header can never differ between pages.
constexpr std::string_view kGridHeader = "-,勝,負,引分,勝点,得点,失点,得失点,順位";
constexpr std::array<int, StringGrid::kColumnCount> kColumnWidths{92, 40, 40, 40, 50,
                                                                  50, 50, 50, 40};

}  // namespace

GroupPage::GroupPage(int groupIndex, QWidget* parent) : QWidget(parent), groupIndex_(groupIndex) {
    const GroupSpec& group = Group();
    setObjectName(Utf8(group.page));
    for (const MatchSpec& match : group.matches)
        AddMatch(match);
    AddCaption(group.upper.label, group.upper.text, layout::kUpperRoundOf16);
    AddCaption(group.lower.label, group.lower.text, layout::kLowerRoundOf16);

    const QString groupName = Utf8(group.pageCaption);
    button_ = new CalcButton(Utf8(layout::kButtonCaption), this);
    button_->setObjectName(Utf8(group.button));
    button_->setGeometry(layout::kButton);
    button_->setAccessibleName(groupName + QStringLiteral(" ") + button_->text());

    grid_ = new StringGrid(this);
    grid_->setObjectName(Utf8(group.grid));
    grid_->setGeometry(layout::kGrid);
    grid_->setAccessibleName(groupName + QStringLiteral(" 順位表"));
    button_->SetArrowNeighbours(fields_.back(), grid_);
}

const GroupSpec& GroupPage::Group() const {
    return GroupByIndex(groupIndex_);
}

QWidgetList GroupPage::FocusOrder() const {
    QWidgetList order(fields_.begin(), fields_.end());
    order << button_ << grid_;
    return order;
}

void GroupPage::SetUpGrid() {
    for (int column = 0; column < StringGrid::kColumnCount; ++column)
        grid_->SetColumnWidth(column, kColumnWidths[static_cast<std::size_t>(column)]);
    const GroupSpec& group = Group();
    for (int row = 1; row <= kTeamsPerGroup; ++row)
        grid_->SetCellText(0, row, group.teams[static_cast<std::size_t>(row - 1)]);
    for (int column = 0; column < StringGrid::kColumnCount; ++column)
        grid_->SetCellText(column, 0, {});
    const QStringList header = Utf8(kGridHeader).split(QLatin1Char(','));
    for (int column = 0; column < header.size() && column < StringGrid::kColumnCount; ++column)
        grid_->SetCellText(column, 0, header[column].toStdString());
}

void GroupPage::AddCaption(std::string_view name, std::string_view text, QPoint position) {
    auto* label = new QLabel(Utf8(text), this);
    label->setObjectName(Utf8(name));
    label->setTextFormat(Qt::PlainText);
    // Sized to the text; a font taller than 12 pixels gets the height it needs rather than a cut.
    const QSize hint = label->sizeHint();
    label->setGeometry(
        QRect(position, QSize(hint.width(), std::max(layout::kCaptionHeight, hint.height()))));
}

void GroupPage::AddMatch(const MatchSpec& match) {
    AddCaption(match.captionLabel, match.captionText,
               {layout::kCaptionLeft, layout::CaptionTop(match.line)});
    const auto slot = static_cast<std::size_t>(2 * (match.line - 1));
    fields_[slot] = AddField(match, Side::Home);
    fields_[slot + 1] = AddField(match, Side::Away);
}

ScoreField* GroupPage::AddField(const MatchSpec& match, Side side) {
    const GroupSpec& group = Group();
    const bool home = side == Side::Home;
    const int row = home ? match.homeRow : match.awayRow;
    auto* field = new ScoreField(this);
    field->setObjectName(QStringLiteral("Edit%1").arg(home ? match.homeField : match.awayField));
    field->setGeometry(layout::FieldRect(groupIndex_, match.line, side));
    field->setAccessibleName(Utf8(MatchKickOff(match)) + QStringLiteral(" ") +
                             Utf8(group.teams[static_cast<std::size_t>(row - 1)]));
    return field;
}

}  // namespace palvoren
