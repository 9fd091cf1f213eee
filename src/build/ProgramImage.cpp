#include "build/ProgramImage.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "build/CodeBuffer.h"
#include "build/ConfigurationBlock.h"
#include "build/ImageFormat.h"
#include "build/ProjectLayout.h"
#include "build/RungCoder.h"
#include "build/StructuredTextRungCode.h"
#include "build/VerifyProject.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"

namespace pontra {

using namespace image;

namespace {

constexpr int kKindLbl = 47;

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

    bool Build(std::string& imagePath, bool headerOnly);

private:
    bool GenerateUnit(CUnit* unit, size_t listIndex);
    bool ResolveJumps(const UnitCodeRecords& records, bool structuredText);
    bool ResolveCalls();
    std::vector<uint8_t> Header(const std::string& name) const;
    bool WriteFile(const std::string& path, const std::vector<uint8_t>& header, const std::string& name) const;

    CMainFrame& frame_;
    CProject& project_;
    OutputWindow& output_;
    ProjectLayout layout_;
    CodeBuffer code_;
    std::vector<CJFB> calls_;
    ConfigurationBlock config_;
};

bool ImageBuilder::Build(std::string& imagePath, bool headerOnly) {
    const CVessaDoc& doc = project_.doc;
    const std::string name = ImageFileName(doc);
    const std::filesystem::path folder = std::filesystem::path(doc.pathName).parent_path();
    const std::string path = (folder / name).string();

    if (!VerifyProject(frame_)) return false;
    if (!LayOutProject(project_, layout_)) return false;
    if (const std::string message = LayoutLimitMessage(layout_); !message.empty()) {
        frame_.host().Message(message);
        return false;
    }

    if (!GenerateUnit(nullptr, 0)) return false;
    for (size_t i = 0; i < project_.units.size(); ++i)
        if (project_.units[i]->IsFunctionBlock() && !GenerateUnit(project_.units[i].get(), i)) return false;

    config_ = BuildConfigurationBlock(project_, layout_.configTag);
    if (config_.entries == 0) config_ = {};
    if (static_cast<int>(config_.bytes.size()) > kMaxConfigurationBlockSize) {
        output_.AddOutputLine("Error: Configuration Structure exceeds 1000 bytes");
        return false;
    }
    if (!ResolveCalls()) return false;

    const std::vector<uint8_t> header = Header(name);
    const int programMemory = static_cast<int>(config_.bytes.size()) + code_.Position() + layout_.totalSize +
                              static_cast<int>(name.size()) + kProgramMemoryOverhead;
    output_.AddOutputLine("Program memory = " + std::to_string(programMemory) +
                          " bytes, Tags = " + std::to_string(layout_.totalSize) + " bytes");
    if (headerOnly) return true;
    if (!WriteFile(path, header, name)) return false;
    imagePath = path;
    return true;
}

bool ImageBuilder::GenerateUnit(CUnit* unit, size_t listIndex) {
    UnitCodeRecords records;
    const UnitScope scope = unit ? FunctionBlockScope(project_, *unit) : MainProgramScope(project_);
    const bool structuredText = unit && unit->IsStructuredText();
    RungCoder coder(scope, code_, output_, records);

    if (unit) {
        unit->codeAddress = code_.Position();
        coder.Emit(InstructionWord(kFunctionBlockHeader));
        coder.Emit(static_cast<uint32_t>(unit->instanceSize));
    }
    const RungList& rungs = unit ? unit->rungs : project_.doc.rungs;
    for (size_t r = 0; r < rungs.size(); ++r) {
        const CRung& rung = *rungs[r];
        coder.SetRung(static_cast<int>(r));
        if (rung.elements.size() > 1 && rung.elements[1]->kind == kKindLbl) {
            const CElement& label = *rung.elements[1];
            records.labels.push_back({&label, label.operands[0], code_.Position(), static_cast<int>(r), 0});
        }
        if (structuredText) GenerateStructuredTextRung(coder, rung);
        else GenerateLadderRung(coder, rung);
    }
    if (unit) {
        coder.EmitSimple(kRung);
        coder.EmitSimple(kRfb);
        coder.EmitSimple(kRnd);
    }
    coder.EmitSimple(kEnd);
    const bool moreBlocks = std::any_of(project_.units.begin() + static_cast<std::ptrdiff_t>(unit ? listIndex + 1 : 0),
                                        project_.units.end(), [](const auto& u) { return u->IsFunctionBlock(); });
    coder.Emit(moreBlocks ? kMarkerMoreFirst : kMarkerLastFirst);
    coder.Emit(moreBlocks ? kMarkerMoreSecond : kMarkerLastSecond);

    if (code_.Overflowed()) {
        output_.AddOutputLine("Error: Program code exceeds " + std::to_string(kCodeBufferSize) + " bytes");
        return false;
    }
    if (!coder.Ok()) return false;
    calls_.insert(calls_.end(), records.calls.begin(), records.calls.end());
    return ResolveJumps(records, structuredText);
}

bool ImageBuilder::ResolveJumps(const UnitCodeRecords& records, bool structuredText) {
    std::string lastError;
    for (const CLabel& jump : records.jumps) {
        const auto label = std::find_if(records.labels.begin(), records.labels.end(),
                                        [&](const CLabel& l) { return l.name == jump.name; });
        const std::string where = "Error at Rung: " + std::to_string(jump.rung) +
                                  ", Element: " + jump.element->mnemonic + ", Operand: 0 -> ";
        std::string error;
        if (label == records.labels.end()) {
            error = where + "JMP instruction is referenced to invalid label";
        } else if (label->rung > jump.rung || structuredText) {
            if (label->rung <= jump.rung) code_.PatchByte(jump.position + 1, kBackwardJump);
            code_.Patch(jump.position + 4, static_cast<uint32_t>(label->position / 4));
        } else {
            error = where + "JMP instruction is situated after LBL instruction";
        }
        if (!error.empty()) {
            output_.AddOutputLine(error, jump.element);
            lastError = error;
        }
    }
    if (lastError.empty()) return true;
    frame_.host().Message(lastError);
    return false;
}

bool ImageBuilder::ResolveCalls() {
    for (const CJFB& call : calls_) {
        if (call.unitIndex < 0 || static_cast<size_t>(call.unitIndex) >= project_.units.size()) return false;
        code_.Patch(call.position, static_cast<uint32_t>(project_.units[static_cast<size_t>(call.unitIndex)]->codeAddress / 4));
    }
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

bool ImageBuilder::WriteFile(const std::string& path, const std::vector<uint8_t>& header,
                             const std::string& name) const {
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

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
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
    return ImageBuilder(frame).Build(imagePath, headerOnly);
}

}  // namespace pontra
