#include "sheetdocument.h"

#include "atomicfile.h"
#include "cp932.h"
#include "fieldreader.h"
#include "numbers.h"
#include "regularfile.h"

bool IsGoodCellText(std::string_view text) {
    // An empty field is an empty cell: the program writes them itself, so its own files
    // must open again.
    if (text.empty() || text == "@")
        return true;
    const auto value = ParseNumber(text);
    return value && *value >= 0.0 && *value <= 99.0;
}

std::optional<DocumentContent> ParseDocument(std::string_view bytes) {
    const auto used = ItemsOf(bytes, kDocumentBounds);
    if (!used)
        return std::nullopt;
    // Invalid CP932 is refused, never decoded with replacement characters that a later
    // save would write back.
    const auto text = Cp932ToUtf8(*used);
    if (!text)
        return std::nullopt;

    // Checking pass over the buffer, then the reading pass: the file cannot change between them.
    FieldReader check(*text);
    int items = 0;
    bool bad = false;
    while (!check.AtEnd() && items < kSheets + kBoxes) {
        if (items < kSheets)
            check.ReadLine();
        else if (!IsGoodCellText(check.ReadField()))
            bad = true;
        ++items;
    }
    if (bad || items < kSheets + kBoxes)
        return std::nullopt;

    DocumentContent doc;
    FieldReader reader(*text);
    for (auto& name : doc.names)
        name = reader.ReadLine();
    for (auto& cell : doc.cells)
        cell = reader.ReadField();
    return doc;
}

EncodedDocument EncodeDocument(const modMain& m) {
    std::string text;
    for (int s = 0; s < kSheets; ++s) {
        const std::string& name = m.BSheet[s];
        // A line end inside a name would split it and shift every later field.
        if (name.find_first_of("\r\n") != std::string::npos)
            return {{}, "ｼｰﾄ名に改行が含まれています: Sheet " + std::to_string(s + 1)};
        // Encoding alone is not enough: "¥" would be stored and come back as "\".
        if (!IsStorableAsCp932(name))
            return {{}, "ｼｰﾄ名 \"" + name + "\" にﾌｧｲﾙに保存できない文字が含まれています。"};
        text += name + "\r\n";
    }
    for (int b = 0; b < kBoxes; ++b) {
        text += m.BBox[b].Caption;
        text += b < kBoxes - 1 ? "," : "\r\n";
    }
    auto bytes = Utf8ToCp932(text);
    if (!bytes)
        return {{}, "ﾌｧｲﾙに保存できない文字が含まれています。"};
    return {std::move(*bytes), {}};
}

DocumentContent CaptureDocument(const modMain& m) {
    DocumentContent doc{m.BSheet, {}};
    for (int b = 0; b < kBoxes; ++b)
        doc.cells[b] = m.BBox[b].Caption;
    return doc;
}

void ApplyDocument(modMain& m, const DocumentContent& doc) {
    m.BSheet = doc.names;
    for (int b = 0; b < kBoxes; ++b)
        m.BBox[b].Caption = doc.cells[b];
}

void SetWindowTitle(modMain& m) {
    m.Caption = std::string(kProductName) + " - [" + m.DocName + "]";
    m.Refresh();
}

void NewDocument(modMain& m) {
    m.DocName = std::string(kUntitled);
    m.DocDir = m.AppFolder;
    SetWindowTitle(m);
    m.UnselectBox(m.CurBox);
    m.CurBox = 0;
    m.CurSheet = 0;
    for (int s = 0; s < kSheets; ++s)
        m.ClearSheet(s);
    m.Yield();
    m.SelectBox(m.CurBox);
    m.DocChanged = 0;
    m.Refresh();
}

bool SaveDocument(modMain& m) {
    const EncodedDocument doc = EncodeDocument(m);
    std::string error = doc.error;
    if (error.empty())
        error = WriteFileAtomically(m.DocDir + m.DocName, doc.bytes, FileRole::Document);
    if (!error.empty()) {
        m.platform().MsgBox("ﾌｧｲﾙ " + m.DocDir + m.DocName + " を保存できませんでした。\n" + error, vbOKOnlyCritical,
                            "ﾌｧｲﾙの保存");
        return false;
    }
    m.DocChanged = 0;
    m.Refresh();
    return true;
}

std::optional<DocumentContent> ReadDocumentFile(const std::string& path) {
    // Through a link as the operator chose it; on the path's bytes, which need not be UTF-8.
    const FileBytes file = ReadItems(path, kDocumentBounds, Links::Follow);
    if (file.status != FileBytes::Status::Read)
        return std::nullopt;
    return ParseDocument(file.bytes);
}

bool LoadDocument(modMain& m) {
    const std::optional<DocumentContent> doc = ReadDocumentFile(m.DocDir + m.DocName);
    if (!doc) {
        m.platform().MsgBox("ﾌｧｲﾙ " + m.DocName + " は使用不可能な形式または他の形式で保存されています。",
                            vbOKOnlyCritical, "ﾌｧｲﾙを開く");
        return false;
    }
    ApplyDocument(m, *doc);
    m.DocChanged = 0;
    m.Refresh();
    return true;
}
