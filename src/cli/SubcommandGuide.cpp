// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SubcommandGuide.h"

#include <algorithm>
#include <iostream>
#include <numeric>

#include "cli/Commands.h"

namespace pontra {

namespace {

// Levenshtein distance: insertions, deletions and substitutions.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> SubcommandNames(CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
        names.push_back(sub->get_name());
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

} // namespace

std::string NearestName(const std::string& word, const std::vector<std::string>& names) {
    std::string nearest;
    size_t best = 0;
    for (const auto& name : names) {
        const size_t distance = EditDistance(word, name);
        if (nearest.empty() || distance < best) {
            nearest = name;
            best = distance;
        }
    }
    return nearest;
}

std::optional<int> GuideBeforeParse(CLI::App& app, int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    const std::string first = argv[1];
    const std::vector<std::string> names = SubcommandNames(app);
    if (first == "help") {
        if (argc == 2) {
            std::cout << app.help();
            return kExitOk;
        }
        const std::string topic = argv[2];
        if (std::find(names.begin(), names.end(), topic) != names.end()) {
            std::cout << app.get_subcommand(topic)->help();
            return kExitOk;
        }
        std::cerr << "No subcommand '" << topic << "'; did you mean '" << NearestName(topic, names) << "'?\n";
        return kExitUsage;
    }
    if (first.starts_with("-")) {
        if (first == "-h" || first == "--help" || first == "--version") return std::nullopt;
        std::cerr << "Unknown option '" << first
                  << "'; a subcommand comes first (pontra-cli SUBCOMMAND --help), "
                  << "or --help, --version\n";
        return kExitUsage;
    }
    if (std::find(names.begin(), names.end(), first) != names.end()) return std::nullopt;
    const std::string nearest = NearestName(first, names);
    // A word far from every name gets the list rather than a guess.
    if (EditDistance(first, nearest) <= std::max<size_t>(2, first.size() / 2))
        std::cerr << "Unknown subcommand '" << first << "'; did you mean '" << nearest << "'?\n";
    else
        std::cerr << "Unknown subcommand '" << first << "'; the subcommands are: " << Joined(names) << "\n";
    return kExitUsage;
}

} // namespace pontra
