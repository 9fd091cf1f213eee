// SPDX-License-Identifier: GPL-3.0-or-later
// Project files of every version: what the reader accepts, the writer writes, the reader
// reads back and the writer writes again byte for byte; the project then goes through
// "Verify Program" as an opened file would. Every project read is also dumped as JSON as
// `pontra-cli dump` does (layout, then the JSON form): a throw out of the JSON layer, such
// as text that is not valid UTF-8, is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "build/ProgramImage.h"
#include "build/ProjectLayout.h"
#include "files/ProjectJson.h"
#include "files/ProjectReader.h"
#include "files/ProjectWriter.h"
#include "model/Project.h"
#include "shell/MainFrame.h"

using namespace pontra;

namespace {

// Outside the heap budget: the JSON tree takes some kilobytes per tag and member, many
// times what the project takes, and is bounded by the project (the fuzzer's RSS limit
// catches the rest).
void DumpAsJson(const uint8_t* data, size_t size) {
    ProjectReadResult read = ReadProject({data, size});
    if (!read.project) return;
    ProjectLayout layout;
    LayOutProject(*read.project, layout);
    const std::string text = ProjectToJson(*read.project).dump(2);
    FUZZ_CHECK(nlohmann::json::accept(text), "the dump is valid JSON");
}

void ReadWriteAndBuild(const uint8_t* data, size_t size) {
    // Elements cost some 75 bytes per byte of their records, a Structured Text body some
    // 200 per byte in the build (tokens and error lines); a version-2 file may derive
    // 90,000 bit members (some 40 MB) from 70 KB.
    fuzz::HeapBudget budget(size, 256, 64 << 20);
    ProjectReadResult read = ReadProject({data, size});
    if (!read.project) {
        FUZZ_CHECK(!read.error.empty(), "a refused file needs a reason");
        return;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!WriteProject(*read.project, bytes, error)) {
        FUZZ_CHECK(!error.empty(), "a refused save needs a reason");
    } else {
        ProjectReadResult again = ReadProject(bytes);
        FUZZ_CHECK(again.project, "a written project reads back: " + again.error);
        std::vector<uint8_t> rewritten;
        FUZZ_CHECK(WriteProject(*again.project, rewritten, error), error);
        FUZZ_CHECK(rewritten == bytes, "a project written twice gives the same bytes");
    }

    fuzz::QuietHost host;
    CMainFrame frame(*host);
    frame.SetProject(std::move(read.project));
    std::string path;
    BuildProgramImage(frame, path, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadWriteAndBuild(data, size);
    DumpAsJson(data, size);
    return 0;
}
