// SPDX-License-Identifier: GPL-3.0-or-later
// How the process keeps memory it has freed. A compile of a large Structured Text unit
// frees and allocates again hundreds of megabytes of rungs; returned to the system after
// each compile, every page of them would be a page fault again at the next one.
#pragma once

namespace pontra {

// Keeps up to 256 MB of freed heap memory for reuse instead of returning it to the system
// at once (a unit of 50,000 statements compiles into about 230 MB), and serves blocks of
// up to 32 MB from the heap. Done once per process, by the first main frame; nothing
// happens where the C library has no such setting.
void KeepFreedMemoryForReuse();

}  // namespace pontra
