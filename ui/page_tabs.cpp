#include "ui/page_tabs.h"

#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>

namespace palvoren {
namespace {

// Desktop styles pad tabs and frame pages for roomier layouts. The pages were drawn for a classic
// tab control: eight "グループX" tabs fit the 537-pixel strip only with its tighter tab padding,
// and the version caption at 448 reaches to within a few pixels of the page's right edge.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return kTabPadding;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        if (element == SE_TabWidgetTabContents) {
            return QProxyStyle::subElementRect(SE_TabWidgetTabPane, option, widget)
                .adjusted(kPageFrame, kPageFrame, -kPageFrame, -kPageFrame);
        }
        return QProxyStyle::subElementRect(element, option, widget);
    }

private:
    static constexpr int kTabPadding = 8;
    static constexpr int kPageFrame = 1;
};

}  // namespace

void FitTabsInOneRow(QTabWidget& pages) {
    QTabBar* tabs = pages.tabBar();
    // A widget's style does not pass to its children, so the pages' own controls keep the
    // application's style; the tab widget and its strip share this one.
    auto* style = new CompactTabStyle;
    style->setParent(&pages);
    pages.setStyle(style);
    tabs->setStyle(style);
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideNone);
    tabs->setExpanding(false);
    tabs->setDrawBase(true);
    tabs->setFocusPolicy(Qt::NoFocus);
    pages.setFocusPolicy(Qt::NoFocus);
}

}  // namespace palvoren
