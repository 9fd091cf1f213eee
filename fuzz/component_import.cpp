// SPDX-License-Identifier: GPL-3.0-or-later
// Component text files: any text imported into a new project; the project then saves
// and reads back, so the import never builds what the file format cannot hold. A text
// that imports without errors exports as the main task, and that export imports into
// a new project without errors and exports the same again. A text that is UTF-8 is
// converted on import; one holding a character Windows-1252 cannot hold imports nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "files/ComponentExport.h"
#include "files/ComponentImport.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "model/Project.h"
#include "model/TextEncoding.h"
#include "shell/MainFrame.h"

using namespace pontra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The import builds at most 200,000 tags and members (some 90 MB) however short the
    // text that declares them.
    fuzz::HeapBudget budget(size, 64, 128 << 20);
    fuzz::QuietHost host;
    CMainFrame frame(*host);
    frame.SetProject(NewProject("Vessa"));
    const ImportOutcome outcome =
        ImportComponents(frame, std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.txt");
    std::vector<uint8_t> bytes;
    std::string error;
    if (!WriteProject(frame.project(), bytes, error)) {
        FUZZ_CHECK(!error.empty(), "a refused save needs a reason");
    } else {
        ProjectReadResult again = ReadProject(bytes);
        FUZZ_CHECK(again.project, "an imported project reads back: " + again.error);
    }
    if (!outcome.ok) return 0;
    const auto exported = ExportText(frame.project(), ExportSubject::MainTask);
    if (!exported) return 0;  // a forbidden symbol: nothing exported
    // Windows-1252 bytes that happen to form UTF-8 (such as "\xC3\xA4") read back as UTF-8:
    // the one case where a component file's encoding cannot be told from its bytes.
    if (HasNonAscii(*exported) && IsValidUtf8(*exported)) return 0;
    CMainFrame second(*host);
    second.SetProject(NewProject("Vessa"));
    FUZZ_CHECK(ImportComponents(second, *exported, "export.txt").ok, "the export imports:\n" + *exported);
    const auto again = ExportText(second.project(), ExportSubject::MainTask);
    FUZZ_CHECK(again && *again == *exported, "the export exports the same:\n" + *exported + "\n---\n" + again.value_or(""));
    return 0;
}
