#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "modmain.h"

struct DocumentContent {
    std::array<std::string, kSheets> names;
    std::array<std::string, kBoxes> cells;
};

// Checks a whole document file (CP932 bytes) and returns its names and cells in UTF-8,
// or nullopt when the file is not a usable sheet document.
std::optional<DocumentContent> ParseDocument(std::string_view bytes);
// The file's bytes for the current sheets, or an error text when a name cannot be stored.
struct EncodedDocument {
    std::string bytes;
    std::string error;
};
EncodedDocument EncodeDocument(const modMain& m);

void NewDocument(modMain& m);
void SetWindowTitle(modMain& m);
// Writes DocDir + DocName. On failure reports it, writes nothing over the old file and
// leaves DocChanged as it was.
bool SaveDocument(modMain& m);
// Checks, then reads DocDir + DocName. A refused file is reported and changes nothing.
bool LoadDocument(modMain& m);

inline constexpr std::string_view kUntitled = "無題";
