// Sending the current image as a mail attachment through the system's
// simple messaging library.
#pragma once

namespace gmbx {

// The Send command: the e-mail dialog, the attachment written to a
// temporary file, the mail client's compose window.
void MailImage();

// The messaging library's file name ("MAPI32.DLL"); another name or path is
// for tests. Setting it forgets an earlier binding.
void SetMessagingLibrary(const char* name);

}  // namespace gmbx
