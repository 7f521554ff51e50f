// A printer for the tests: a Wine printer on the built-in PostScript driver
// whose port is a file, so every job lands as PostScript in a file the tests
// can read (and render with Ghostscript).
#pragma once

#include <string>

namespace tendra::test {

constexpr wchar_t kTestPrinterName[] = L"Tendra Test Printer";

// Installs the printer if it is missing (or points elsewhere) and makes it the
// default. `printerName` receives its name, `outputPath` the Unix path of the
// file the next job is written to (each job replaces the file). False when
// the printer could not be set up.
bool EnsureTestPrinter(std::wstring* printerName, std::string* outputPath);

// The same path as seen from Windows (through Wine's Z: drive).
std::wstring TestPrinterOutputWindowsPath();

// Removes the output file, so that the next job can be told apart.
void ClearTestPrinterOutput();

// Reads the output file; empty when there is none.
std::string ReadTestPrinterOutput();

// Waits up to `timeoutMs` for the output file to exist and be complete
// (ending in the PostScript trailer); returns its content, empty on time-out.
std::string WaitForTestPrinterOutput(int timeoutMs);

// Number of pages of a PostScript document written by the driver
// ("%%Pages: N" trailer, else the count of "%%Page:" lines).
int PostScriptPageCount(const std::string& ps);

// The document's title ("%%Title:" header), as bytes.
std::string PostScriptTitle(const std::string& ps);

// Removes the printer again (for cleaning up by hand).
bool RemoveTestPrinter();

}  // namespace tendra::test
