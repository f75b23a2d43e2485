#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "fieldreader.h"
#include "modmain.h"

// What a document can hold: eight name lines of up to 4 KiB, then 200 fields of up to 1 KiB. A file with
// a longer item is refused; anything after the 200th field is neither read nor looked at.
inline constexpr ItemBounds kDocumentBounds{kSheets, kBoxes, 4096, 1024};

// A cell text a document may hold: empty, "@" or a number from 0 to 99.
bool IsGoodCellText(std::string_view text);
// Checks a document file's CP932 bytes up to its 200th field and returns its names and cells in
// UTF-8, or nullopt when the file is not a usable sheet document.
std::optional<DocumentContent> ParseDocument(std::string_view bytes);
// The file's bytes for the current sheets, or an error text when a name would not read back unchanged.
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
// The names and cells of the document file at path, or nullopt when it is no usable document.
std::optional<DocumentContent> ReadDocumentFile(const std::string& path);
// Checks, then reads DocDir + DocName. A refused file is reported and changes nothing.
bool LoadDocument(modMain& m);

inline constexpr std::string_view kUntitled = "無題";
