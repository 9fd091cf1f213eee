// SPDX-License-Identifier: GPL-3.0-or-later
// The list of module addresses that "Download Program to Modules..." downloads to: the
// list file beside the project (or the shared one in the program's folder) and the
// operations of the "List of Modules to Download" dialog on it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CMainFrame;
class CVessaDoc;

// The project's path without its last 4 characters + "_Modules.txt"; for an untitled
// project the shared "modules.txt" in the program's folder.
std::string ModuleListPath(const CVessaDoc& doc, const std::string& programFolder);
// The file the dialog reads at its start: the project's own list when it exists, else
// the shared one.
std::string ModuleListReadPath(const CVessaDoc& doc, const std::string& programFolder);

// One address per line. Lines end with CR LF as the list is written, but LF and a last
// line without any end are read too; blank lines and comment lines (starting with '#')
// are skipped. A missing file is an empty list.
std::vector<std::string> ReadModuleList(const std::string& path);
// The addresses of a list file's text, as ReadModuleList reads them.
std::vector<std::string> ParseModuleList(std::string_view text);
// Every address followed by CR LF, in a file created anew. False when it cannot be written.
bool WriteModuleList(const std::string& path, const std::vector<std::string>& addresses);

// The dialog's state and its buttons; the front end shows it and asks the "Module"
// dialog for the address text that Add and Edit take.
class ModuleListDialog {
public:
    // Reads the list file and selects the first address.
    explicit ModuleListDialog(CMainFrame& frame);

    std::vector<std::string> addresses;
    int selection = -1;              // -1: nothing selected
    std::vector<std::string> output; // the "Output:" list

    bool DeleteEnabled() const { return !addresses.empty(); }
    bool EditEnabled() const { return !addresses.empty(); }

    // "Add": appends and selects, unless the address is in the list already.
    bool Add(const std::string& address);
    // "Edit": replaces the selected entry, unless another entry has the new text.
    bool Edit(const std::string& address);
    // "Delete": removes the selected entry and selects the one now at its place.
    void Delete();
    // "Save": writes the project's list file (the dialog then closes).
    bool Save();
    // "Download to All Modules".
    bool DownloadToAllModules();
    // Called on the model's thread while the download runs: with -1 once the output list
    // holds an "address..." line per module, then with a line's index when that module's
    // result has replaced it.
    std::function<void(int line)> onOutputChanged;
    // The results of the last download so far.
    int succeeded = 0;
    int failed = 0;
    // "%d of %d modules downloaded, %d failed" over the last download; "" before one.
    std::string Summary() const;

    CMainFrame& frame() { return frame_; }

private:
    bool Exists(const std::string& address, int except) const;

    CMainFrame& frame_;
};

} // namespace pontra
