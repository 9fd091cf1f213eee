// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/TrendBuffer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>

#include "build/OperandScope.h"
#include "model/Types.h"
#include "online/OnlineSession.h"
#include "shell/MainFrame.h"

namespace pontra {

bool TrendBuffer::AddTag(const std::string& name, bool digital) {
    if (name.empty() || Has(name) || names_.size() >= kMaxTags) return false;
    names_.push_back(name);
    digital_.push_back(digital);
    series_.emplace_back();
    return true;
}

bool TrendBuffer::RemoveTag(const std::string& name) {
    auto it = std::find(names_.begin(), names_.end(), name);
    if (it == names_.end()) return false;
    series_.erase(series_.begin() + (it - names_.begin()));
    digital_.erase(digital_.begin() + (it - names_.begin()));
    names_.erase(it);
    return true;
}

void TrendBuffer::Clear() {
    for (auto& s : series_) s.clear();
    last_.reset();
}

bool TrendBuffer::Has(const std::string& name) const {
    return std::find(names_.begin(), names_.end(), name) != names_.end();
}

void TrendBuffer::Append(double time, const std::vector<std::optional<double>>& values) {
    if (paused_ || (last_ && time < *last_)) return;
    last_ = time;
    for (size_t i = 0; i < series_.size(); ++i) {
        auto& s = series_[i];
        if (i < values.size() && values[i]) s.push_back({time, *values[i]});
        while (!s.empty() && (s.front().time < time - window_ || s.size() > kMaxSamplesPerTag)) s.pop_front();
    }
}

void TrendBuffer::SetWindowSeconds(double seconds) {
    window_ = std::max(1.0, seconds);
}

std::optional<double> TrendBuffer::FirstTime() const {
    std::optional<double> first;
    for (const auto& s : series_)
        if (!s.empty() && (!first || s.front().time < *first)) first = s.front().time;
    return first;
}

std::optional<double> TrendBuffer::LastTime() const {
    std::optional<double> last;
    for (const auto& s : series_)
        if (!s.empty() && (!last || s.back().time > *last)) last = s.back().time;
    return last;
}

std::optional<double> TrendBuffer::ValueAt(size_t tag, double time) const {
    if (tag >= series_.size()) return std::nullopt;
    const auto& s = series_[tag];
    auto it = std::upper_bound(s.begin(), s.end(), time, [](double t, const TrendSample& x) { return t < x.time; });
    if (it == s.begin()) return std::nullopt;
    return std::prev(it)->value;
}

namespace {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string Number(double value, const char* format) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The tag a trend name reads: an alias is trended under its own name with the value of
// the tag it stands for.
const CTag* TrendedTag(const UnitScope& scope, std::string_view name) {
    return ResolveAlias(scope, FindOperandTag(scope, name)).tag;
}

} // namespace

void TrendBuffer::WriteCsv(std::ostream& out) const {
    out << "Time (s)";
    for (const auto& name : names_) out << ',' << CsvField(name);
    out << "\r\n";
    std::vector<size_t> at(series_.size(), 0);
    while (true) {
        double t = std::numeric_limits<double>::infinity();
        for (size_t i = 0; i < series_.size(); ++i)
            if (at[i] < series_[i].size()) t = std::min(t, series_[i][at[i]].time);
        if (t == std::numeric_limits<double>::infinity()) break;
        out << Number(t, "%.3f");
        for (size_t i = 0; i < series_.size(); ++i) {
            out << ',';
            if (at[i] < series_[i].size() && series_[i][at[i]].time == t) out << Number(series_[i][at[i]++].value, "%.10g");
        }
        out << "\r\n";
    }
}

std::optional<std::string> TrendName(CProject& project, CUnit* unit, std::string_view operand) {
    while (!operand.empty() && (operand.front() == ' ' || operand.front() == '\t')) operand.remove_prefix(1);
    while (!operand.empty() && (operand.back() == ' ' || operand.back() == '\t')) operand.remove_suffix(1);
    if (operand.empty()) return std::nullopt;
    // A function block's tags hold one value per instance.
    if (unit) return std::nullopt;
    const CTag* tag = TrendedTag(MainProgramScope(project), operand);
    if (!tag || !IsElementary(tag->dataType)) return std::nullopt;
    return std::string(operand);
}

bool TrendIsDigital(CProject& project, const std::string& name) {
    const CTag* tag = TrendedTag(MainProgramScope(project), name);
    return tag && tag->dataType == "BOOL";
}

std::vector<std::optional<double>> TrendValues(CMainFrame& frame, const std::vector<std::string>& tags) {
    std::vector<std::optional<double>> values;
    values.reserve(tags.size());
    const UnitScope scope = MainProgramScope(frame.project());
    for (const auto& name : tags) {
        const CTag* tag = TrendedTag(scope, name);
        std::optional<int32_t> live;
        if (tag) live = frame.online().LiveValue(*tag, frame.online().InstanceBase(nullptr));
        values.push_back(live ? std::optional<double>(*live) : std::nullopt);
    }
    return values;
}

} // namespace pontra
