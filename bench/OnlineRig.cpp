// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnlineRig.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "build/ProgramImage.h"
#include "model/Catalogue.h"
#include "model/Project.h"
#include "model/Types.h"
#include "online/OnlineSession.h"
#include "shell/DocumentLifecycle.h"

namespace pontra::bench {

namespace {

std::unique_ptr<CElement> Element(const std::string& mnemonic, std::initializer_list<std::string> operands) {
    auto element = std::make_unique<CElement>(MnemonicToKind(mnemonic));
    size_t i = 0;
    for (const auto& operand : operands) element->operands[i++] = operand;
    return element;
}

template <typename... E>
void AddRung(CProject& project, E... elements) {
    auto& rung = project.doc.rungs.emplace_back(NewRung());
    (rung->Append(std::move(elements)), ...);
}

CTag& AddTag(CProject& project, const std::string& name, const std::string& type,
             const std::string& initial = "0") {
    auto tag = std::make_unique<CTag>(name, type);
    tag->initialValue = initial;
    BuildMembers(project, *tag);
    project.doc.tags.push_back(std::move(tag));
    return *project.doc.tags.back();
}

void SetPreset(CTag& tag, const std::string& value) {
    for (auto& member : tag.members)
        if (member->name == tag.name + ".PRE") member->initialValue = value;
}

// Rungs of one or two instructions: 2,000 of them fill most of the 40,000-byte code
// area, and their tags (one output bit per rung, a timer per 80 rungs, a counter per
// 160) fit the module's program memory with it.
void AddLine(CProject& project, const LineProgram& line) {
    const int rungs = std::max(line.rungs, 1);
    for (int i = 0; i < rungs; ++i) AddTag(project, "B" + std::to_string(i), "BOOL");
    for (int t = 0; t <= (rungs - 1) / 80; ++t) {
        SetPreset(AddTag(project, "T" + std::to_string(t), "TIMER"), std::to_string(100 + 37 * t));
        AddTag(project, "L" + std::to_string(t), "DINT");
    }
    for (int c = 0; c <= (rungs - 1) / 160; ++c) SetPreset(AddTag(project, "C" + std::to_string(c), "COUNTER"), "1000");
    AddTag(project, "Scans", "DINT");
    if (line.fillBytes >= 4) AddTag(project, "Fill", "DINT[" + std::to_string(line.fillBytes / 4) + "]");

    auto bit = [](int i) { return "B" + std::to_string(std::max(i, 0)); };
    for (int i = 0; i < rungs; ++i) {
        const std::string t = "T" + std::to_string(i / 80), c = "C" + std::to_string(i / 160),
                          level = "L" + std::to_string(i / 80), own = bit(i), prev = bit(i - 1), back = bit(i - 3);
        switch (i % 10) {
        case 0: AddRung(project, Element("XIC", {back}), Element("TON", {t})); break;
        case 1: AddRung(project, Element("XIC", {t + ".DN"}), Element("OTE", {own})); break;
        case 2: AddRung(project, Element("XIC", {prev}), Element("CTU", {c})); break;
        case 3: AddRung(project, Element("XIO", {prev}), Element("OTE", {own})); break;
        case 4: AddRung(project, Element("MOV", {t + ".ACC", level})); break;
        case 5: AddRung(project, Element("OTE", {own})); break;
        case 6: AddRung(project, Element("OTL", {own})); break;
        case 7: AddRung(project, Element("OTU", {back})); break;
        case 8: AddRung(project, Element("OTE", {own})); break;
        default: AddRung(project, Element("OTU", {prev})); break;
        }
    }
    AddRung(project, Element("ADD", {"Scans", "1", "Scans"}));
}

}  // namespace

OnlineRig::OnlineRig() {
    frame.SetProject(NewProject("Vessa"));
    frame.online().restartWaitMs = 3000;
}

bool OnlineRig::MakeProject(const LineProgram& program, std::string& error) {
    CProject& project = frame.project();
    project.doc.rungs.clear();
    AddLine(project, program);
    if (!SaveDocumentAs(frame, dir.File("line.clp")) || !BuildProgramImage(frame, imagePath_, false)) {
        for (const auto& line : OutputLines()) error += line + "\n";
        return false;
    }
    return true;
}

bool OnlineRig::StartModules(int count, const std::vector<std::string>& args) {
    if (!sim.Start(args, count)) return false;
    uint32_t address = 0;
    ParseModuleAddress(sim.address, address);
    frame.doc().SetModuleAddress(address);
    return frame.online().SetPorts({sim.modbusPort, sim.tftpPort, sim.udpPort});
}

int OnlineRig::TagAddress(const std::string& name) const {
    for (const auto& tag : frame.project().doc.tags)
        if (tag->name == name) return tag->address;
    return -1;
}

std::vector<std::string> OnlineRig::OutputLines() const {
    std::vector<std::string> lines;
    for (const auto& line : frame.output.Lines()) lines.push_back(line.text);
    return lines;
}

double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field);  // utime, stime
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double OwnCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace pontra::bench
