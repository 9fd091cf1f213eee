// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/ProgramImage.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "build/CodeBuffer.h"
#include "build/ConfigurationBlock.h"
#include "build/ImageFormat.h"
#include "build/ProjectLayout.h"
#include "build/ProgramCode.h"
#include "build/VerifyProject.h"
#include "files/SafeFileWrite.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"

namespace pontra {

using namespace image;

namespace {

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutText(std::vector<uint8_t>& bytes, size_t at, std::string_view text, size_t field) {
    const size_t n = std::min(text.size(), field);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// Data size of a connection record: what the module copies for the tag.
uint8_t ConnectionDataSize(const CProject& project, const CTag& tag) {
    if (tag.connectionKind == kConnNotUsed) return 0;
    int size;
    if (project.FindType(tag.dataType)) {
        const int bits = ElementaryBits(tag.dataType);
        size = bits == 1 ? 1 : bits ? bits / 8 : TypeBitSize(project, tag.dataType);
    } else {
        size = tag.byteSize & 0xFF;
    }
    return static_cast<uint8_t>(std::clamp(size, 0, kMaxConnectionDataSize));
}

class ImageBuilder {
public:
    ImageBuilder(CMainFrame& frame) : frame_(frame), project_(frame.project()), output_(frame.output) {}

    // Builds the image; with `headerOnly` stops after the checks, else leaves the file's
    // bytes in `bytes`.
    bool Build(std::vector<uint8_t>* bytes, bool headerOnly);
    const std::string& Name() const { return name_; }
    const std::string& Path() const { return path_; }

private:
    std::vector<uint8_t> Header(const std::string& name) const;
    std::vector<uint8_t> FileBytes(const std::vector<uint8_t>& header, const std::string& name) const;

    CMainFrame& frame_;
    CProject& project_;
    OutputWindow& output_;
    ProjectLayout layout_;
    CodeBuffer code_;
    std::vector<CJFB> calls_;
    ConfigurationBlock config_;
    std::string name_;
    std::string path_;
};

bool ImageBuilder::Build(std::vector<uint8_t>* bytes, bool headerOnly) {
    const CVessaDoc& doc = project_.doc;
    const std::string name = ImageFileName(doc);
    const std::filesystem::path folder = std::filesystem::path(doc.pathName).parent_path();
    name_ = name;
    path_ = (folder / name).string();

    if (!VerifyProject(frame_)) return false;
    if (!LayOutProject(project_, layout_)) return false;
    if (const std::string message = LayoutLimitMessage(layout_); !message.empty()) {
        frame_.host().Message(message);
        return false;
    }

    if (!GenerateProgramCode(frame_, code_, calls_)) return false;

    config_ = BuildConfigurationBlock(project_, layout_.configTag);
    if (config_.entries == 0) config_ = {};
    if (static_cast<int>(config_.bytes.size()) > kMaxConfigurationBlockSize) {
        output_.AddOutputLine("Error: Configuration Structure exceeds 1000 bytes");
        return false;
    }
    if (!ResolveCalls(project_, calls_, code_)) return false;

    const std::vector<uint8_t> header = Header(name);
    const int programMemory = static_cast<int>(config_.bytes.size()) + code_.Position() + layout_.totalSize +
                              static_cast<int>(name.size()) + kProgramMemoryOverhead;
    output_.AddOutputLine("Program memory = " + std::to_string(programMemory) +
                          " bytes, Tags = " + std::to_string(layout_.totalSize) + " bytes");
    if (headerOnly || !bytes) return true;
    *bytes = FileBytes(header, name);
    return true;
}

std::vector<uint8_t> ImageBuilder::Header(const std::string& name) const {
    std::vector<uint8_t> header(kHeaderSize, 0);
    PutU32(header, kHeaderTimeStamp, project_.doc.timeStamp);
    PutText(header, kHeaderImageName, name, kHeaderNameLength);
    PutText(header, kHeaderFamily, ControllerFamilyName(project_.doc.controllerType), kHeaderNameLength);
    PutU32(header, kHeaderCodeOffset, kHeaderSize);
    PutU32(header, kHeaderCodeSize, static_cast<uint32_t>(code_.Position()));
    PutU32(header, kHeaderTagsOffset, static_cast<uint32_t>(code_.Position() + kHeaderSize));
    PutU32(header, kHeaderTagsSize, static_cast<uint32_t>(layout_.totalSize));
    PutU32(header, kHeaderNonVolatileStart, static_cast<uint32_t>(layout_.NonVolatileStart()));
    PutU32(header, kHeaderNonVolatileSize, static_cast<uint32_t>(layout_.nonVolatileSize));
    header[kHeaderVersionMinor] = kFormatVersionMinor;
    header[kHeaderVersionMajor] = kFormatVersionMajor;
    PutU32(header, kHeaderAllOnes, 0xFFFFFFFFu);
    size_t record = kHeaderConnections;
    int written = 0;
    for (const auto& tag : project_.doc.controllerTags) {
        if (tag->connectionKind == kConnNone) continue;
        if (written++ == kMaxConnectionRecords) break;
        const uint32_t peer = tag->connectionWord;
        PutU32(header, record, (peer << 16) | (peer >> 16));
        header[record + 4] = ConnectionDataSize(project_, *tag);
        header[record + 5] = tag->connectionKind;
        header[record + 6] = static_cast<uint8_t>(tag->connectionParam);
        header[record + 7] = static_cast<uint8_t>(tag->connectionParam >> 8);
        record += kConnectionRecordSize;
    }
    return header;
}

std::vector<uint8_t> ImageBuilder::FileBytes(const std::vector<uint8_t>& header, const std::string& name) const {
    std::vector<uint8_t> bytes = header;
    const std::vector<uint8_t> code = code_.Code();
    bytes.insert(bytes.end(), code.begin(), code.end());
    bytes.insert(bytes.end(), layout_.memory.begin(), layout_.memory.end());
    if (config_.entries > 0) {
        bytes.push_back(kSectionConfiguration);
        bytes.insert(bytes.end(), config_.bytes.begin(), config_.bytes.end());
    }
    const size_t length = std::min<size_t>(name.size(), 0xFFFF);
    bytes.push_back(kSectionName);
    bytes.push_back(static_cast<uint8_t>(length));
    bytes.push_back(static_cast<uint8_t>(length >> 8));
    bytes.insert(bytes.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
    return bytes;
}

// Complete or not at all: a download must never send half an image.
bool WriteImageFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return WriteFileSafely(path, bytes, error);
}

}  // namespace

std::string ImageFileName(const CVessaDoc& doc) {
    std::string title = doc.pathName.empty() ? "Untitled" : std::filesystem::path(doc.pathName).filename().string();
    const std::string extension = ".clp";
    const bool hasExtension =
        title.size() >= extension.size() &&
        std::equal(extension.begin(), extension.end(), title.end() - static_cast<std::ptrdiff_t>(extension.size()),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    if (hasExtension) title.resize(title.size() - extension.size());
    return "PLCDATA_" + title + ".bin";
}

std::string ControllerFamilyName(std::string_view type) {
    if (type == "Kormo") return "Vessa";
    if (type == "KTX-310-0" || type == "VessaK2/K3-48V" || type == "VessaK3" || type == "KTX-310-1") return "VessaK2";
    if (type == "KTI-8-0") return "Vessa-IX";
    return std::string(type);
}

bool BuildProgramImage(CMainFrame& frame, std::string& imagePath, bool headerOnly) {
    ImageBuilder builder(frame);
    if (headerOnly) return builder.Build(nullptr, true);
    std::vector<uint8_t> bytes;
    if (!builder.Build(&bytes, false)) return false;
    if (std::string error; !WriteImageFile(builder.Path(), bytes, error)) {
        // "See Output window for description" follows: this line is the description.
        frame.output.AddOutputLine("Error - Can't write file " + builder.Path() + ": " + error);
        return false;
    }
    imagePath = builder.Path();
    return true;
}

bool BuildProgramImageBytes(CMainFrame& frame, std::vector<uint8_t>& bytes) {
    return ImageBuilder(frame).Build(&bytes, false);
}

}  // namespace pontra
