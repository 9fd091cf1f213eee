// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/ModuleList.h"

#include <filesystem>
#include <fstream>

#include "model/VessaDoc.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

// A list file is a few hundred bytes; anything beyond this is not one.
constexpr std::streamsize kMaxListFile = 1 << 20;
// More modules than any line has. A file of short lines would otherwise make a string
// record per byte pair (some 16 bytes of memory per byte read); the rest is not read.
constexpr size_t kMaxListEntries = 10000;

std::string_view Trimmed(std::string_view line) {
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string ModuleListPath(const CVessaDoc& doc, const std::string& programFolder) {
    if (doc.pathName.size() < 4) return (std::filesystem::path(programFolder) / "modules.txt").string();
    return doc.pathName.substr(0, doc.pathName.size() - 4) + "_Modules.txt";
}

std::string ModuleListReadPath(const CVessaDoc& doc, const std::string& programFolder) {
    const std::string own = ModuleListPath(doc, programFolder);
    std::error_code ec;
    if (!doc.pathName.empty() && std::filesystem::exists(own, ec)) return own;
    return (std::filesystem::path(programFolder) / "modules.txt").string();
}

std::vector<std::string> ReadModuleList(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<size_t>(kMaxListFile), '\0');
    in.read(text.data(), kMaxListFile);
    text.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return ParseModuleList(text);
}

std::vector<std::string> ParseModuleList(std::string_view text) {
    std::vector<std::string> addresses;
    size_t start = 0;
    while (start < text.size() && addresses.size() < kMaxListEntries) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view address = Trimmed(text.substr(start, end - start));
        if (!address.empty() && address[0] != '#') addresses.emplace_back(address);
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return addresses;
}

bool WriteModuleList(const std::string& path, const std::vector<std::string>& addresses) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& address : addresses) out << address << "\r\n";
    out.close();
    return static_cast<bool>(out);
}

ModuleListDialog::ModuleListDialog(CMainFrame& frame) : frame_(frame) {
    addresses = ReadModuleList(ModuleListReadPath(frame.doc(), frame.host().ProgramFolder()));
    selection = addresses.empty() ? -1 : 0;
}

bool ModuleListDialog::Exists(const std::string& address, int except) const {
    for (size_t i = 0; i < addresses.size(); ++i)
        if (static_cast<int>(i) != except && addresses[i] == address) return true;
    return false;
}

bool ModuleListDialog::Add(const std::string& address) {
    if (Exists(address, -1)) {
        frame_.host().Message("IP Address " + address + " is already exist!");
        return false;
    }
    addresses.push_back(address);
    selection = static_cast<int>(addresses.size()) - 1;
    return true;
}

bool ModuleListDialog::Edit(const std::string& address) {
    if (selection < 0 || selection >= static_cast<int>(addresses.size())) return false;
    if (Exists(address, selection)) {
        frame_.host().Message("IP Address " + address + " is already exist!");
        return false;
    }
    addresses[static_cast<size_t>(selection)] = address;
    return true;
}

void ModuleListDialog::Delete() {
    if (selection < 0 || selection >= static_cast<int>(addresses.size())) return;
    addresses.erase(addresses.begin() + selection);
    if (selection >= static_cast<int>(addresses.size())) selection = static_cast<int>(addresses.size()) - 1;
}

bool ModuleListDialog::Save() {
    return WriteModuleList(ModuleListPath(frame_.doc(), frame_.host().ProgramFolder()), addresses);
}

std::string ModuleListDialog::Summary() const {
    if (succeeded + failed == 0) return {};
    return std::to_string(succeeded) + " of " + std::to_string(output.size()) + " modules downloaded, " +
           std::to_string(failed) + " failed";
}

} // namespace pontra
