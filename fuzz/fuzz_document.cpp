// libFuzzer target for the sheet document reader, all in memory: no files, no Qt event loop.
//
// Every input is checked two ways:
//  1. All or nothing: ParseDocument either refuses the input or returns all eight names and
//     all 200 cells, every one usable: a cell is empty, "@" or a number 0..99; no name or
//     cell holds a line end. (That LoadDocument takes such a result whole or leaves the
//     sheets untouched is pinned by test_storage.)
//  2. Round trip: EncodeDocument of the accepted names and cells parses back to the same
//     names and cells (so saving it again gives the same bytes); the writer may refuse
//     only a name that has no CP932 form.
// Any violation calls abort() so that libFuzzer keeps the input.

#include "cp932.h"
#include "modmain.h"
#include "sheetdocument.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzzsupport.h"

namespace {

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

QuietPlatform g_platform;
modMain* g_module = nullptr;

void CheckRoundTrip(const DocumentContent& doc) {
    modMain& m = *g_module;
    m.ApplyDocument(doc);
    const EncodedDocument encoded = EncodeDocument(m);
    if (!encoded.error.empty()) { // only a name without a CP932 form may be refused by the writer
        bool unstorableName = false;
        for (const std::string& name : doc.names)
            unstorableName = unstorableName || !Utf8ToCp932(name);
        Check(unstorableName, "EncodeDocument refused names and cells that came from a file");
        return;
    }
    const auto back = ParseDocument(encoded.bytes);
    Check(back.has_value(), "the program's own file was refused");
    Check(*back == doc, "names or cells changed in a save and reload");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static modMain module(g_platform);
    g_module = &module;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto parsed = ParseDocument(bytes);
    if (!parsed)
        return 0;
    CheckContent(*parsed);
    CheckRoundTrip(*parsed);
    return 0;
}
