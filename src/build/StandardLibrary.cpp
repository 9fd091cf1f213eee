// SPDX-License-Identifier: GPL-3.0-or-later
#include "build/StandardLibrary.h"

#include <initializer_list>

namespace pontra {

namespace {

struct ParamSpec {
    const char* name;
    const char* type;
    const char* section;
};

void Add(StandardLibrary& library, const char* name, const char* kind, std::initializer_list<ParamSpec> params) {
    auto entry = std::make_unique<CLibraryEntry>();
    entry->name = name;
    entry->kind = kind;
    for (const auto& p : params) {
        auto param = std::make_unique<CLibraryParam>();
        param->name = p.name;
        param->type = p.type;
        param->section = p.section;
        entry->params.push_back(std::move(param));
    }
    library.push_back(std::move(entry));
}

constexpr const char* kIn = "VAR_INPUT";
constexpr const char* kOut = "VAR_OUTPUT";
constexpr const char* kVar = "VAR";

constexpr const char* kBuiltInTypes[] = {"BOOL",    "SINT",    "INT",     "DINT",    "IEC_TON", "IEC_TOF",
                                         "IEC_RTO", "IEC_DOL", "IEC_DOR", "IEC_CTU", "IEC_CTD"};

}  // namespace

void CreateStandardLibrary(StandardLibrary& library) {
    const char* func = "ST_FUNC";
    for (const char* name : {"ADD", "SUB", "MUL", "DIV", "MOD", "AND", "OR", "XOR"})
        Add(library, name, func, {{"Source A", "ANY_NUM", kIn}, {"Source B", "ANY_NUM", kIn}, {"Dest", "ANY_NUM", kOut}});
    Add(library, "MOV", func, {{"Source", "ANY_NUM", kIn}, {"Dest", "ANY_NUM", kOut}});
    for (const char* name : {"SHL", "SHR"})
        Add(library, name, func, {{"Source", "ANY_NUM", kIn}, {"Shift", "ANY_NUM", kIn}, {"Dest", "ANY_NUM", kOut}});
    for (const char* name : {"EQU", "NEQ", "LES", "GRT", "LEQ", "GEQ"})
        Add(library, name, func, {{"Source A", "ANY_NUM", kIn}, {"Source B", "ANY_NUM", kIn}, {"OUT", "BOOL", kOut}});

    const char* block = "FUNCTION_BLOCK";
    for (const char* name : {"IEC_TON", "IEC_TOF", "IEC_RTO", "IEC_DOL", "IEC_DOR"})
        Add(library, name, block,
            {{"EN", "BOOL", kIn}, {"PT", "DINT", kIn}, {"Q", "BOOL", kOut}, {"ET", "DINT", kOut}, {"Timer", "TIMER", kVar}});
    Add(library, "IEC_CTU", block,
        {{"CU", "BOOL", kIn},
         {"R", "BOOL", kIn},
         {"PV", "DINT", kIn},
         {"Q", "BOOL", kOut},
         {"CV", "DINT", kOut},
         {"Counter", "COUNTER", kVar}});
    Add(library, "IEC_CTD", block,
        {{"CD", "BOOL", kIn},
         {"LD", "BOOL", kIn},
         {"PV", "DINT", kIn},
         {"Q", "BOOL", kOut},
         {"CV", "DINT", kOut},
         {"Counter", "COUNTER", kVar}});
}

const CLibraryEntry* FindLibraryEntry(const StandardLibrary& library, std::string_view name) {
    for (const auto& entry : library)
        if (entry->name == name) return entry.get();
    return nullptr;
}

std::span<const char* const> BuiltInTypeNames() { return kBuiltInTypes; }

}  // namespace pontra
