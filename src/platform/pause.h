#pragma once
// Waits that keep the program responsive: pending events, timers among
// them, run while the time passes.

#include <chrono>

namespace lumibench {

// Returns once more than `milliseconds` have passed, processing events
// meanwhile. Without a QCoreApplication it simply sleeps.
void Pause(int milliseconds);
void Pause(std::chrono::milliseconds duration);
// The same for an interval in seconds, as the settings give it ("0.3").
void PauseSeconds(double seconds);

}  // namespace lumibench
