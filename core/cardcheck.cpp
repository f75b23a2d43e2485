#include "cardcheck.h"
#include "numbers.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace {
enum class Kind { Empty, Free, Number, Never };

// What a call makes of a cell: the number it hits, or none ever.
struct CellReading {
    Kind kind;
    int number = -1;
};

CellReading Read(const std::string& text) {
    if (text.empty())
        return {Kind::Empty};
    if (text == "@")
        return {Kind::Free};
    const double v = CellValue(text);
    if (v < 0 || v > 99 || v != std::floor(v))
        return {Kind::Never};
    return {Kind::Number, static_cast<int>(v)};
}

// The texts are built by appending into one buffer: a check of sheets full of findings stays within microseconds.
void AppendPlace(std::string& out, int cell) {
    out += static_cast<char>('1' + cell / kCellsPerSide);
    out += "行";
    out += static_cast<char>('1' + cell % kCellsPerSide);
    out += "列";
}

std::string RangeText(int lo, int hi) {
    std::string out = "(";
    out += std::to_string(lo);
    out += "〜";
    out += std::to_string(hi);
    out += ')';
    return out;
}

std::array<CellReading, kCellsPerSheet> ReadSheet(const DocumentContent& sheets, int sheet) {
    std::array<CellReading, kCellsPerSheet> r;
    for (int c = 0; c < kCellsPerSheet; ++c)
        r[static_cast<std::size_t>(c)] = Read(sheets.cells[static_cast<std::size_t>(sheet * kCellsPerSheet + c)]);
    return r;
}

bool SameReading(const std::array<CellReading, kCellsPerSheet>& a, const std::array<CellReading, kCellsPerSheet>& b,
                 const DocumentContent& sheets, int sa, int sb) {
    for (int c = 0; c < kCellsPerSheet; ++c) {
        const CellReading& x = a[static_cast<std::size_t>(c)];
        const CellReading& y = b[static_cast<std::size_t>(c)];
        if (x.kind != y.kind || x.number != y.number)
            return false;
        // Values no call hits compare as written.
        if (x.kind == Kind::Never && sheets.cells[static_cast<std::size_t>(sa * kCellsPerSheet + c)] !=
                                         sheets.cells[static_cast<std::size_t>(sb * kCellsPerSheet + c)])
            return false;
    }
    return true;
}
} // namespace

std::vector<Finding> CheckSheets(const DocumentContent& sheets, const SettingRecord& range, bool columnBands) {
    std::vector<Finding> findings;
    std::array<std::array<CellReading, kCellsPerSheet>, kSheets> read;
    std::array<bool, kSheets> empty{};
    for (int s = 0; s < kSheets; ++s) {
        read[static_cast<std::size_t>(s)] = ReadSheet(sheets, s);
        empty[static_cast<std::size_t>(s)] =
            std::all_of(read[static_cast<std::size_t>(s)].begin(), read[static_cast<std::size_t>(s)].end(),
                        [](const CellReading& r) { return r.kind == Kind::Empty || r.kind == Kind::Free; });
    }
    const bool bands = columnBands && BandsPossible(range);
    const int band = range.RangeSize() / 5;
    for (int s = 0; s < kSheets; ++s) {
        const auto& cells = read[static_cast<std::size_t>(s)];
        const std::string& name = sheets.names[static_cast<std::size_t>(s)];
        const int first = s * kCellsPerSheet;
        if (empty[static_cast<std::size_t>(s)]) {
            findings.push_back({name + ": 空のｼｰﾄです", first});
            continue;
        }
        for (int earlier = 0; earlier < s; ++earlier)
            if (!empty[static_cast<std::size_t>(earlier)] &&
                SameReading(read[static_cast<std::size_t>(earlier)], cells, sheets, earlier, s)) {
                findings.push_back(
                    {name + " は " + sheets.names[static_cast<std::size_t>(earlier)] + " と同じ内容です", first});
                break;
            }
        // Places of each number on this sheet, in cell order.
        std::array<std::uint32_t, 100> placesOf{};
        for (int c = 0; c < kCellsPerSheet; ++c)
            if (const CellReading& r = cells[static_cast<std::size_t>(c)]; r.kind == Kind::Number)
                placesOf[static_cast<std::size_t>(r.number)] |= 1u << c;
        for (int c = 0; c < kCellsPerSheet; ++c) {
            const CellReading& r = cells[static_cast<std::size_t>(c)];
            const std::string& text = sheets.cells[static_cast<std::size_t>(first + c)];
            // A finding about this cell: "S r行c列: " and the rest.
            const auto add = [&](const auto&... parts) {
                std::string line;
                line.reserve(name.size() + 64);
                line += name;
                line += ' ';
                AppendPlace(line, c);
                line += ": ";
                ((line += parts), ...);
                findings.push_back({std::move(line), first + c});
            };
            if (r.kind == Kind::Number) {
                const std::uint32_t places = placesOf[static_cast<std::size_t>(r.number)];
                if ((places & (places - 1)) != 0 && std::countr_zero(places) == c) {
                    std::string line = name + ": " + text + " が ";
                    for (std::uint32_t p = places; p != 0; p &= p - 1) {
                        if (p != places)
                            line += " と ";
                        AppendPlace(line, std::countr_zero(p));
                    }
                    findings.push_back({line + " にあります", first + (31 - std::countl_zero(places))});
                }
            }
            if (r.kind == Kind::Empty)
                add("空欄です");
            else if (r.kind == Kind::Never)
                add(text, " は呼ばれることのない値です");
            else if (r.kind == Kind::Number && (r.number < range.MinNumber || r.number > range.MaxNumber))
                add(text, " は範囲", RangeText(range.MinNumber, range.MaxNumber), "の外です");
            else if (r.kind == Kind::Number && bands) {
                const int column = c % kCellsPerSide;
                const int lo = range.MinNumber + column * band, hi = lo + band - 1;
                if (r.number < lo || r.number > hi)
                    add(text, " は ", std::string_view(&"BINGO"[column], 1), "列", RangeText(lo, hi), "の外です");
            }
        }
    }
    return findings;
}

std::optional<std::string> EditorCellText(std::string_view text) {
    if (text.empty() || text == "@")
        return std::string(text);
    if (text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return std::nullopt;
    return std::to_string(std::stoi(std::string(text)));
}

CardEntry ParseCardEntry(std::string_view text, bool columnByColumn) {
    // Full-width forms a Japanese keyboard gives, as their ASCII; the separators as one blank.
    std::string plain;
    for (std::size_t i = 0; i < text.size();) {
        const auto rest = text.substr(i);
        const auto starts = [&](std::string_view s) { return rest.substr(0, s.size()) == s; };
        if (starts("、") || starts("，") || starts("　")) {
            plain += ' ';
            i += 3;
        } else if (starts("＠")) {
            plain += '@';
            i += 3;
        } else if (rest.size() >= 3 && starts("\xEF\xBC") && static_cast<unsigned char>(rest[2]) >= 0x90 &&
                   static_cast<unsigned char>(rest[2]) <= 0x99) { // ０ to ９
            plain += static_cast<char>('0' + (static_cast<unsigned char>(rest[2]) - 0x90));
            i += 3;
        } else {
            const char ch = rest[0];
            plain += ch == ',' || ch == '\t' || ch == '\r' || ch == '\n' ? ' ' : ch;
            ++i;
        }
    }
    std::vector<std::string> entries;
    for (std::size_t at = 0; at < plain.size();) {
        const std::size_t end = std::min(plain.find(' ', at), plain.size());
        if (end > at)
            entries.push_back(plain.substr(at, end - at));
        at = end + 1;
    }
    CardEntry result;
    std::vector<std::string> cells;
    for (const std::string& e : entries) {
        const auto cell = EditorCellText(e);
        if (!cell || cell->empty()) {
            result.message = e + " は 0〜99 の数ではありません";
            return result;
        }
        cells.push_back(*cell);
    }
    const int count = static_cast<int>(cells.size());
    if (count < kCellsPerSheet - 1) {
        result.message = "あと " + std::to_string(kCellsPerSheet - 1 - count) + " 個";
        return result;
    }
    if (count > kCellsPerSheet) {
        result.message = std::to_string(count - kCellsPerSheet) + " 個多すぎます";
        return result;
    }
    if (count == kCellsPerSheet - 1)
        cells.insert(cells.begin() + kCentreCell, "@"); // reading order puts the centre 13th either way
    std::array<std::string, kCellsPerSheet> card;
    for (int i = 0; i < kCellsPerSheet; ++i) {
        const int cell = columnByColumn ? (i % kCellsPerSide) * kCellsPerSide + i / kCellsPerSide : i;
        card[static_cast<std::size_t>(cell)] = cells[static_cast<std::size_t>(i)];
    }
    for (std::size_t i = 0; i < cells.size() && result.message.empty(); ++i)
        if (cells[i] != "@" && std::find(cells.begin(), cells.begin() + static_cast<long>(i), cells[i]) !=
                                   cells.begin() + static_cast<long>(i))
            result.message = cells[i] + " が2回あります";
    result.cells = card;
    return result;
}
