// SPDX-License-Identifier: GPL-3.0-or-later
// The function-block instance self-check: code generation addresses an instance's
// members by the function block's own layout, which is only right while the instance's
// members mirror the block's tags in order, name and type.
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "build/VerifyProject.h"
#include "model/Project.h"
#include "model/Types.h"
#include "shell/MainFrame.h"

namespace pontra {

namespace {

class PlacesCheck {
public:
    PlacesCheck(const CProject& project, std::vector<std::string>& log) : project_(project), log_(log) {}

    bool Check(const CTag& tag) {
        const std::string& type = tag.dataType;
        if (type.find('[') != std::string::npos) return CheckMembers(tag);
        if (IsElementary(type)) {
            Log({tag.name, " - typeTag = ", type});
            return true;
        }
        const auto [unit, listed] = Lookup(type);
        if (unit && (unit->IsFunctionBlock() || (unit->IsType() && listed)))
            return CheckInstance(tag, unit->IsFunctionBlock() ? unit->tags : listed->members);
        if (unit) Log({"UndefinedType = ", unit->name});
        else if (listed) Log({tag.name, " - ", type});
        return CheckMembers(tag);
    }

private:
    // The unit and the type list entry of a type name, looked up once per check: the
    // project does not change while it runs, and a project has thousands of members.
    std::pair<const CUnit*, const CType*> Lookup(const std::string& type) {
        auto found = types_.find(type);
        if (found == types_.end())
            found = types_.try_emplace(type, project_.FindUnit(type), project_.FindType(type)).first;
        return found->second;
    }

    bool CheckMembers(const CTag& tag) {
        for (const auto& member : tag.members)
            if (!Check(*member)) return false;
        return true;
    }

    bool CheckInstance(const CTag& tag, const TagList& declarations) {
        Log({tag.name, " - ", tag.dataType, ", sizeSub = ", std::to_string(tag.members.size()), "; sizeUnitArr = ",
             std::to_string(declarations.size())});
        if (tag.members.size() != declarations.size()) return false;
        // Members carry their full names: "M.X" for X of M, "M.I.X" for X of M.I.
        const std::string prefix = tag.name + ".";
        for (size_t i = 0; i < declarations.size(); ++i) {
            const CTag& member = *tag.members[i];
            const CTag& declaration = *declarations[i];
            Log({member.name, " - ", member.dataType, "; nameUnitTag = ", declaration.name, " - ", declaration.dataType});
            const std::string_view shortName = std::string_view(member.name).starts_with(prefix)
                                                   ? std::string_view(member.name).substr(prefix.size())
                                                   : std::string_view();
            if (member.dataType != declaration.dataType || shortName != declaration.name) return false;
        }
        return CheckMembers(tag);
    }

    // One line from its parts, built in place: a project logs thousands per verification.
    void Log(std::initializer_list<std::string_view> parts) {
        constexpr std::string_view kHead = "CheckTagsPlaces -> ", kEnd = "\r\n";
        size_t size = kHead.size() + kEnd.size();
        for (std::string_view part : parts) size += part.size();
        std::string& line = log_.emplace_back();
        line.reserve(size);
        line += kHead;
        for (std::string_view part : parts) line += part;
        line += kEnd;
    }

    const CProject& project_;
    std::vector<std::string>& log_;
    std::unordered_map<std::string_view, std::pair<const CUnit*, const CType*>> types_;  // keys: the tags' types
};

}  // namespace

bool CheckTagsPlaces(const CProject& project, std::vector<std::string>& log) {
    log.clear();
    log.push_back("VerifyProgram\r\n");
    PlacesCheck check(project, log);
    for (const auto& tag : project.doc.tags) {
        if (!check.Check(*tag)) {
            log.push_back("CheckTagsPlaces -> Error!!!\r\n");
            return false;
        }
    }
    log.push_back("CheckTagsPlaces -> OK\r\n");
    return true;
}

bool InstanceSelfCheck(CMainFrame& frame) {
    if (CheckTagsPlaces(frame.project(), frame.verificationLog)) return true;
    Host& host = frame.host();
    const std::string path = (std::filesystem::path(host.TempFolder()) / "LogTags.txt").string();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const auto& line : frame.verificationLog) file << line;
    file.close();
    const std::string projectFile = frame.doc().pathName.empty() ? "Untitled" : frame.doc().pathName;
    host.Message("Critical Error!!!\r\nThe members of a function block instance do not match the function block.\r\n"
                 "Please send the files\r\n" +
                 path + "\r\n" + projectFile + "\r\nto " +
                 host.GetSetting(kSupportAddressSetting, kDefaultSupportAddress) + ".");
    return false;
}

}  // namespace pontra
