// Timed automatic capture: with AutoSave on and an interval set, the last
// rectangle is captured and saved again and again from the idle step of the
// message loop, until the series reaches its highest number, a hotkey stops
// it, or a save fails (unless the user asked to keep going).
#pragma once

namespace gmbx {

// AutoSave is on and an interval is set: captures arm the timed capture
// instead of their usual follow-ups.
bool TimedCaptureMode();
// The timed capture runs (inside the idle step).
bool TimedCaptureRunning();

// Starts the timed capture at the next idle moment (the post-capture step
// does this in timed-capture mode). Nothing while it runs.
void ArmTimedCapture();
void DisarmTimedCapture();

// The idle step: runs the timed capture to its end when it is armed. True
// when it ran.
bool RunArmedTimedCapture();

// Stops a running timed capture as the stop key does: AutoSave off, the
// stop key released, the last capture shown in the main window brought back
// (a hidden run ends instead).
void StopTimedCapture();

// Automatic saving off: the stop key released, the menu check cleared.
void TurnAutoSaveOff();

// An automatic save starts now: the next timed capture waits the interval
// from here.
void NoteAutomaticSave();

// Whether a failed save lets the timed capture go on (not stored).
bool KeepGoingAfterFailedSave();
void SetKeepGoingAfterFailedSave(bool on);

}  // namespace gmbx
