// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora fuzz/corpus/TARGET/ from the inputs the tests and examples use:
// the tests' sample project and hand-built files of every version, the example component
// files and the images they build, the tests' image assembler, and packets of each
// protocol as the tests' peers send them. Run by `make fuzz-seeds`; the corpora are
// small and kept in the repository.
//   fuzz-seeds SOURCE_DIR
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "build/ProgramImage.h"
#include "comm/RegisterClient.h"
#include "comm/TftpPacket.h"
#include "files/ComponentExport.h"
#include "files/ComponentImport.h"
#include "files/FileBytes.h"
#include "files/ProjectWriter.h"
#include "files/Records.h"
#include "files/SampleProject.h"
#include "host/ScriptedHost.h"
#include "model/ControllerTypes.h"
#include "shell/MainFrame.h"
#include "sim/Crc16.h"
#include "sim/ImageAssembler.h"

namespace fs = std::filesystem;
using namespace pontra;
using Bytes = std::vector<uint8_t>;

namespace {

fs::path corpus;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path folder = corpus / target;
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                         static_cast<std::streamsize>(bytes.size()));
}

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Scripts for the fuzz targets' Script reader: numbers low byte first, chunks with a
// 16-bit length.
struct ScriptBytes {
    Bytes bytes;
    ScriptBytes& Byte(uint8_t b) {
        bytes.push_back(b);
        return *this;
    }
    ScriptBytes& Word(uint16_t w) { return Byte(static_cast<uint8_t>(w)).Byte(static_cast<uint8_t>(w >> 8)); }
    ScriptBytes& Chunk(const Bytes& chunk) {
        Word(static_cast<uint16_t>(chunk.size()));
        bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        return *this;
    }
    ScriptBytes& Rest(const Bytes& rest) {
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        return *this;
    }
};

Bytes Be(std::initializer_list<uint16_t> words) {
    Bytes b;
    for (uint16_t w : words) b.insert(b.end(), {static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w)});
    return b;
}

Bytes Le(std::initializer_list<uint16_t> words) {
    Bytes b;
    for (uint16_t w : words) b.insert(b.end(), {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)});
    return b;
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Controller tags cut to the first one and the connection slot, every member list to
// two entries, as the damaged-file tests do: a seed of a few kilobytes fuzzes many
// times faster than one of 60 and still holds every kind of record.
void Trim(CProject& project) {
    TagList& controller = project.doc.controllerTags;
    const auto slot = static_cast<std::ptrdiff_t>(FirstConnectionSlot(project.doc.controllerType));
    if (slot > 1 && static_cast<size_t>(slot) < controller.size()) controller.erase(controller.begin() + 1, controller.begin() + slot);
    if (controller.size() > 2) controller.resize(2);
    const std::function<void(TagList&)> trim = [&](TagList& list) {
        for (auto& t : list) {
            if (t->members.size() > 2) t->members.resize(2);
            trim(t->members);
        }
    };
    trim(controller);
    trim(project.doc.tags);
    for (auto& unit : project.units) trim(unit->tags);
    for (auto& type : project.types) trim(type->members);
}

// A project built from an example's component text, and its program image.
struct Example {
    ScriptedHost host;
    CMainFrame frame{host};
    Bytes projectFile, image;

    Example(const fs::path& source, const fs::path& scratch) {
        host.defaultAnswer = true;
        frame.SetProject(NewProject("Vessa"));
        frame.doc().pathName = (scratch / (source.stem().string() + ".clp")).string();
        ImportComponents(frame, ReadText(source), source.filename().string());
        frame.doc().timeStamp = 0x5F000001;  // the same seeds on every run
        std::string error, path;
        if (BuildProgramImage(frame, path, false)) {
            const std::string text = ReadText(path);
            image.assign(text.begin(), text.end());
        }
        Trim(frame.project());
        WriteProject(frame.project(), projectFile, error);
    }
};

void ProjectFiles(const std::vector<const Example*>& examples) {
    using test::FileBytes;
    Bytes sample;
    std::string error;
    auto project = test::SampleProject();
    Trim(*project);
    WriteProject(*project, sample, error);
    Write("project_file", "v5-sample", sample);
    Write("project_file", "v5-conveyor-zone", examples[0]->projectFile);

    // Older versions as the reader tests build them: a rung with a contact, tags, the
    // controller values (bare before version 3), the version words, units from 5.
    const FileBytes rung =
        FileBytes().Rung(0, "first", 3, FileBytes().Element(1, {""}).Element(2, {"X"}).Element(5, {}, {
            FileBytes().Rung(1, "", 2, FileBytes().Element(7, {""}).Element(3, {"Y"}))}));
    for (uint32_t version = 1; version <= 4; ++version) {
        FileBytes f;
        f.U32(version);
        if (version > 1) f.U32(0x11223344).U32(0x7F000005).Text(version == 4 ? "Kormo" : "Vessa");
        f.U32(1).Append(rung);
        f.U32(2).TagRecord({.name = "X", .type = version < 3 ? "" : "BOOL", .init = "1"}, version);
        f.TagRecord({.name = "N", .type = "DINT", .init = "7"}, version);
        if (version < 3) {
            f.U32(3).U32(5).U32(0xFFFFFFFF).U32(2);
        } else {
            f.U32(1).TagRecord({.name = "SensorPolarity", .type = "DINT", .init = "3",
                                .members = test::BitMembers("SensorPolarity", 32)},
                               version);
            f.U32(0x00010002).U32(4).U32(4).U32(4);
        }
        Write("project_file", "v" + std::to_string(version), f.bytes);
    }
}

void ComponentTexts(const fs::path& source) {
    for (const char* name : {"conveyor_zone", "speed_ramp"})
        Write("component_import", name, FromText(ReadText(source / "examples" / (std::string(name) + ".txt"))));
    auto project = test::SampleProject();
    if (auto text = ExportText(*project, ExportSubject::MainTask)) Write("component_import", "sample-main-task", FromText(*text));
}

void StructuredTexts(const fs::path& source) {
    // The body of the example's block, as the editor holds it.
    const std::string ramp = ReadText(source / "examples" / "speed_ramp.txt");
    const size_t start = ramp.find("(* Move Speed"), end = ramp.find("END_FUNCTION_BLOCK");
    if (start != std::string::npos && end != std::string::npos)
        Write("structured_text", "speed-ramp", FromText(ramp.substr(start, end - start)));
    // Every statement and call kind on the fuzz project's variables (x, b, y, s, i, arr,
    // m, t, c, h).
    const char* texts[][2] = {
        {"arithmetic", "y := (x + 3) * 2 - x / 4 MOD 5;\ns := -s;\ni := ABS(i) + MAX(x, 7) - MIN(y, 2);\n"},
        {"logic", "b := NOT b AND (x > 3) OR (y <= 4) XOR TRUE;\ny := x AND 16#FF OR SHL(x, 2);\n"},
        {"if-case", "IF x > 10 THEN\n  y := 1;\nELSIF x = 5 THEN\n  y := 2;\nELSE\n  y := 3;\nEND_IF;\n"
                    "CASE x OF\n  1: y := 10;\n  2, 3: y := 20;\n  4..6: y := 30;\nELSE\n  y := 0;\nEND_CASE;\n"},
        {"loops", "FOR i := 0 TO 7 BY 1 DO\n  arr[i] := i * 2;\n  IF arr[i] > x THEN EXIT; END_IF;\nEND_FOR;\n"
                  "FOR i := 7 TO 0 BY -2 DO m[1, 2] := i; END_FOR;\n"},
        {"calls", "t(IN := b, PT := 500);\nb := t.Q;\nc(CU := b, R := NOT b, PV := 10);\ny := c.CV;\n"
                  "h(In := x, Out => y);\n"},
        {"registers", "%R10 := x;\ny := %R10 + RDR(R#11);\nWRR(R#12, y);\n"},
        {"comments", "(* a comment\n over lines *)\ny := x; // to the end\n"},
    };
    for (const auto& t : texts) Write("structured_text", t[0], FromText(t[1]));
}

void ClipboardPayloads() {
    auto project = test::SampleProject();
    const CRung& rung = *project->doc.rungs[0];
    // [in block][rung][element][rung format] then the payload
    auto payload = [](bool block, uint8_t rungIndex, uint8_t element, bool rungFormat, const Bytes& bytes) {
        return ScriptBytes().Byte(block).Word(rungIndex).Word(element).Byte(rungFormat).Rest(bytes).bytes;
    };
    Write("clipboard", "rung", payload(false, 0, 1, true, RungToBytes(rung)));
    Write("clipboard", "leg", payload(false, 0, 0, true, RungToBytes(*rung.elements[2]->legs[1])));
    CRung carrier;
    carrier.comment = "Copy JFB";
    carrier.Append(std::make_unique<CElement>(kKindRung));
    carrier.Append(CopyElement(*project->doc.rungs[1]->elements[1], &carrier));
    Write("clipboard", "call", payload(true, 0, 0, true, RungToBytes(carrier)));
    Write("clipboard", "contact", payload(false, 1, 1, false, ElementToBytes(*rung.elements[1])));
    Write("clipboard", "branch", payload(false, 0, 0, false, ElementToBytes(*rung.elements[2])));
}

void ImagesAndModulePackets(const std::vector<const Example*>& examples) {
    using namespace pontra::sim;
    sim::test::Image counter;
    counter.code.Rung().Bit(kXic, 400, 0).Timer(kTon, 404).Rnd().Rung().Timer(kCtu, 412).Rnd()
        .Rung().Gen(kAdd, {sim::test::Dint(420), sim::test::Imm(3), sim::test::Dint(420)}).Rnd().End(true);
    const std::vector<Bytes> images = {counter.Bytes(), examples[0]->image, examples[1]->image};
    for (size_t i = 0; i < images.size(); ++i) Write("image_load", "image-" + std::to_string(i), images[i]);

    // The soft module's TFTP side: a whole upload of an image with its CRC, a read back,
    // a delete. Events: [0][peer] request, [1][transfer] packet, [2][ms] time.
    Bytes withCrc = images[1];
    const uint16_t crc = sim::Crc16Modbus(withCrc);
    withCrc.push_back(static_cast<uint8_t>(crc));
    withCrc.push_back(static_cast<uint8_t>(crc >> 8));
    auto request = [](uint16_t opcode, const std::string& tsize) {
        Bytes p = Be({opcode});
        for (const std::string& field : {std::string("PlcData_.bin"), std::string("octet"), std::string("tsize"), tsize}) {
            p.insert(p.end(), field.begin(), field.end());
            p.push_back(0);
        }
        return p;
    };
    ScriptBytes upload;
    upload.Byte(3).Byte(0).Byte(0).Byte(0).Chunk(request(2, std::to_string(withCrc.size())));
    for (size_t at = 0, block = 1; at <= withCrc.size(); at += 512, ++block) {
        const size_t n = std::min<size_t>(512, withCrc.size() - at);
        upload.Byte(1).Word(0).Chunk(Cat(Be({3, static_cast<uint16_t>(block)}), Bytes(withCrc.begin() + at, withCrc.begin() + at + n)));
        if (n < 512) break;
    }
    upload.Byte(0).Byte(1).Chunk(request(1, "0"));
    for (uint16_t block = 1; block < 40; ++block) upload.Byte(1).Word(0).Chunk(Be({4, block}));
    upload.Byte(2).Word(4000).Byte(0).Byte(2).Chunk(request(2, "0"));
    Write("tftp_server", "upload-read-delete", upload.bytes);
    Write("tftp_server", "refusals", ScriptBytes().Byte(3).Byte(1).Byte(0).Byte(0).Chunk(Cat(Be({1}), FromText(std::string("other.bin\0netascii\0", 19))))
                                           .Byte(0).Byte(0).Chunk(Be({9, 1})).Byte(2).Word(1500).Byte(2).Word(1500).bytes);

    // The datagram server: read, write, set and clear a bit, status, mode (identifier 7).
    auto datagram = [](uint16_t command, const Bytes& data) {
        return Cat(Le({7, command, static_cast<uint16_t>(data.size()), 0}), data);
    };
    Write("datagram_request", "commands", ScriptBytes()
                                              .Chunk(datagram(1, Le({400, 16})))
                                              .Chunk(datagram(2, Cat(Le({400, 4}), {1, 2, 3, 4})))
                                              .Chunk(datagram(3, Le({400, 0})))
                                              .Chunk(datagram(4, Le({400, 0})))
                                              .Chunk(datagram(5, {}))
                                              .Chunk(datagram(6, Le({0, 0, 1})))
                                              .Chunk(datagram(6, Le({0, 0, 0})))
                                              .bytes);
    // The register server: the IDE's request (length field 4), a standard one, a bad one.
    const auto read17 = BuildReadRequest(1, 17, 2);
    Write("register_request", "identity", Cat(Cat(Bytes(read17.begin(), read17.end()),
                                                  Be({2, 0, 6, 0x0103, 0x01FE, 1})),
                                              Be({3, 0, 6, 0x0106, 0, 1})));
}

void ClientReplies() {
    // Register replies: [transaction][register - 1][count - 1] then the reply.
    const Bytes values = Be({0x4100, 0x0002});
    Write("register_reply", "registers", ScriptBytes().Word(5).Word(16).Word(1)
                                             .Rest(Cat(Cat(Be({5, 0, 7}), {1, 3, 4}), values)).bytes);
    Write("register_reply", "exception", ScriptBytes().Word(6).Word(16).Word(1).Rest(Cat(Be({6, 0, 3}), {1, 0x83, 2, 0, 2})).bytes);

    // TFTP client: [download][block][offset / 512] then datagrams.
    ScriptBytes download;
    download.Byte(1).Word(1).Word(0)
        .Chunk(Cat(Be({3, 1}), Bytes(512, 0x55)))
        .Chunk(Cat(Be({3, 2}), Bytes(100, 0xAA)));
    Write("tftp_client", "download", download.bytes);
    Write("tftp_client", "upload", ScriptBytes().Byte(0).Word(0).Word(0).Chunk(Be({4, 0})).Chunk(Be({4, 1}))
                                       .Chunk(Cat(Be({5, 10}), FromText(std::string("stored\0", 7))))
                                       .Chunk(Cat(Be({5, 3}), FromText(std::string("Disk full\0", 10)))).bytes);

    // Datagram replies: [read count - 1] per request [sent][identifier] (ten requests),
    // then passes: [count] per datagram [source][module port][full length] chunk, [ms].
    ScriptBytes replies;
    replies.Word(15);
    for (uint8_t i = 0; i < 10; ++i) replies.Byte(1).Byte(i);
    const Bytes readReply = Cat(Le({0, 0x40, 16, 0}), Bytes(16, 9));
    const Bytes statusReply = Cat(Le({1, 0x40, 40, 0}), Bytes(40, 0));
    const Bytes errorReply = Le({2, 0x80, 0, 0});
    replies.Byte(3);
    for (const Bytes& d : {readReply, statusReply, errorReply})
        replies.Byte(0).Byte(1).Word(static_cast<uint16_t>(d.size())).Chunk(d);
    replies.Word(20).Byte(1).Byte(1).Byte(1).Word(8).Chunk(Le({5, 0x40, 0, 0})).Word(500);
    Write("datagram_reply", "replies", replies.bytes);
}

void ModuleLists() {
    // As the list tests write them: mixed line ends, blanks, a last line without an end.
    Write("module_list", "mixed-line-ends",
          FromText("127.0.0.10\r\n127.0.0.11\n\r\n  127.0.0.12 \r\n127.0.0.10\r\n127.0.0.13"));
    Write("module_list", "written", FromText("127.0.0.20\r\n127.0.0.21\r\n"));
}

void ScenarioFiles(const fs::path& source) {
    for (const char* name : {"conveyor_zone", "speed_ramp"})
        Write("scenario_file", name, FromText(ReadText(source / "examples" / (std::string(name) + ".test"))));
    // every statement, keywords in other cases, values in each display style, CR LF ends
    Write("scenario_file", "statements",
          FromText("// all forms\r\nsetup\r\n  SET Inputs.0 = ON\r\nEND\r\nTest \"t\"\r\n  SET SpeedLeftMTR = 16#1F\r\n"
                   "  SET Inputs = 2#101\r\n  SET Outputs = 8#17\r\n  SET FirstLadderExec = 0\r\n"
                   "  RUN 1.5 s\r\n  RUN 2min\r\n  RUN 3 SCANS\r\n  EXPECT SpeedLeftMTR = 30 +/- 1\r\n"
                   "  EXPECT Inputs <> 0\r\n  WAIT UNTIL Outputs >= 15 WITHIN 20 ms\r\n"
                   "  PULSE Inputs.3 FOR 10 ms\r\nEND\r\n"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds SOURCE_DIR\n");
        return 2;
    }
    const fs::path source = argv[1];
    corpus = source / "fuzz" / "corpus";
    const fs::path scratch = fs::temp_directory_path() / "pontra-fuzz-seeds";
    fs::create_directories(scratch);
    const Example conveyor(source / "examples" / "conveyor_zone.txt", scratch);
    const Example ramp(source / "examples" / "speed_ramp.txt", scratch);
    fs::remove_all(scratch);
    if (conveyor.image.empty() || ramp.image.empty()) {
        std::fprintf(stderr, "fuzz-seeds: the examples did not build\n");
        return 1;
    }
    ProjectFiles({&conveyor, &ramp});
    ComponentTexts(source);
    StructuredTexts(source);
    ClipboardPayloads();
    ImagesAndModulePackets({&conveyor, &ramp});
    ClientReplies();
    ModuleLists();
    ScenarioFiles(source);
    return 0;
}
