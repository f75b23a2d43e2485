#include "fieldreader.h"

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
