// Options > Save after Capture (menu command 40014) and its dialog: the
// name, numbering and timed capture of automatic saving.
#pragma once

namespace gmbx {

// The menu command: AutoSave on when Shift is held, else toggled. Turning
// it on opens the automatic-save dialog when the stop key can be used, and
// otherwise says that it is needed; turning it off releases the stop key.
void AutoSaveCommand();

// The automatic-save dialog. OK takes the fields over (and tells how to
// stop a timed capture it switches on); Cancel turns automatic saving off.
void ShowAutoSaveDialog();

}  // namespace gmbx
