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
        const std::string& name = m.view.BSheet[s];
        // A line end inside a name would split it and shift every later field.
        if (name.find_first_of("\r\n") != std::string::npos)
            return {{}, "ｼｰﾄ名に改行が含まれています: Sheet " + std::to_string(s + 1)};
        // Encoding alone is not enough: "¥" would be stored and come back as "\".
        if (!IsStorableAsCp932(name))
            return {{}, "ｼｰﾄ名 \"" + name + "\" にﾌｧｲﾙに保存できない文字が含まれています。"};
        text += name + "\r\n";
    }
    for (int b = 0; b < kBoxes; ++b) {
        text += m.view.BBox[b].Caption;
        text += b < kBoxes - 1 ? "," : "\r\n";
    }
    auto bytes = Utf8ToCp932(text);
    if (!bytes)
        return {{}, "ﾌｧｲﾙに保存できない文字が含まれています。"};
    return {std::move(*bytes), {}};
}

void SetWindowTitle(modMain& m) {
    m.view.Caption = std::string(kProductName) + " - [" + m.doc.DocName + "]";
    m.Refresh();
}

void NewDocument(modMain& m) {
    m.NameDocument(m.AppFolder, std::string(kUntitled));
    SetWindowTitle(m);
    m.ClearDocument();
}

bool SaveDocument(modMain& m) {
    const EncodedDocument doc = EncodeDocument(m);
    std::string error = doc.error;
    if (error.empty())
        error = WriteFileAtomically(m.doc.DocDir + m.doc.DocName, doc.bytes, FileRole::Document);
    if (!error.empty()) {
        m.platform().MsgBox("ﾌｧｲﾙ " + m.doc.DocDir + m.doc.DocName + " を保存できませんでした。\n" + error,
                            vbOKOnlyCritical, "ﾌｧｲﾙの保存");
        return false;
    }
    m.MarkSaved();
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
    const std::optional<DocumentContent> doc = ReadDocumentFile(m.doc.DocDir + m.doc.DocName);
    if (!doc) {
        m.platform().MsgBox("ﾌｧｲﾙ " + m.doc.DocName + " は使用不可能な形式または他の形式で保存されています。",
                            vbOKOnlyCritical, "ﾌｧｲﾙを開く");
        return false;
    }
    m.ApplyDocument(*doc);
    m.MarkSaved();
    return true;
}
