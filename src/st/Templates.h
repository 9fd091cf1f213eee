// SPDX-License-Identifier: GPL-3.0-or-later
// The statement skeletons the Structured Text editor inserts at the caret. Their
// comments are placeholders: left as they are, a template does not compile.
#pragma once

#include <string>

namespace pontra {

enum class StatementTemplate { If, Elsif, Case, For };

// The template's text; every line after the first is indented by `tabs` tab characters
// (the tabs between the start of the caret's line and the caret).
std::string TemplateText(StatementTemplate kind, int tabs);

}  // namespace pontra
