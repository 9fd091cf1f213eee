// Component text files: any text imported into a new project; the project then saves
// and reads back, so the import never builds what the file format cannot hold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "files/ComponentImport.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "model/Project.h"
#include "shell/MainFrame.h"

using namespace pontra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The import builds at most 200,000 tags and members (some 90 MB) however short the
    // text that declares them.
    fuzz::HeapBudget budget(size, 64, 128 << 20);
    fuzz::QuietHost host;
    CMainFrame frame(*host);
    frame.SetProject(NewProject("Vessa"));
    ImportComponents(frame, std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.txt");
    std::vector<uint8_t> bytes;
    std::string error;
    if (!WriteProject(frame.project(), bytes, error)) {
        FUZZ_CHECK(!error.empty(), "a refused save needs a reason");
        return 0;
    }
    ProjectReadResult again = ReadProject(bytes);
    FUZZ_CHECK(again.project, "an imported project reads back: " + again.error);
    return 0;
}
