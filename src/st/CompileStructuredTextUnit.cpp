#include "st/StructuredText.h"

namespace pontra {

// Until the compiler lands, a Structured Text unit compiles to nothing and reports nothing.
bool CompileStructuredTextUnit(CMainFrame&, CUnit&) { return true; }

}  // namespace pontra
