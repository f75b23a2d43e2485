#pragma once
#include <cstddef>
#include <optional>
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

// What a file of the program's kind can hold: whole lines first, then fields, each no longer than its
// bound (a line without its line end, a field with the blanks before it but without its delimiter).
struct ItemBounds {
    int lines;
    int fields;
    std::size_t lineBytes;
    std::size_t fieldBytes;
};

// Finds where the last item ends, splitting as FieldReader does, from the bytes as they arrive, so that a
// reader can stop there and leave the rest of the file unread. Line ends and commas never occur inside a
// CP932 or UTF-8 character, so the bytes up to that end hold whole characters.
class ItemScanner {
public:
    enum class State { More, Complete, TooLong };
    explicit ItemScanner(const ItemBounds& bounds) : bounds_(bounds) {}
    // Takes the next bytes. Complete: the last item ends within them; TooLong: an item is over its bound.
    State Feed(std::string_view bytes);
    // The bytes fed so far, up to the last item's delimiter once complete.
    std::size_t Length() const { return length_; }

private:
    ItemBounds bounds_;
    State state_ = State::More;
    int items_ = 0;
    std::size_t itemBytes_ = 0;
    std::size_t length_ = 0;
    bool afterCr_ = false;
};

// The bytes up to the end of the last item (all of them when the items end with the text), or nullopt
// when an item is over its bound.
std::optional<std::string_view> ItemsOf(std::string_view text, const ItemBounds& bounds);
