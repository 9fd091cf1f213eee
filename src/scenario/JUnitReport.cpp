// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario/JUnitReport.h"

#include <cstdio>
#include <filesystem>

#include "model/TextEncoding.h"

namespace pontra::scenario {

namespace {

std::string Seconds(double seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
    return buffer;
}

std::string Attribute(const char* name, std::string_view value) {
    return std::string(" ") + name + "=\"" + XmlText(value) + "\"";
}

}  // namespace

std::string XmlText(std::string_view text) {
    const std::string utf8 = IsValidUtf8(text) ? std::string(text) : Cp1252ToUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') break;
            out += c;
        }
    }
    return out;
}

std::string JUnitReport::Xml(const std::vector<std::string>& suiteOrder, const std::vector<TestResult>& results) {
    size_t failures = 0;
    double seconds = 0;
    for (const auto& r : results) {
        failures += r.Passed() ? 0 : 1;
        seconds += r.seconds;
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites" + Attribute("name", "pontra scenario tests") +
           Attribute("tests", std::to_string(results.size())) + Attribute("failures", std::to_string(failures)) +
           Attribute("errors", "0") + Attribute("time", Seconds(seconds)) + ">\n";
    for (const auto& path : suiteOrder) {
        size_t tests = 0, failed = 0;
        double suiteSeconds = 0;
        for (const auto& r : results) {
            if (r.path != path) continue;
            ++tests;
            failed += r.Passed() ? 0 : 1;
            suiteSeconds += r.seconds;
        }
        const std::string suiteName = std::filesystem::path(path).filename().string();
        const std::string className = std::filesystem::path(path).stem().string();
        xml += "  <testsuite" + Attribute("name", suiteName) + Attribute("tests", std::to_string(tests)) +
               Attribute("failures", std::to_string(failed)) + Attribute("errors", "0") +
               Attribute("skipped", "0") + Attribute("time", Seconds(suiteSeconds)) + Attribute("file", path) + ">\n";
        for (const auto& r : results) {
            if (r.path != path) continue;
            xml += "    <testcase" + Attribute("name", r.name) + Attribute("classname", className) +
                   Attribute("file", path) + Attribute("line", std::to_string(r.line)) +
                   Attribute("time", Seconds(r.seconds));
            if (r.Passed()) {
                xml += "/>\n";
                continue;
            }
            xml += ">\n";
            const ScenarioFailure& first = r.failures.front();
            std::string body;
            for (const auto& f : r.failures) body += f.Text() + "\n";
            xml += "      <failure" + Attribute("message", first.Text()) +
                   Attribute("type", first.tag.empty() ? "module fault" : "expectation") + ">" + XmlText(body) +
                   "</failure>\n";
            xml += "    </testcase>\n";
        }
        xml += "  </testsuite>\n";
    }
    xml += "</testsuites>\n";
    return xml;
}

}  // namespace pontra::scenario
