// The user's cursor scheme: the cursors named under
// HKEY_CURRENT_USER\Control Panel\Cursors, loaded from their files, so that
// captures show the cursor the user sees rather than the system's built-in
// shape.
#pragma once
#include <windows.h>

namespace gmbx {

// (Re)loads every row of the scheme; a missing key leaves the table as it is.
void LoadCursorScheme();
// Destroys the loaded cursors.
void FreeCursorScheme();
// The scheme's cursor standing for a system cursor handle, or the handle
// itself when the scheme has none for it.
HCURSOR SchemeCursorFor(HCURSOR systemCursor);

}  // namespace gmbx
