// SPDX-License-Identifier: GPL-3.0-or-later
// The settings of a configuration member's control: the "Control Properties" dialog of
// a "Number" (optional lower and upper limit, kept as the choices "Min" and "Max") and
// the "ComboBox Properties" dialog of a "Selection" (string/value pairs) with its
// "String" dialog. Values are checked against the member's type in decimal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CMainFrame;
class CTag;
class Host;

// The fields of "Control Properties" as they open: the stored limits, or empty.
struct NumberLimits {
    std::string min;  // "Min Value:"
    std::string max;  // "Max Value:"
};
NumberLimits CurrentLimits(const CTag& member);

// OK of "Control Properties" for a "Number" member. A refusal is shown and the dialog
// stays open (false).
bool EditNumberLimits(CMainFrame& frame, CTag& member, const NumberLimits& limits);

class SelectionDialog {
public:
    struct Row {
        std::string text;   // "String"
        std::string value;  // "Value", decimal
    };

    // The member's choices as rows, values in decimal.
    explicit SelectionDialog(const CTag& member);

    // "%s: %s" (member name, data type).
    const std::string& Header() const { return header_; }
    std::vector<Row> rows;
    int selected = -1;

    // OK of the "String" dialog after "Add..." (a new last row) or "Edit..." (row `row`).
    // A refusal is shown and nothing changes (false).
    bool Add(Host& host, const std::string& text, const std::string& value);
    bool Edit(Host& host, int row, const std::string& text, const std::string& value);
    bool Delete(int row);

    // OK of the list: every value must fit the member's type; the first that does not is
    // selected and its range message shown (false). Otherwise the member's choices become
    // the rows, in order.
    bool Apply(CMainFrame& frame, CTag& member);

private:
    std::string StringRefusal(int row, const std::string& text, const std::string& value) const;
    std::string header_;
};

}  // namespace pontra
