// SPDX-License-Identifier: GPL-3.0-or-later
// Component import: reads main programs, function blocks and user-defined types from a
// component text file into the open project. Errors go to the output window as
// "Error at line %d : %s : %s" lines; the import goes on where it can.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pontra {

class CMainFrame;

struct ImportOutcome {
    bool ran = false;      // a file was read and imported
    bool ok = false;       // no error was reported
    bool changed = false;  // a component was added or replaced
    int declined = 0;      // replace questions answered Cancel
};

// A component file is text a person could write; anything larger is refused before it
// is read.
constexpr size_t kMaxImportFileSize = 32u * 1024u * 1024u;

// The Import command: the file `path`, or the one chosen in the open dialog when it is
// empty; read whole, then imported.
ImportOutcome OnImport(CMainFrame& frame, const std::string& path = {});

// Imports a text already read; `fileName` names it in the output lines.
ImportOutcome ImportComponents(CMainFrame& frame, std::string_view text, const std::string& fileName);

}  // namespace pontra
