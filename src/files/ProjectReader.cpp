// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ProjectReader.h"

#include <filesystem>
#include <fstream>

#include "files/Archive.h"
#include "files/ControllerTagMerge.h"
#include "files/Records.h"
#include "model/ControllerTypes.h"
#include "model/Project.h"
#include "model/Types.h"

namespace pontra {

namespace {

// Far beyond anything a module can run; a bigger file is no project.
constexpr uintmax_t kMaxProjectFileSize = 256u * 1024 * 1024;

constexpr uint32_t kMinUnitRecord = 4 + 1 + 1 + 1 + 4 + 4;  // version, empty name, kind, language, two counts
constexpr uint32_t kMinSTLine = 4;
constexpr uint32_t kMinConfigMember = 1 + 1 + 1 + 4;  // two empty texts, mode, choice count
constexpr uint32_t kMinChoice = 1 + 4;
constexpr uint8_t kConfigBlockMarker = 1;

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : in_(bytes), project_(std::make_unique<CProject>()) {}

    ProjectReadResult Run();

private:
    void ReadHeader();
    void ReadRungs(RungList& rungs);
    void ReadTags(TagList& tags);
    void ReadControllerTags(int firstSlot);
    void ReadVersion();
    void ReadUnits();
    std::unique_ptr<CUnit> ReadUnit();
    void ReadConfigurationBlock(CUnit& unit);
    void AddUnitTypes();
    void RestoreConfigurationInstance();

    ArchiveReader in_;
    std::unique_ptr<CProject> project_;
    uint32_t version_ = 0;
    bool oldServoNames_ = false;
    CUnit* configUnit_ = nullptr;
};

ProjectReadResult Reader::Run() {
    ProjectReadResult result;
    ReadHeader();
    if (!in_.Ok()) {
        result.error = in_.Error();
        return result;
    }
    CVessaDoc& doc = project_->doc;
    AddPredefinedTypes(project_->types);
    doc.controllerType = NormaliseControllerType(doc.controllerType);
    BuildControllerTags(*project_);

    ReadRungs(doc.rungs);
    ReadTags(doc.tags);
    ReadControllerTags(FirstConnectionSlot(doc.controllerType));
    if (version_ > 2) ReadVersion();
    if (version_ > 4) ReadUnits();
    if (!in_.Ok()) {
        result.error = in_.Error();
        return result;
    }
    if (configUnit_ && in_.Remaining() > 0 && in_.U8() == kConfigBlockMarker) ReadConfigurationBlock(*configUnit_);
    if (!in_.Ok()) {
        result.error = in_.Error();
        return result;
    }
    AddUnitTypes();
    if (!configUnit_) EnsureConfigurationUnit(*project_);
    RestoreConfigurationInstance();
    // Connection slots read from the file get their addresses and sizes from the layout.
    std::vector<uint8_t> image;
    LayOutControllerArea(*project_, image);
    doc.modified = false;
    result.project = std::move(project_);
    result.oldServoNames = oldServoNames_;
    return result;
}

void Reader::ReadHeader() {
    version_ = in_.U32();
    if (!in_.Ok()) return;
    if (version_ < 1 || version_ > kCurrentFormatVersion) {
        in_.Fail("unknown project file format version " + std::to_string(version_) + " (versions 1 to 5 are read)");
        return;
    }
    CVessaDoc& doc = project_->doc;
    doc.formatVersion = version_;
    if (version_ > 1) {
        doc.timeStamp = in_.U32();
        doc.SetModuleAddress(in_.U32());
        doc.controllerType = in_.Text();
    }
}

void Reader::ReadRungs(RungList& rungs) {
    const uint32_t count = in_.Count(kMinRungRecord, "rungs");
    rungs.reserve(count);
    for (uint32_t i = 0; i < count && in_.Ok(); ++i)
        if (auto rung = ReadRung(in_, nullptr)) rungs.push_back(std::move(rung));
}

void Reader::ReadTags(TagList& tags) {
    const uint32_t count = in_.Count(MinTagRecord(version_), "tags");
    tags.reserve(count);
    for (uint32_t i = 0; i < count && in_.Ok(); ++i)
        if (auto tag = ReadTag(in_, version_, *project_)) tags.push_back(std::move(tag));
}

void Reader::ReadControllerTags(int firstSlot) {
    if (!in_.Ok()) return;
    if (version_ < 3) {
        const uint32_t count = in_.Count(4, "controller values");
        std::vector<uint32_t> values;
        values.reserve(count);
        for (uint32_t i = 0; i < count && in_.Ok(); ++i) values.push_back(in_.U32());
        if (in_.Ok()) ApplyBareControllerValues(*project_, values);
        return;
    }
    TagList stored;
    ReadTags(stored);
    if (!in_.Ok()) return;
    ControllerTagMerge merge(*project_, firstSlot);
    for (auto& tag : stored) merge.Merge(std::move(tag));
    merge.Finish();
    oldServoNames_ = merge.MatchedOldServoName();
}

void Reader::ReadVersion() {
    const uint32_t word = in_.U32();
    const uint32_t revision = in_.U32();
    in_.U32();  // two reserved words, written with the revision
    in_.U32();
    ProgramVersion version;
    if (word != 0) {
        version.major = static_cast<uint16_t>(word >> 16);
        version.minor = static_cast<uint16_t>(word & 0xFFFF);
    }
    version.revision = revision;
    project_->doc.loadedVersion = version;
    project_->doc.version = version;
}

void Reader::ReadUnits() {
    const uint32_t count = in_.Count(kMinUnitRecord, "units");
    project_->units.reserve(count);
    for (uint32_t i = 0; i < count && in_.Ok(); ++i) {
        auto unit = ReadUnit();
        if (!unit) break;
        if (!configUnit_ && project_->configEnabled && unit->IsType() && unit->name == project_->configTypeName)
            configUnit_ = unit.get();
        project_->units.push_back(std::move(unit));
    }
}

std::unique_ptr<CUnit> Reader::ReadUnit() {
    in_.U32();  // unit record version, always 1
    auto unit = std::make_unique<CUnit>();
    unit->name = in_.Text();
    unit->kind = in_.U8();
    unit->language = in_.U8();
    if (!in_.Ok()) return nullptr;
    if (unit->kind != kUnitFunctionBlock && unit->kind != kUnitType) {
        in_.Fail("unit '" + unit->name + "' of unknown kind " + std::to_string(unit->kind));
        return nullptr;
    }
    if (unit->language == kLanguageST) {
        const uint32_t lines = in_.Count(kMinSTLine, "Structured Text lines");
        unit->text.reserve(lines);
        for (uint32_t i = 0; i < lines && in_.Ok(); ++i) {
            const uint32_t length = in_.U32();
            if (length > kMaxSTLineLength) {
                in_.Fail("a Structured Text line of " + std::to_string(length) + " characters in unit '" +
                         unit->name + "' (at most " + std::to_string(kMaxSTLineLength) + ")");
                return nullptr;
            }
            unit->text.push_back(in_.Chars(length));
        }
    } else if (unit->language == kLanguageLadder) {
        ReadRungs(unit->rungs);
    } else {
        in_.Fail("unit '" + unit->name + "' in unknown language " + std::to_string(unit->language));
        return nullptr;
    }
    ReadTags(unit->tags);
    if (!in_.Ok()) return nullptr;
    return unit;
}

void Reader::ReadConfigurationBlock(CUnit& unit) {
    const uint32_t count = in_.Count(kMinConfigMember, "configuration members");
    for (uint32_t i = 0; i < count && in_.Ok(); ++i) {
        const std::string name = in_.Text();
        std::string text = in_.Text();
        const uint8_t mode = in_.U8();
        const uint32_t choices = in_.Count(kMinChoice, "configuration choices");
        CTag* tag = in_.Ok() ? FindTag(unit.tags, name) : nullptr;
        if (tag) {
            tag->configText = std::move(text);
            tag->configMode = mode;
        }
        for (uint32_t c = 0; c < choices && in_.Ok(); ++c) {
            std::string choice = in_.Text();
            const uint32_t value = in_.U32();
            if (tag && in_.Ok()) {
                tag->choiceTexts.push_back(std::move(choice));
                tag->choiceValues.push_back(value);
            }
        }
    }
}

// Every unit names a type: a user type's members are its stored member declarations;
// a function block's members come from its tags when instances are built.
void Reader::AddUnitTypes() {
    for (const auto& unit : project_->units) {
        auto type = std::make_unique<CType>(unit->name);
        if (unit->IsType())
            for (const auto& member : unit->tags) type->members.push_back(member->Clone());
        project_->types.push_back(std::move(type));
    }
}

// Tag records do not hold the configuration fields; the main program's tag of the
// configuration type gets them back from the type, as it had them when it was built.
void Reader::RestoreConfigurationInstance() {
    const CType* type = project_->configEnabled ? project_->FindType(project_->configTypeName) : nullptr;
    if (!type) return;
    for (auto& tag : project_->doc.tags) {
        if (tag->dataType != type->name) continue;
        for (auto& member : tag->members) {
            const std::string_view name = member->name;
            if (!name.starts_with(tag->name + ".")) continue;
            const CTag* declaration = FindTag(type->members, name.substr(tag->name.size() + 1));
            if (!declaration) continue;
            member->configMode = declaration->configMode;
            member->configText = declaration->configText;
            member->choiceTexts = declaration->choiceTexts;
            member->choiceValues = declaration->choiceValues;
        }
    }
}

}  // namespace

void EnsureConfigurationUnit(CProject& project) {
    if (!project.configEnabled) return;
    for (const auto& unit : project.units)
        if (unit->IsType() && unit->name == project.configTypeName) return;
    project.units.push_back(std::make_unique<CUnit>(project.configTypeName, kUnitType));
    project.types.push_back(std::make_unique<CType>(project.configTypeName));
}

std::string NormaliseControllerType(const std::string& name) {
    static const char* const kKnown[] = {"Vessa",   "Kormo",   "Vessa-Lite",     "Aldera",  "Vessa-IX",  "Oskel",
                                         "Brindle", "VessaK1", "VessaK2",        "VessaK3", "KTX-310-1",
                                         "VessaK2/K3-48V"};
    for (const char* known : kKnown)
        if (name == known) return name;
    return "Vessa";
}

ProjectReadResult ReadProject(std::span<const uint8_t> bytes) { return Reader(bytes).Run(); }

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (size > kMaxProjectFileSize) {
        error = "the file is too large to be a project (" + std::to_string(size) + " bytes)";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "the file cannot be opened";
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<uintmax_t>(file.gcount()) != size) {
        error = "the file cannot be read completely";
        return false;
    }
    return true;
}

ProjectReadResult ReadProjectFile(const std::string& path, std::vector<uint8_t>* bytesRead) {
    std::vector<uint8_t> bytes;
    ProjectReadResult result;
    if (!ReadFileBytes(path, bytes, result.error)) return result;
    result = ReadProject(bytes);
    if (result.project) result.project->doc.pathName = path;
    if (bytesRead) *bytesRead = std::move(bytes);
    return result;
}

}  // namespace pontra
