// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/HeapPolicy.h"

#include <cstdlib>  // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pontra {

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    static const bool applied = [] {
        // The heap would otherwise be cut back whenever 128 KB at its end are free, and
        // blocks from 128 KB up (token and instruction lists) would be mapped and unmapped
        // on every compile. Setting either value also ends the library's own adjustment
        // of the other, so both are given.
        constexpr int kMegabyte = 1024 * 1024;
        const bool trim = mallopt(M_TRIM_THRESHOLD, 256 * kMegabyte) == 1;
        const bool map = mallopt(M_MMAP_THRESHOLD, 32 * kMegabyte) == 1;
        return trim && map;
    }();
    (void)applied;
#endif
}

}  // namespace pontra
