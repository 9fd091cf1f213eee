// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ExecutionFixture.h"

namespace pontra::test {
namespace {

using Values = std::vector<std::pair<std::string, int32_t>>;

struct TagSpec {
    const char* name;
    const char* type;
    const char* initial = "0";
};

struct RunCase {
    const char* name;
    std::vector<TagSpec> tags;
    std::vector<std::string> text;
    Values expected;  // after one scan
    friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }
};

class Runs : public ::testing::TestWithParam<RunCase> {};

TEST_P(Runs, ComputeWhatTheTextSays) {
    const RunCase& c = GetParam();
    Execution e;
    for (const auto& t : c.tags) e.Tag(t.name, t.type, t.initial);
    e.Build(c.text);
    ASSERT_TRUE(e.Scan());
    for (const auto& [name, value] : c.expected) EXPECT_EQ(e.Get(name), value) << name;
}

const std::vector<TagSpec> kNumbers = {{"x", "DINT"}, {"y", "DINT", "7"}, {"z", "DINT", "3"}, {"n", "DINT", "4"},
                                       {"r1", "DINT"}, {"r2", "DINT"},    {"r3", "DINT"},     {"r4", "DINT"},
                                       {"s", "SINT"},  {"i", "INT"}};

const std::vector<TagSpec> kLogic = {{"a", "BOOL", "1"}, {"b", "BOOL"},  {"c", "BOOL", "1"}, {"y", "DINT", "7"},
                                     {"z", "DINT", "3"},  {"o1", "BOOL"}, {"o2", "BOOL"},     {"o3", "BOOL"},
                                     {"o4", "BOOL"},      {"o5", "BOOL"}, {"o6", "BOOL"},     {"o7", "BOOL", "1"},
                                     {"o8", "BOOL", "1"}, {"o9", "BOOL"}, {"o10", "BOOL", "1"}, {"o11", "BOOL"},
                                     {"o12", "BOOL"},     {"o13", "BOOL", "1"}, {"o14", "BOOL"}, {"o15", "BOOL", "1"},
                                     {"o16", "BOOL"},     {"m1", "DINT"}, {"m2", "DINT"},     {"m3", "DINT"},
                                     {"m4", "DINT"},      {"m5", "DINT"}};

INSTANTIATE_TEST_SUITE_P(
    Expressions, Runs,
    ::testing::Values(
        RunCase{"PrecedenceAndTemporaries",
                kNumbers,
                {"x := y + z * n - (y - z) / 2;", "r1 := (y + z) * (n + 1) - (y - z);", "r2 := y MOD z + n * -2;",
                 "r3 := SHL(n, 2) + (y << 1) - (n >> 1);", "r4 := NEG y + ABS (0 - z) + MAX(y, z, 9) - MIN(z, n);"},
                {{"x", 17}, {"r1", 46}, {"r2", -7}, {"r3", 28}, {"r4", 2}}},
        RunCase{"NarrowTargetsTruncate", kNumbers, {"s := 200 + 100;", "i := y * 10000;"}, {{"s", 44}, {"i", 4464}}},
        RunCase{"FunctionsAsCalls",
                kNumbers,
                {"x := ADD(y, z, 1);", "r1 := SUB(y, z) * MUL(z, 2);", "r2 := MOD(y, DIV(y, 2));",
                 "r3 := MUX(z - 2, 100, y + 1, 300);", "r4 := MUX(n, 1, 2);"},
                {{"x", 11}, {"r1", 24}, {"r2", 1}, {"r3", 8}, {"r4", 0}}},
        RunCase{"Comparisons",
                {{"y", "DINT", "7"}, {"z", "DINT", "3"}, {"b1", "BOOL"}, {"b2", "BOOL", "1"}, {"b3", "BOOL"},
                 {"b4", "BOOL", "1"}, {"b5", "BOOL"}, {"b6", "BOOL", "1"}, {"b7", "BOOL"}, {"b8", "BOOL", "1"}},
                {"b1 := y > z;", "b2 := y < z;", "b3 := y >= 7;", "b4 := y <= 6;", "b5 := y = 7;", "b6 := y <> 7;",
                 "b7 := GE(z, 3) AND LT(z, y);", "b8 := GRT(z, y);"},
                {{"b1", 1}, {"b2", 0}, {"b3", 1}, {"b4", 0}, {"b5", 1}, {"b6", 0}, {"b7", 1}, {"b8", 0}}},
        RunCase{"BooleanLogic",
                kLogic,
                {"o1 := a AND b OR c;", "o2 := a AND (b OR NOT c);", "o3 := a XOR c XOR b;", "o4 := NOT (a AND c);",
                 "o5 := (y > 3) AND NOT b & c;", "o6 := a = b;", "o7 := a <> c;", "o8 := b OR FALSE;",
                 "o9 := TRUE AND c;", "o10 := NOT TRUE;", "o11 := a AND FALSE;", "o12 := b OR TRUE XOR b;",
                 "o13 := FALSE AND c;", "o14 := a AND TRUE;", "o15 := c XOR TRUE;", "o16 := a = TRUE;"},
                {{"o1", 1}, {"o2", 0}, {"o3", 0}, {"o4", 0}, {"o5", 1}, {"o6", 0}, {"o7", 0}, {"o8", 0}, {"o9", 1},
                 {"o10", 0}, {"o11", 0}, {"o12", 1}, {"o13", 0}, {"o14", 1}, {"o15", 0}, {"o16", 1}}},
        RunCase{"IntegerBitwise",
                kLogic,
                {"m1 := y AND 6;", "m2 := y OR 8;", "m3 := y XOR 5;", "m4 := NOT y;", "m5 := (y AND 3) OR (z XOR 1);"},
                {{"m1", 6}, {"m2", 15}, {"m3", 2}, {"m4", -8}, {"m5", 3}}},
        RunCase{"ForLoops",
                {{"i", "DINT"}, {"j", "DINT"}, {"n", "DINT", "4"}, {"st", "DINT", "4"}, {"down", "DINT", "-3"},
                 {"s", "DINT"}, {"d", "DINT"}, {"e", "DINT"}, {"f", "DINT"}, {"g", "DINT"}, {"h", "DINT"},
                 {"k", "DINT"}, {"last", "DINT"}, {"w", "DINT"}, {"v", "DINT"}},
                {"FOR i := 1 TO 10 DO s := s + i; END_FOR;", "last := i;",
                 "FOR i := 5 TO 1 BY -2 DO d := d * 10 + i; END_FOR;",
                 "FOR i := 0 TO 20 BY st + 1 DO e := e + 1; END_FOR;",
                 "FOR i := 9 TO 0 BY down DO f := f + i; END_FOR;",
                 "FOR i := 1 TO 100 DO IF i > 4 THEN EXIT; END_IF; g := g + i; END_FOR;",
                 "FOR i := 1 TO 3 DO FOR j := 1 TO n DO h := h + 1; END_FOR; END_FOR;",
                 "FOR i := 0 TO n - 1 DO k := k + 10; END_FOR;", "FOR i := 3 TO 1 DO k := k + 1000; END_FOR;",
                 // A literal step of 0 counts as upward: only EXIT ends the first loop, its bound the second.
                 "FOR i := 2 TO 5 BY 0 DO w := w + 1; IF w >= 3 THEN EXIT; END_IF; END_FOR;",
                 "FOR i := 7 TO 5 BY 0 DO v := v + 1; IF v > 0 THEN EXIT; END_IF; END_FOR;"},
                {{"s", 55}, {"last", 11}, {"d", 531}, {"e", 5}, {"f", 18}, {"g", 10}, {"h", 12}, {"k", 40}, {"w", 3},
                 {"v", 0}}},
        RunCase{"Conversions",
                {{"x", "DINT", "4660"}, {"y", "DINT", "99"}, {"r1", "DINT"}, {"r2", "DINT"}, {"r3", "DINT"},
                 {"b1", "BOOL"}, {"b2", "BOOL", "1"}},
                {"r1 := BCD_TO_DINT(x);", "r2 := DINT_TO_INT(x) + REAL_TO_DINT(2.5);", "r3 := BCD_TO_INT(16#99);",
                 "b1 := DINT_TO_BCD(y) = DINT_TO_BCD(199);", "b2 := DINT_TO_BCD(y) = DINT_TO_BCD(98);"},
                {{"r1", 1234}, {"r2", 4663}, {"r3", 99}, {"b1", 1}, {"b2", 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

// One program, several inputs: every branch is taken and every other one skipped.
struct Step {
    Values inputs;
    Values expected;
};

void RunSteps(Execution& e, const std::vector<Step>& steps) {
    for (size_t s = 0; s < steps.size(); ++s) {
        for (const auto& [name, value] : steps[s].inputs) e.Set(name, value);
        ASSERT_TRUE(e.Scan());
        for (const auto& [name, value] : steps[s].expected) EXPECT_EQ(e.Get(name), value) << name << " in step " << s;
    }
}

TEST(Execution, NestedIfElsifElse) {
    Execution e;
    for (const char* name : {"x", "y", "r", "count"}) e.Tag(name, "DINT");
    e.Tag("flag", "BOOL");
    e.Build({"IF x > 10 THEN", "  IF y > 0 THEN r := 1; ELSE r := 2; flag := TRUE; END_IF;", "ELSIF x > 5 THEN",
             "  r := 3; flag := FALSE;", "ELSIF x = 0 THEN r := 4;", "ELSE r := 5; END_IF;", "count := count + 1;"});
    RunSteps(e, {{{{"x", 11}, {"y", 1}}, {{"r", 1}, {"flag", 0}, {"count", 1}}},
                 {{{"y", 0}}, {{"r", 2}, {"flag", 1}, {"count", 2}}},
                 {{{"x", 6}}, {{"r", 3}, {"flag", 0}}},
                 {{{"x", 0}}, {{"r", 4}}},
                 {{{"x", 3}}, {{"r", 5}, {"count", 5}}}});
}

TEST(Execution, CaseWithAndWithoutElse) {
    Execution e;
    for (const char* name : {"x", "r", "r2", "q"}) e.Tag(name, "DINT");
    e.Build({"CASE x OF 1: r := 10; 2: r := 20; r2 := r2 + 1; 5: r := 50; ELSE r := -1; END_CASE;",
             "CASE x + 1 OF 2: q := 2; 4: q := 4; END_CASE;"});
    RunSteps(e, {{{{"x", 1}}, {{"r", 10}, {"r2", 0}, {"q", 2}}},
                 {{{"x", 2}}, {{"r", 20}, {"r2", 1}, {"q", 2}}},
                 {{{"x", 5}}, {{"r", 50}, {"r2", 1}}},
                 {{{"x", 3}}, {{"r", -1}, {"q", 4}}},
                 {{{"x", 7}}, {{"r", -1}, {"q", 4}}}});
}

TEST(Execution, BooleanConditionsAndLatches) {
    Execution e;
    for (const char* name : {"a", "b", "c", "out", "latched"}) e.Tag(name, "BOOL");
    e.Tag("x", "DINT");
    e.Tag("hits", "DINT");
    e.Build({"out := (a OR b) AND NOT c;", "IF a AND x > 2 OR c THEN latched := TRUE; hits := hits + 1; END_IF;",
             "IF b THEN latched := FALSE; END_IF;", "IF FALSE THEN hits := 100; END_IF;"});
    RunSteps(e, {{{{"a", 1}}, {{"out", 1}, {"latched", 0}, {"hits", 0}}},
                 {{{"x", 3}}, {{"out", 1}, {"latched", 1}, {"hits", 1}}},
                 {{{"a", 0}, {"c", 1}}, {{"out", 0}, {"latched", 1}, {"hits", 2}}},
                 {{{"c", 0}, {"b", 1}}, {{"out", 1}, {"latched", 0}, {"hits", 2}}}});
}

TEST(Execution, ArraysIndexedByVariables) {
    Execution e;
    e.Tag("arr", "DINT[5]");
    e.Tag("m", "INT[2,3]");
    for (const char* name : {"i", "j", "sum", "cell"}) e.Tag(name, "DINT");
    e.Build({"FOR i := 0 TO 4 DO arr[i] := i * i; END_FOR;", "sum := 0;",
             "FOR i := 0 TO 4 DO sum := sum + arr[i]; END_FOR;", "FOR i := 0 TO 1 DO FOR j := 0 TO 2 DO",
             "m[i,j] := i * 10 + j; END_FOR; END_FOR;", "i := 1; j := 2; cell := m[i,j] + arr[i];"});
    ASSERT_TRUE(e.Scan());
    EXPECT_EQ(e.Get("arr[3]"), 9);
    EXPECT_EQ(e.Get("sum"), 30);
    EXPECT_EQ(e.Get("m[1,2]"), 12);
    EXPECT_EQ(e.Get("cell"), 13);
}

TEST(Execution, RegisterReadsAndWrites) {
    Execution e;
    for (const char* name : {"x", "y"}) e.Tag(name, "DINT");
    e.registers.values[100] = 41;
    e.registers.values[101] = 1000;
    e.Build({"x := %R100 + 1;", "%R200 := x * 2;", "%RC5 := %R101;", "WRR(R#201, RDR(R#100) - %R101);",
             "y := MAX(%R100, %R101);"});
    ASSERT_TRUE(e.Scan());
    EXPECT_EQ(e.Get("x"), 42);
    EXPECT_EQ(e.registers.values[200], 84);
    EXPECT_EQ(e.registers.values[5], 1000);
    EXPECT_EQ(static_cast<int16_t>(e.registers.values[201]), -959);
    EXPECT_EQ(e.Get("y"), 1000);
}

TEST(Execution, CallsOfUserBlocksWithInputsAndOutputs) {
    Execution e;
    CUnit& scale = e.Block("Scale", {"IF Enable THEN Out := In * Gain; ELSE Out := 0; END_IF;", "Active := Enable;",
                                     "Calls := Calls + 1;"});
    e.Tag("In", "DINT", "0", kUsageInput, &scale);
    e.Tag("Gain", "DINT", "0", kUsageInput, &scale);
    e.Tag("Enable", "BOOL", "0", kUsageInput, &scale);
    e.Tag("Out", "DINT", "0", kUsageOutput, &scale);
    e.Tag("Active", "BOOL", "0", kUsageOutput, &scale);
    e.Tag("Calls", "DINT", "0", kUsageStatic, &scale);
    e.Tag("sc", "Scale");
    e.Tag("x", "DINT", "4");
    e.Tag("a", "BOOL", "1");
    e.Tag("r", "DINT");
    e.Tag("b", "BOOL");
    e.Build({"sc(In := x + 1, Gain := 3, Enable := a, Out => r, Active => b);", "sc(In := r, Gain := 2);",
             "x := sc.Out;"});
    RunSteps(e, {{{}, {{"r", 15}, {"b", 1}, {"x", 30}, {"sc.Calls", 2}}},
                 {{{"a", 0}}, {{"r", 0}, {"b", 0}, {"x", 0}}}});
}

TEST(Execution, TimersOverSeveralScans) {
    Execution e;
    e.Tag("on", "IEC_TON");
    e.Tag("off", "IEC_TOF");
    e.Tag("ret", "IEC_RTO");
    for (const char* name : {"start", "done", "hold", "kept"}) e.Tag(name, "BOOL");
    for (const char* name : {"el", "rel"}) e.Tag(name, "DINT");
    e.Build({"on(EN := start, PT := 100, Q => done, ET => el);", "off(EN := start, PT := 50, Q => hold);",
             "ret(EN := start, PT := 120, Q => kept, ET => rel);"});
    RunSteps(e, {{{}, {{"done", 0}, {"hold", 0}, {"el", 0}}},
                 {{{"start", 1}}, {{"done", 0}, {"hold", 1}, {"el", 0}}}});
    ASSERT_TRUE(e.Scans(5, 20));
    EXPECT_EQ(e.Get("el"), 100);
    EXPECT_EQ(e.Get("done"), 1);
    EXPECT_EQ(e.Get("rel"), 100);
    EXPECT_EQ(e.Get("kept"), 0);
    // Off: the on-delay resets at once, the off-delay holds, the retentive timer keeps its time.
    RunSteps(e, {{{{"start", 0}}, {{"done", 0}, {"el", 0}, {"hold", 1}, {"rel", 100}}}});
    ASSERT_TRUE(e.Scans(3, 20));
    EXPECT_EQ(e.Get("hold"), 0);
    e.Set("start", 1);
    ASSERT_TRUE(e.Scans(2, 20));
    EXPECT_EQ(e.Get("kept"), 1);
    EXPECT_EQ(e.Get("rel"), 120);
}

TEST(Execution, CountersOverSeveralScans) {
    Execution e;
    e.Tag("up", "IEC_CTU");
    e.Tag("dn", "IEC_CTD");
    for (const char* name : {"pulse", "reset", "load", "full", "empty"}) e.Tag(name, "BOOL");
    for (const char* name : {"count", "left"}) e.Tag(name, "DINT");
    e.Build({"up(CU := pulse, R := reset, PV := 3, Q => full, CV => count);",
             "dn(CD := pulse, LD := load, PV := 2, Q => empty, CV => left);"});
    // Q mirrors the module counter's done bit (accumulator at or above the preset), which
    // the count sets before a load or reset in the same scan changes the accumulator.
    RunSteps(e, {{{{"load", 1}}, {{"left", 2}, {"empty", 0}}},
                 {{{"load", 0}}, {{"left", 2}, {"empty", 1}}},
                 {{{"load", 0}, {"pulse", 1}}, {{"count", 1}, {"full", 0}, {"left", 1}, {"empty", 0}}},
                 {{}, {{"count", 1}}},  // held: no second count
                 {{{"pulse", 0}}, {{"count", 1}}},
                 {{{"pulse", 1}}, {{"count", 2}}},
                 {{{"pulse", 0}}, {}},
                 {{{"pulse", 1}}, {{"count", 3}, {"full", 1}, {"left", -1}}},
                 {{{"reset", 1}, {"pulse", 0}}, {{"count", 0}, {"full", 0}}},
                 {{{"reset", 0}, {"load", 1}}, {{"left", 2}}}});
}

TEST(Execution, ReturnLeavesTheBlock) {
    Execution e;
    for (const char* name : {"x", "y"}) e.Tag(name, "DINT");
    e.Tag("stop", "BOOL");
    e.Build({"x := x + 1;", "IF stop THEN RETURN; END_IF;", "y := y + 1;"});
    RunSteps(e, {{{}, {{"x", 1}, {"y", 1}}}, {{{"stop", 1}}, {{"x", 2}, {"y", 1}}}, {{{"stop", 0}}, {{"x", 3}, {"y", 2}}}});
}

}  // namespace
}  // namespace pontra::test
