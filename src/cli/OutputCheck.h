// SPDX-License-Identifier: GPL-3.0-or-later
// What a command printed must have reached its reader: stdout is flushed at the end and
// a failed write (a full disk, a closed pipe) turns success into failure.
#pragma once

namespace pontra {

// `status`, or 1 with the reason on stderr when stdout could not be written.
int CheckedOutput(int status);

} // namespace pontra
