#include "fieldreader.h"

#include <utility>

void FieldReader::SkipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == '\r')
        ++pos_;
    else if (pos_ < text_.size() && text_[pos_] == '\n') {
        ++pos_;
        return;
    }
    if (pos_ < text_.size() && text_[pos_] == '\n')
        ++pos_;
}

std::string FieldReader::ReadLine() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n')
        ++pos_;
    std::string line(text_.substr(start, pos_ - start));
    SkipLineEnd();
    return line;
}

std::string FieldReader::ReadField() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
        ++pos_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n')
        ++pos_;
    std::string field(text_.substr(start, pos_ - start));
    if (pos_ < text_.size() && text_[pos_] == ',')
        ++pos_;
    else
        SkipLineEnd();
    return field;
}

ItemScanner::State ItemScanner::Feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (state_ != State::More)
            break;
        ++length_;
        if (std::exchange(afterCr_, false) && c == '\n')
            continue; // CR LF is one line end
        const bool line = items_ < bounds_.lines;
        if (c == '\r' || c == '\n' || (c == ',' && !line)) {
            afterCr_ = c == '\r';
            itemBytes_ = 0;
            if (++items_ == bounds_.lines + bounds_.fields)
                state_ = State::Complete;
        } else if (++itemBytes_ > (line ? bounds_.lineBytes : bounds_.fieldBytes)) {
            state_ = State::TooLong;
        }
    }
    return state_;
}

std::optional<std::string_view> ItemsOf(std::string_view text, const ItemBounds& bounds) {
    ItemScanner scanner(bounds);
    if (scanner.Feed(text) == ItemScanner::State::TooLong)
        return std::nullopt;
    return text.substr(0, scanner.Length());
}
