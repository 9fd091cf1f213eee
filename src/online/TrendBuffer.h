// SPDX-License-Identifier: GPL-3.0-or-later
// The samples of the trend: for each chosen tag a series of (time, value) pairs, one
// appended after each complete read of tag memory, kept for a rolling window of a few
// minutes. Paused, it takes no samples and drops none, so what it holds stays to be
// looked at and exported.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pontra {

class CMainFrame;
class CProject;
class CUnit;

struct TrendSample {
    double time = 0;  // seconds, on the caller's clock
    double value = 0; // BOOL as 0 or 1
    bool operator==(const TrendSample&) const = default;
};

class TrendBuffer {
public:
    static constexpr double kDefaultWindowSeconds = 600;
    static constexpr size_t kMaxTags = 16;
    // Bounds the memory when reads come much faster than once a second.
    static constexpr size_t kMaxSamplesPerTag = 20000;

    // False when the tag is there already or the trend is full. A digital tag (BOOL)
    // is drawn in a lane of its own rather than on the shared value axis.
    bool AddTag(const std::string& name, bool digital = false);
    bool Digital(size_t tag) const { return digital_.at(tag); }
    bool RemoveTag(const std::string& name);
    void Clear();
    const std::vector<std::string>& Tags() const { return names_; }
    bool Has(const std::string& name) const;
    const std::deque<TrendSample>& Series(size_t tag) const { return series_.at(tag); }

    // One value per tag in the order of Tags(); none leaves a gap in that tag's series.
    // Samples older than the window before `time` are dropped. Ignored while paused,
    // and when time runs backwards.
    void Append(double time, const std::vector<std::optional<double>>& values);

    double WindowSeconds() const { return window_; }
    void SetWindowSeconds(double seconds); // at least 1 s
    bool Paused() const { return paused_; }
    void SetPaused(bool paused) { paused_ = paused; }

    // The earliest and latest sample time held; none when empty.
    std::optional<double> FirstTime() const;
    std::optional<double> LastTime() const;
    // The value of a tag at `time`: the last sample at or before it (a step line).
    std::optional<double> ValueAt(size_t tag, double time) const;

    // "Time (s)" and the tag names, then one row per sample time (ascending, times with
    // three decimals); a tag without a sample at that time leaves its cell empty.
    // Names are written as they are held (Windows-1252), quoted where they need it.
    void WriteCsv(std::ostream& out) const;

private:
    std::vector<std::string> names_;
    std::vector<bool> digital_;
    std::vector<std::deque<TrendSample>> series_;
    double window_ = kDefaultWindowSeconds;
    bool paused_ = false;
    std::optional<double> last_;
};

// The name under which an operand of a unit's code (null: the main program) can go on
// the trend: a tag or member the main program names (controller tags included) with one
// value of an elementary type (an alias: the value it stands for). None for a literal, a
// structure, an indexed access, a name not known, or any operand of a function block
// (its tags hold one value per instance).
std::optional<std::string> TrendName(CProject& project, CUnit* unit, std::string_view operand);
// Whether a trend name (as TrendName gives it) is a BOOL, drawn as a 0/1 lane.
bool TrendIsDigital(CProject& project, const std::string& name);

// The live values of the trend's tags (main-program scope, member paths allowed) as
// numbers; none for a tag that is unknown, not elementary, or has no live value now.
std::vector<std::optional<double>> TrendValues(CMainFrame& frame, const std::vector<std::string>& tags);

} // namespace pontra
