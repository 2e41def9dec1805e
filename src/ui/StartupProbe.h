// Start-up hooks driven by the environment: the start-up measurement reports
// on standard output when the window has painted its first frame, and the
// screenshot hook saves a picture of the window; both then end the program.
#pragma once

class QWidget;

namespace qvl {

// When the environment variable QVL_STARTUP_PROBE is set, watches window:
// after its first paint the line "painted" is written and the event loop
// quits. Returns whether the probe is active.
bool InstallStartupProbe(QWidget& window);

// When QVL_SCREENSHOT names a PNG file, saves a picture of the window there
// once it has been painted, then quits. Returns whether the hook is active.
bool InstallScreenshot(QWidget& window);

}  // namespace qvl
