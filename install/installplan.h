// What the installer writes, independent of the system calls that write it:
// the files copied and their order, the paths written to the uninstall batch
// file and to the Program Manager, the batch file's text and the DDE
// commands of the program group.
#pragma once
#include <string>
#include <vector>

namespace gmbx::install {

// The version written to the registry (the one the About box shows).
constexpr unsigned kMajorVersion = 3;
constexpr unsigned kMinorVersion = 30;

// Folder beside the Windows directory's drive root proposed to the user.
constexpr char kDefaultFolderName[] = "GlimmerDX";
// Name of the uninstall batch file in the Windows directory.
constexpr char kBatchFileName[] = "UnGMBX.bat";
// Sub-folder of the imaging add-on's libraries.
constexpr char kAddOnFolder[] = "Pixmill";

// One step of the copy: files of the source folder (or of its sub-folder)
// matching the pattern go to the same place under the chosen folder.
struct CopyStep {
    const char* pattern;
    const char* subFolder;  // "" for the folder itself
    bool keyFile;           // counts towards the check that the program arrived
};
// The copy in its order.
const std::vector<CopyStep>& CopySteps();
// At least this many key files must arrive for the version and App Paths
// keys to be written.
constexpr int kMinimumKeyFiles = 6;

// Case-insensitive match of a plain file name against a pattern of '*' and
// '?' (no path separators in either). Used to keep what the system's file
// search returns to the names the pattern really means (the search also
// matches short 8.3 aliases, so "*.dll" would find "x.dllold").
bool NameMatches(const std::string& name, const std::string& pattern);

// True when the text needs quotes on a command line: blanks, tabs and the
// command processor's separators and operators.
bool NeedsQuotes(const std::string& text);

// folder + "\\" + name, quoted as a whole when either part needs quotes. An
// empty name gives the folder alone (without a trailing backslash).
std::string JoinPath(const std::string& folder, const std::string& name);

// The chosen folder as it is kept: surrounding blanks and trailing
// backslashes removed (a drive root keeps its own backslash).
std::string TidyFolder(const std::string& folder);

// Folder comparison without regard to case or a trailing backslash.
bool SameFolder(const std::string& a, const std::string& b);

// The drive root of the Windows directory (up to and including its first
// backslash) followed by kDefaultFolderName; the root alone in *root.
std::string DefaultFolder(const std::string& windowsDir, std::string* root = nullptr);

// A path as a batch file must see it: '%' doubled, so that it is not taken
// for a variable.
std::string BatchEscape(const std::string& text);

struct BatchParams {
    std::string folder;      // the chosen folder
    std::string windowsDir;  // the Windows directory, without trailing backslash
    bool windowsNt = true;
    std::string echo[3];     // the three closing lines
};
// The uninstall batch file, every line ended with CR LF.
std::string UninstallBatchText(const BatchParams& p);

// The Program Manager commands of the installation, in order.
std::vector<std::string> InstallGroupCommands(const std::string& product, const std::string& folder,
                                              const std::string& batchPath, bool windowsNt);
// The Program Manager commands of the uninstallation, in order.
std::vector<std::string> UninstallGroupCommands(const std::string& product);

}  // namespace gmbx::install
