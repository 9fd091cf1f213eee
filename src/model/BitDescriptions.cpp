// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BitDescriptions.h"

#include <array>

namespace pontra {

namespace {

struct Entry {
    int index;
    const char* text;
};

using Table = std::array<const char*, 32>;

constexpr Table Make(std::initializer_list<Entry> entries) {
    Table t{};
    for (auto& e : entries) t[static_cast<size_t>(e.index)] = e.text;
    return t;
}

// Outputs of the Vessa family; other tables reuse parts of it.
constexpr Entry kVessaOutputs[] = {
    {0, "Left MDR  RUN"},
    {1, "Left MDR  Direction"},
    {2, "Right MDR  RUN"},
    {3, "Right MDR  Direction"},
    {4, "Left Control Digital Out"},
    {5, "Right Control Digital Out"},
    {6, "Left MDR Dig. Mode Enabled"},
    {7, "Right MDR Dig. Mode Enabled"},
    {8, "Left MDR Low MOSFET 1"},
    {9, "Left MDR Low MOSFET 2"},
    {10, "Left MDR Low MOSFET 3"},
    {11, "Right MDR Low MOSFET 1"},
    {12, "Right MDR Low MOSFET 2"},
    {13, "Right MDR Low MOSFET 3"},
    {14, "Left Mechanical Break"},
    {15, "Right Mechanical Break"},
    {16, "Left Mechanical Break Control"},
    {17, "Right Mechanical Break Control"},
};

// Table 1 restricted to the listed bits, plus extra entries.
constexpr Table VessaOutputsFor(bool (*keep)(int), std::initializer_list<Entry> extra) {
    Table t{};
    for (auto& e : kVessaOutputs)
        if (keep(e.index)) t[static_cast<size_t>(e.index)] = e.text;
    for (auto& e : extra) t[static_cast<size_t>(e.index)] = e.text;
    return t;
}

constexpr bool Bits0To3And6To13(int b) { return (b >= 0 && b <= 3) || (b >= 6 && b <= 13); }
constexpr bool Bits0To13(int b) { return b >= 0 && b <= 13; }
constexpr bool AllBits(int) { return true; }

constexpr Table kTable2 = Make({{0, "Left Input, PIN2"},
                                {2, "Right Input, PIN2"},
                                {4, "Left Sensor Port, PIN4"},
                                {6, "Right Sensor Port, PIN4"},
                                {16, "Right Sensor Detect"},
                                {17, "Left Sensor Detect"}});

constexpr const char* kOverCurrent[] = {
    "Over Current or Short Circuit Error for Up Left pin2 (if pins function is Output)",
    "Over Current or Short Circuit Error for Down Left pin2 (if pins function is Output)",
    "Over Current or Short Circuit Error for Up Right pin2 (if pins function is Output)",
    "Over Current or Short Circuit Error for Down Right pin2 (if pins function is Output)",
    "Over Current or Short Circuit Error for Up Left pin4 (if pins function is Output)",
    "Over Current or Short Circuit Error for Down Left pin4 (if pins function is Output)",
    "Over Current or Short Circuit Error for Up Right pin4 (if pins function is Output)",
    "Over Current or Short Circuit Error for Down Right pin4 (if pins function is Output)",
};

constexpr std::array<Table, 16> kTables = {
    // 0: Vessa Inputs
    Make({{0, "Left Sensor Port, PIN3"},
          {1, "Left Control Port, PIN3"},
          {2, "Right Sensor Port, PIN3"},
          {3, "Right Control Port, PIN3"},
          {4, "Left Sensor Port, PIN4"},
          {5, "Left Control Port, PIN4"},
          {6, "Right Sensor Port, PIN4"},
          {7, "Right Control Port, PIN4"},
          {16, "Right Sensor Detect"},
          {17, "Left Sensor Detect"}}),
    // 1: Vessa Outputs
    VessaOutputsFor(AllBits, {}),
    // 2: VessaK Inputs
    kTable2,
    // 3: VessaK Outputs
    VessaOutputsFor(Bits0To3And6To13, {{4, "Left Drive Pin2"},
                                       {5, "Right Drive Pin2"},
                                       {18, "Left Set Pin2 As Output"},
                                       {19, "Right Set Pin2 As Output"}}),
    // 4: Kormo Inputs (table 0 with left and right exchanged)
    Make({{0, "Right Sensor Port, PIN3"},
          {1, "Right Control Port, PIN3"},
          {2, "Left Sensor Port, PIN3"},
          {3, "Left Control Port, PIN3"},
          {4, "Right Sensor Port, PIN4"},
          {5, "Right Control Port, PIN4"},
          {6, "Left Sensor Port, PIN4"},
          {7, "Left Control Port, PIN4"},
          {16, "Left Sensor Detect"},
          {17, "Right Sensor Detect"}}),
    // 5: Kormo Outputs (table 1 with left and right exchanged)
    Make({{0, "Right MDR  RUN"},
          {1, "Right MDR  Direction"},
          {2, "Left MDR  RUN"},
          {3, "Left MDR  Direction"},
          {4, "Right Control Digital Out"},
          {5, "Left Control Digital Out"},
          {6, "Right MDR Dig. Mode Enabled"},
          {7, "Left MDR Dig. Mode Enabled"},
          {8, "Right MDR Low MOSFET 1"},
          {9, "Right MDR Low MOSFET 2"},
          {10, "Right MDR Low MOSFET 3"},
          {11, "Left MDR Low MOSFET 1"},
          {12, "Left MDR Low MOSFET 2"},
          {13, "Left MDR Low MOSFET 3"},
          {14, "Right Mechanical Break"},
          {15, "Left Mechanical Break"},
          {16, "Right Mechanical Break Control"},
          {17, "Left Mechanical Break Control"}}),
    // 6: Vessa-IX Inputs
    Make({{0, "Input State from Up Left pin2"},
          {1, "Input State from Down Left pin2"},
          {2, "Input State from Up Right pin2"},
          {3, "Input State from Down Right pin2"},
          {4, "Input State from Up Left pin4"},
          {5, "Input State from Down Left pin4"},
          {6, "Input State from Up Right pin4"},
          {7, "Input State from Down Right pin4"},
          {8, kOverCurrent[0]},
          {9, kOverCurrent[1]},
          {10, kOverCurrent[2]},
          {11, kOverCurrent[3]},
          {12, kOverCurrent[4]},
          {13, kOverCurrent[5]},
          {14, kOverCurrent[6]},
          {15, kOverCurrent[7]}}),
    // 7: Vessa-IX Outputs
    Make({{0, "Drive Up Left pin2"},
          {1, "Drive Down Left pin2"},
          {2, "Drive Up Right pin2"},
          {3, "Drive Down Right pin2"},
          {4, "Drive Up Left pin4"},
          {5, "Drive Down Left pin4"},
          {6, "Drive Up Right pin4"},
          {7, "Drive Down Right pin4"}}),
    // 8: Vessa-Lite Inputs
    Make({{0, "Left Sensor Port, AUX"},
          {2, "Right Sensor Port, AUX"},
          {4, "Left Sensor Port, SEN"},
          {6, "Right Sensor Port, SEN"},
          {16, "Right Sensor Detect"},
          {17, "Left Sensor Detect"}}),
    // 9: Vessa-Lite Outputs
    VessaOutputsFor(Bits0To3And6To13, {}),
    // 10: KTX-310-B Inputs
    kTable2,
    // 11: KTX-310-B Outputs
    VessaOutputsFor(Bits0To13, {}),
    // 12: Oskel Inputs
    Make({{0, "Input (Drive Enable)"},
          {1, "Input (Run)"},
          {2, "Input (Clear Error)"},
          {3, "Input (Profile 0)"},
          {4, "Input (Profile 1)"},
          {5, "Main Pin4"},
          {6, "Main Pin2"},
          {7, "Aux Pin4"},
          {8, "Aux Pin2"},
          {16, "Main/Aux Overload"},
          {17, "Short Cicuit Main"},
          {18, "Short Cicuit Aux"},
          {19, "Short Cicuit Discrete Out_0"},
          {20, "Short Cicuit Discrete Out_1"},
          {21, "Short Cicuit Discrete Out_2"},
          {22, "Short Cicuit Discrete Out_3"}}),
    // 13: Oskel MotorDiagnostic
    Make({{0, "Position set to zero"},
          {1, "Motor Physically Stopped"},
          {2, "Servo Command Done"},
          {3, "Servo Command Done Within Error Margin"},
          {12, "In Current Limit"},
          {13, "In Speed Limit"},
          {16, "Motor not ready"},
          {17, "Power voltage not valid"},
          {18, "Motor Overheat"}}),
    // 14: Oskel Outputs
    Make({{0, "Estop"},
          {4, "Motor Profile bit0"},
          {5, "Motor Profile bit1"},
          {6, "Motor Profile bit2"},
          {7, "Absolute/Incremental Position"},
          {8, "Clear Stored Error"},
          {9, "Set position to zero"},
          {10, "Hold position to zero"},
          {11, "Disable Inputs"},
          {16, "Set Out_0"},
          {17, "Set Out_1"},
          {18, "Set Out_2"},
          {19, "Set Out_3"}}),
    // 15: Oskel SensorConfiguration
    Make({{0, "Main Sensor Type"},
          {1, "Main Sensor Type"},
          {2, "Aux Sensor Type"},
          {3, "Aux Sensor Type"},
          {16, "Main Sensor"},
          {17, "Main Sensor"},
          {18, "Aux Sensor"},
          {19, "Aux Sensor"},
          {20, "Digital Inputs Polarity"},
          {21, "Digital Inputs Polarity"},
          {22, "Digital Inputs Polarity"},
          {23, "Digital Inputs Polarity"},
          {24, "Digital Inputs Polarity"},
          {25, "Digital Inputs Polarity"},
          {26, "Main Sensor pins push-pull select"},
          {27, "Main Sensor pins push-pull select"},
          {28, "Aux Sensor pins push-pull select"},
          {29, "Aux Sensor pins push-pull select"}}),
};

// 16: Oskel MotorProfileInterfaceCommand (16 entries)
constexpr const char* kTable16[16] = {"Command", "Command", "Motor Profile", "Motor Profile", "Motor Profile"};

// 17: Oskel MotorProfileZero elements (8 entries)
constexpr const char* kTable17[8] = {"Current in 100mA / Torque Limit in mNm",
                                     "Speed Limit in RPM or mm/s",
                                     "Ramp in RPM/s or mm/s^2",
                                     "Reserved",
                                     "Servo Position Hi in pulse or mm",
                                     "Servo Position Lo in pulse or mm",
                                     "Servo Position Sub Div in 1/2^15 pulse or mm",
                                     "Reserved"};

struct TableUse {
    const char* controllerType;
    const char* tagName;
    int table;
};

constexpr TableUse kUses[] = {
    {"Vessa", "Inputs", 0},          {"Vessa", "Outputs", 1},
    {"VessaK1", "Inputs", 2},        {"VessaK1", "Outputs", 3},
    {"VessaK2", "Inputs", 2},        {"VessaK2", "Outputs", 3},
    {"VessaK2/K3-48V", "Inputs", 2}, {"VessaK2/K3-48V", "Outputs", 3},
    {"VessaK3", "Inputs", 2},        {"VessaK3", "Outputs", 3},
    {"KTX-310-1", "Inputs", 2},      {"KTX-310-1", "Outputs", 3},
    {"KTX-310-0", "Inputs", 2},      {"KTX-310-0", "Outputs", 3},
    {"Kormo", "Inputs", 4},          {"Kormo", "Outputs", 5},
    {"Vessa-IX", "Inputs", 6},       {"Vessa-IX", "Outputs", 7},
    {"KTI-8-0", "Inputs", 6},        {"KTI-8-0", "Outputs", 7},
    {"Vessa-Lite", "Inputs", 8},     {"Vessa-Lite", "Outputs", 9},
    {"KTX-310-B", "Inputs", 10},     {"KTX-310-B", "Outputs", 11},
    {"Oskel", "Inputs", 12},         {"Oskel", "MotorDiagnostic", 13},
    {"Oskel", "Outputs", 14},        {"Oskel", "SensorConfiguration", 15},
    {"Oskel", "MotorProfileInterfaceCommand", 16},
    {"Oskel", "MotorProfileZero", 17},
};

}  // namespace

int DescriptionTableSize(int table) {
    if (table >= 0 && table < 16) return 32;
    if (table == 16) return 16;
    if (table == 17) return 8;
    return 0;
}

std::string_view DescriptionTableEntry(int table, int index) {
    if (index < 0 || index >= DescriptionTableSize(table)) return {};
    const char* text = table < 16 ? kTables[static_cast<size_t>(table)][static_cast<size_t>(index)]
                       : table == 16 ? kTable16[index]
                                     : kTable17[index];
    return text ? std::string_view(text) : std::string_view();
}

int DescriptionTableFor(std::string_view controllerType, std::string_view tagName) {
    for (const auto& use : kUses)
        if (controllerType == use.controllerType && tagName == use.tagName) return use.table;
    return -1;
}

}  // namespace pontra
