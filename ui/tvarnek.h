// The main window: eight group pages, each with its match captions, twelve score fields, the 計算
// button, the round-of-16 captions and the standings grid, all built from the fixture table.
//
// Construction builds every control, then runs FormCreate (the settings load);
// the window is still hidden afterwards. FormDestroy (the settings save) runs once, at the latest
// when the window is destroyed, while every control still exists. Every handler runs through one
// guard: an error that escapes it goes to the error display given at construction, and the window
// stays as the handler left it. After the load, FormCreate moves the window onto the screens when
// the loaded position leaves its title bar out of reach (ReachablePosition in ui/screen_fit.h).
//
// Top and Left, which the save reads, give where the window stands in its normal state: while it
// is minimised or maximised, where it stood before (or was placed, for a start in that state);
// where the platform does not report window positions (Wayland), where the load placed it. The
// window has no maximised state but one it was shown in from the start: a window manager or
// decoration that maximises it anyway is undone.
#pragma once

#include <QPoint>
#include <QWidget>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"

class QTabWidget;

namespace palvoren {

class GroupPage;

// Shows an error that escaped a handler. It returns when the user has dismissed it.
using ErrorDisplay = std::function<void(const std::exception&)>;

struct TVarnekOptions {
    ErrorDisplay errorDisplay;  // required; the constructor throws without one
    // Empty: the file beside the executable, found once at construction, so that a program file
    // replaced or renamed while it runs still saves where it loaded from.
    std::optional<std::string> settingsPath;
};

class TVarnek : public QWidget, public SettingsWindow {
    Q_OBJECT

public:
    explicit TVarnek(TVarnekOptions options);
    ~TVarnek() override;

    // Hides the window and saves the settings, once; later calls do nothing.
    void FormDestroy();
    // Saves the settings, once, as FormDestroy does, but touches neither the display nor the error
    // display: for a process that the platform ends before it returns to main (the display gone,
    // the session ended). Returns what went wrong, or nothing.
    std::optional<std::string> SaveWithoutDisplay() noexcept;

    // SettingsWindow: the window's frame position in the normal state (see above; SetTop and
    // SetLeft move the window) and the score fields by number 1-96.
    std::int32_t Top() const override;
    std::int32_t Left() const override;
    void SetTop(std::int32_t top) override;
    void SetLeft(std::int32_t left) override;
    std::string FieldText(int fieldNumber) const override;
    void SetFieldText(int fieldNumber, std::string_view text) override;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();

private:
    void FormCreate();
    void Save();
    void BuildControls();
    void CalculatePage(int groupIndex);
    void Guarded(const std::function<void()>& handler) const;
    void OnPageChanged(int index);
    GroupPage* Page(int groupIndex) const;
    GroupPage* PageOfField(int fieldNumber) const;
    QPoint NormalPosition() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TVarnekOptions options_;
    LoadedValues loaded_;
    QTabWidget* pageControl_ = nullptr;
    std::array<GroupPage*, 8> pages_{};
    std::optional<QPoint> placedPosition_;  // by FormCreate
    QPoint normalPosition_;                 // when the window last left the normal state
    bool destroyed_ = false;
};

}  // namespace palvoren
