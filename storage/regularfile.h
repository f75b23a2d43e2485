#pragma once
#include <string>

#include "fieldreader.h"

enum class Links { Follow, Refuse };

struct FileBytes {
    enum class Status { Read, Missing, Refused };
    Status status = Status::Refused;
    std::string bytes; // when Read: up to the end of the last item
};

// Reads the items `bounds` asks for from a regular file, given by its path's bytes as they are. The file is
// opened without blocking, so a FIFO, a device or a directory is refused at once rather than waited on or
// read for ever. Reading stops at the end of the last item, leaving any rest of the file unread, and
// refuses as soon as an item is over its bound. Links::Refuse: a link at the name counts as refused.
FileBytes ReadItems(const std::string& path, const ItemBounds& bounds, Links links);
