#include "ui/tvarnek.h"

#include <QShowEvent>
#include <QTabWidget>
#include <QWindowStateChangeEvent>
#include <stdexcept>

#include "settings/settings_path.h"
#include "ui/group_page.h"
#include "ui/layout.h"
#include "ui/page_tabs.h"
#include "ui/score_field.h"
#include "ui/screen_fit.h"
#include "ui/string_grid.h"
#include "ui/window_font.h"

namespace palvoren {
namespace {

using ClickHandler = void (TVarnek::*)();
constexpr std::array<ClickHandler, kGroupCount> kClickHandlers{
    &TVarnek::Button1Click, &TVarnek::Button2Click, &TVarnek::Button3Click, &TVarnek::Button4Click,
    &TVarnek::Button5Click, &TVarnek::Button6Click, &TVarnek::Button7Click, &TVarnek::Button8Click,
};

constexpr Qt::WindowStates kNotNormal =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

}  // namespace

TVarnek::TVarnek(TVarnekOptions options) : options_(std::move(options)) {
    if (!options_.errorDisplay)
        throw std::invalid_argument("the main window needs an error display");
    if (!options_.settingsPath) {
        try {
            options_.settingsPath = SettingsFilePath();
        } catch (const std::exception&) {
            // Left unknown: the load falls back and the save says why it cannot save.
        }
    }
    setObjectName(QStringLiteral("Varnek"));
    setWindowTitle(QString::fromUtf8(layout::kWindowCaption));
    // Title, system menu, minimise and close; no maximise button and no resizing by the frame.
    // Windows gives a fixed size no frame of its own: without the thin frame the window keeps a
    // sizing border that only refuses to move.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(layout::kClientSize);
    setFont(WindowFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    move(layout::kInitialPosition);
    BuildControls();
    Guarded([this] { FormCreate(); });
}

TVarnek::~TVarnek() {
    FormDestroy();
}

void TVarnek::BuildControls() {
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setGeometry(layout::kPageControl);
    FitTabsInOneRow(*pageControl_);
    for (int g = 1; g <= kGroupCount; ++g) {
        auto* page = new GroupPage(g, pageControl_);
        pages_[static_cast<std::size_t>(g - 1)] = page;
        pageControl_->addTab(page, QString::fromUtf8(page->Group().pageCaption));
        const ClickHandler handler = kClickHandlers[static_cast<std::size_t>(g - 1)];
        connect(page, &GroupPage::CalculatePressed, this, [this, handler] { (this->*handler)(); });
    }
    pageControl_->setCurrentIndex(0);
    // The front page is needed at once; the others are built when first shown or asked for.
    pages_.front()->EnsureBuilt();
    connect(pageControl_, &QTabWidget::currentChanged, this, &TVarnek::OnPageChanged);
}

void TVarnek::FormCreate() {
    LoadSettings(*this, options_.settingsPath, &loaded_);
    // A platform that places windows itself has nothing to bring back onto the screens.
    if (WindowPositionsKnown())
        KeepTitleBarReachable(*this, layout::kClientSize);
    placedPosition_ = pos();
}

void TVarnek::FormDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    hide();
    Guarded([this] { Save(); });
}

std::optional<std::string> TVarnek::SaveWithoutDisplay() noexcept {
    if (destroyed_)
        return std::nullopt;
    destroyed_ = true;
    try {
        Save();  // reads the fields' texts and the position, both held in memory
        return std::nullopt;
    } catch (const std::exception& error) {  // the only kind the save throws
        return std::string(error.what());
    }
}

void TVarnek::Save() {
    SaveSettings(*this, options_.settingsPath, &loaded_);
}

void TVarnek::Guarded(const std::function<void()>& handler) const {
    // Errors end the handler where they arise; what it did so far stays, and the window goes on.
    try {
        handler();
    } catch (const std::exception& error) {
        options_.errorDisplay(error);
    }
}

void TVarnek::CalculatePage(int groupIndex) {
    Guarded([this, groupIndex] {
        CalculateGroup(GroupByIndex(groupIndex), *this, *Page(groupIndex)->Grid());
    });
}

void TVarnek::Button1Click() {
    CalculatePage(1);
}
void TVarnek::Button2Click() {
    CalculatePage(2);
}
void TVarnek::Button3Click() {
    CalculatePage(3);
}
void TVarnek::Button4Click() {
    CalculatePage(4);
}
void TVarnek::Button5Click() {
    CalculatePage(5);
}
void TVarnek::Button6Click() {
    CalculatePage(6);
}
void TVarnek::Button7Click() {
    CalculatePage(7);
}
void TVarnek::Button8Click() {
    CalculatePage(8);
}

void TVarnek::OnPageChanged(int index) {
    // The stack hands the focus to whatever last had it on the new page; the window wants the
    // page's first field instead, selected, as when tabbing in. Only page controls take the
    // focus (the tab strip never does), so focus anywhere in the tab control was on a page.
    QWidget* focused = focusWidget();
    if (focused == nullptr || !pageControl_->isAncestorOf(focused))
        return;
    pages_[static_cast<std::size_t>(index)]->FirstField()->setFocus(Qt::TabFocusReason);
}

void TVarnek::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous() && focusWidget() == nullptr) {
        pages_.front()->FirstField()->setFocus(Qt::TabFocusReason);
        pages_.front()->FirstField()->selectAll();
    }
}

void TVarnek::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates oldState = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    // Still where it stood: a minimised window may go to -32000 (Windows), a maximised one into
    // the screen's corner, and the platform reports that after the state.
    if (!(oldState & kNotNormal) && (windowState() & kNotNormal))
        normalPosition_ = pos();
    if (isVisible() && isMaximized() && !(oldState & Qt::WindowMaximized)) {
        // After Qt has finished with this change, not inside it.
        QMetaObject::invokeMethod(
            this, [this] { setWindowState(windowState() & ~Qt::WindowMaximized); },
            Qt::QueuedConnection);
    }
}

QPoint TVarnek::NormalPosition() const {
    if (!WindowPositionsKnown() && placedPosition_)
        return *placedPosition_;
    return windowState() & kNotNormal ? normalPosition_ : pos();
}

std::int32_t TVarnek::Top() const {
    return NormalPosition().y();
}
std::int32_t TVarnek::Left() const {
    return NormalPosition().x();
}
void TVarnek::SetTop(std::int32_t top) {
    move(pos().x(), top);
}
void TVarnek::SetLeft(std::int32_t left) {
    move(left, pos().y());
}

std::string TVarnek::FieldText(int fieldNumber) const {
    return PageOfField(fieldNumber)->FieldText(fieldNumber).toStdString();
}

void TVarnek::SetFieldText(int fieldNumber, std::string_view text) {
    PageOfField(fieldNumber)->SetFieldText(fieldNumber, QString::fromUtf8(text));
}

GroupPage* TVarnek::PageOfField(int fieldNumber) const {
    return Page(LocateField(fieldNumber).groupIndex);
}

GroupPage* TVarnek::Page(int groupIndex) const {
    GroupByIndex(groupIndex);  // throws for an index outside 1-8
    return pages_[static_cast<std::size_t>(groupIndex - 1)];
}

}  // namespace palvoren
