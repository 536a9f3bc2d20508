// The tab strip of the group pages: all eight tabs in one row at once, no scroll arrows, and no
// keyboard stop of its own (the pages are switched by click or Ctrl+Tab).
#pragma once

class QTabWidget;

namespace palvoren {

void FitTabsInOneRow(QTabWidget& pages);

}  // namespace palvoren
