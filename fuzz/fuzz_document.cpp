// libFuzzer target for the sheet document reader.
//
// Every input is checked three ways:
//  1. ParseDocument either refuses it or returns names and cells that are all usable:
//     a cell is empty, "@" or a number 0..99; no name or cell holds a line end.
//  2. LoadDocument, driven through a modMain from an in-memory file, agrees with
//     ParseDocument: a refused file is reported once and leaves the sheets exactly as they
//     were; an accepted one replaces every name and cell and clears DocChanged.
//  3. When the document was accepted and every name can be stored again, EncodeDocument
//     of those names and cells parses back to the same names and cells, and encoding that
//     result again gives the same bytes.
// Any violation calls abort() so that libFuzzer keeps the input.

#include "cp932.h"
#include "modmain.h"
#include "numbers.h"
#include "platform.h"
#include "sheetdocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzzsupport.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool IsUsableCell(const std::string& cell) {
    if (cell.empty() || cell == "@")
        return true;
    const auto value = ParseNumber(cell);
    return value && *value >= 0.0 && *value <= 99.0;
}

bool HasLineEnd(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

void CheckContent(const DocumentContent& doc) {
    for (const std::string& name : doc.names)
        Check(!HasLineEnd(name), "accepted document has a name with a line end");
    for (const std::string& cell : doc.cells) {
        Check(IsUsableCell(cell), "accepted document has a cell that is not empty, \"@\" or 0..99");
        Check(cell.find_first_of(",\r\n") == std::string::npos, "accepted cell holds a comma or line end");
        Check(cell.empty() || (cell.front() != ' ' && cell.front() != '\t'), "accepted cell keeps leading blanks");
    }
}

bool SameContent(const DocumentContent& a, const DocumentContent& b) {
    return a.names == b.names && a.cells == b.cells;
}

// ---- an in-memory file that LoadDocument can open by name ----

struct MemoryFile {
    int fd = -1;
    std::string dir;  // ends in "/"
    std::string name;

    bool Write(std::string_view bytes) const {
        if (ftruncate(fd, 0) != 0)
            return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
};

MemoryFile g_file;
QuietPlatform g_platform;
modMain* g_module = nullptr;

std::string MarkerName(int s) { return "marker sheet " + std::to_string(s); }
std::string MarkerCell(int b) { return "#" + std::to_string(b); }

void FillMarker(modMain& m) {
    for (int s = 0; s < kSheets; ++s)
        m.BSheet[s] = MarkerName(s);
    for (int b = 0; b < kBoxes; ++b)
        m.BBox[b].Caption = MarkerCell(b);
    m.DocChanged = -1;
}

bool MarkerIntact(const modMain& m) {
    for (int s = 0; s < kSheets; ++s)
        if (m.BSheet[s] != MarkerName(s))
            return false;
    for (int b = 0; b < kBoxes; ++b)
        if (m.BBox[b].Caption != MarkerCell(b))
            return false;
    return m.DocChanged == -1;
}

bool ModuleHolds(const modMain& m, const DocumentContent& doc) {
    for (int s = 0; s < kSheets; ++s)
        if (m.BSheet[s] != doc.names[s])
            return false;
    for (int b = 0; b < kBoxes; ++b)
        if (m.BBox[b].Caption != doc.cells[b])
            return false;
    return true;
}

// Loads bytes through LoadDocument; returns whether it accepted them.
bool LoadThroughModule(std::string_view bytes) {
    modMain& m = *g_module;
    FillMarker(m);
    g_platform.messages = 0;
    g_platform.lastStyle = 0;
    Check(g_file.Write(bytes), "cannot write the in-memory file");
    m.DocDir = g_file.dir;
    m.DocName = g_file.name;
    return LoadDocument(m);
}

void CheckLoad(std::string_view bytes, const std::optional<DocumentContent>& parsed) {
    const bool loaded = LoadThroughModule(bytes);
    const modMain& m = *g_module;
    Check(loaded == parsed.has_value(), "LoadDocument and ParseDocument disagree on accepting the file");
    if (!parsed) {
        Check(g_platform.messages == 1 && g_platform.lastStyle == vbOKOnlyCritical,
              "a refused file was not reported exactly once");
        Check(MarkerIntact(m), "a refused file changed the sheets or DocChanged");
        return;
    }
    Check(g_platform.messages == 0, "an accepted file was reported");
    Check(ModuleHolds(m, *parsed), "LoadDocument did not take every name and cell of the file");
    Check(m.DocChanged == 0, "an accepted file left DocChanged set");
}

void CheckRoundTrip(const DocumentContent& doc) {
    for (const std::string& name : doc.names)
        if (HasLineEnd(name) || !Utf8ToCp932(name))
            return; // such a name is refused by the writer, not the reader's business
    modMain& m = *g_module;
    for (int s = 0; s < kSheets; ++s)
        m.BSheet[s] = doc.names[s];
    for (int b = 0; b < kBoxes; ++b)
        m.BBox[b].Caption = doc.cells[b];
    const EncodedDocument first = EncodeDocument(m);
    Check(first.error.empty(), "EncodeDocument refused names and cells that came from a file");
    const auto back = ParseDocument(first.bytes);
    Check(back.has_value(), "the program's own file was refused");
    Check(SameContent(*back, doc), "names or cells changed in a save and reload");

    for (int s = 0; s < kSheets; ++s)
        m.BSheet[s] = back->names[s];
    for (int b = 0; b < kBoxes; ++b)
        m.BBox[b].Caption = back->cells[b];
    const EncodedDocument second = EncodeDocument(m);
    Check(second.error.empty() && second.bytes == first.bytes, "saving a reloaded document gives other bytes");
}

bool OpenMemoryFile() {
    const int fd = memfd_create("fuzz_document", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    g_file.fd = fd;
    g_file.dir = "/proc/self/fd/";
    g_file.name = std::to_string(fd);
    return true;
}

// Otherwise a file in a private temporary folder, removed at exit.
bool OpenTemporaryFile() {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    std::string pattern = std::string(base) + "/fuzz_document.XXXXXX";
    if (!mkdtemp(pattern.data()))
        return false;
    g_file.dir = pattern + "/";
    g_file.name = "input.txt";
    g_file.fd = open((g_file.dir + g_file.name).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    return g_file.fd >= 0;
}

void RemoveTemporaryFile() {
    if (g_file.dir.rfind("/proc/", 0) == 0)
        return;
    unlink((g_file.dir + g_file.name).c_str());
    rmdir(g_file.dir.c_str());
}

std::string SampleDocument() {
    std::string text;
    for (int s = 1; s <= kSheets; ++s)
        text += "Sheet " + std::to_string(s) + "\r\n";
    for (int b = 0; b < kBoxes; ++b)
        text += std::to_string(b % 100) + (b < kBoxes - 1 ? "," : "\r\n");
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static modMain module(g_platform);
    g_module = &module;

    // The harness must be able to hand LoadDocument a file; check it with a good one.
    const std::string sample = SampleDocument();
    bool ready = OpenMemoryFile() && LoadThroughModule(sample);
    if (!ready) {
        if (g_file.fd >= 0)
            close(g_file.fd);
        g_file = {};
        ready = OpenTemporaryFile() && LoadThroughModule(sample);
        if (ready)
            std::atexit(RemoveTemporaryFile);
    }
    if (!ready)
        Fail("harness cannot give LoadDocument a readable file");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto parsed = ParseDocument(bytes);
    const auto again = ParseDocument(bytes);
    Check(parsed.has_value() == again.has_value() && (!parsed || SameContent(*parsed, *again)),
          "ParseDocument gave two answers for one file");
    if (parsed)
        CheckContent(*parsed);

    CheckLoad(bytes, parsed);

    if (parsed)
        CheckRoundTrip(*parsed);
    return 0;
}
