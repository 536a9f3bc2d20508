// How the main window first appears: as the starting program was asked to show it.
//
// Windows passes a show state in the start-up information; 3 asks for a maximised window, 7 for a
// minimised one that does not take the activation. Any other state, no state at all and every
// other system give the normal window at its loaded position.
#pragma once

#include <cstdint>

namespace palvoren {

enum class InitialShow {
    kNormal,
    kMaximized,
    kMinimizedNoActivate,
};

inline constexpr std::uint32_t kStartfUseShowWindow = 0x00000001;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinNoActive = 7;

// The show for the start-up flags and show state; the state counts only with kStartfUseShowWindow.
InitialShow InitialShowFor(std::uint32_t startupFlags, int showState);

// The show this process was started with.
InitialShow StartupShow();

}  // namespace palvoren
