#pragma once
#include <string>
#include <string_view>

// Reads the program's text files field by field from a buffer in memory. A line end is
// CR LF, a lone CR or a lone LF, each counted once, so files edited on any system read alike.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    // Everything up to the line end, commas and blanks included.
    std::string ReadLine();
    // Blanks before the field are skipped; the field ends at a comma or a line end,
    // which is consumed.
    std::string ReadField();

private:
    void SkipLineEnd();
    std::string_view text_;
    std::size_t pos_ = 0;
};
