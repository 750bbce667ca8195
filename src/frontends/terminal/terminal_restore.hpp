// The signal-safe half of the terminal front end: the terminal mode saved before the program
// takes the terminal over, and its return on every way out that skips the front end's own
// Close (a termination signal, a crash, exit()). The handlers use async-signal-safe calls
// only: tcsetattr and a write of reset sequences prepared beforehand. A window-size change is
// noted here too, since it also arrives as a signal.
#pragma once

#include <string_view>

namespace cadencio::frontends {

// Saves the mode of the terminal on standard input; false when it is not a terminal.
bool SaveTerminalMode();
// The saved mode, put back at once.
void PutBackTerminalMode();
// Whether a restore is armed: one terminal owner at a time.
bool TerminalRestoreArmed();

// Installs the handlers for the termination and crash signals and for SIGWINCH, before the
// terminal library starts so that it keeps its own off them.
void InstallTerminalSignalHandlers();
void RemoveTerminalSignalHandlers();

// From now on a signal or exit() writes `reset` (cut to 512 bytes) to standard output and puts
// the saved mode back.
void ArmTerminalRestore(std::string_view reset);
// Nothing more to restore: the owner has given the terminal back itself.
void DisarmTerminalRestore();
// The restore itself; async-signal-safe, and done at most once per arming.
void RestoreTerminalNow();

// A descriptor that becomes readable when the window size changes, for poll(); -1 when none.
int ResizeWakeFd();
// True once after each size change (and after MarkResized); empties the wake descriptor.
bool TakeResize();
void MarkResized();

}  // namespace cadencio::frontends
