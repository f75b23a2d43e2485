#pragma once
#include <string>
#include <string_view>

enum class FileRole {
    // A file the program keeps for itself: replaced atomically or not at all, and only when a regular file
    // or nothing stands at its name (a link, a directory, a device or a FIFO there is left alone).
    Own,
    // The operator's document: a link to a regular file is written through; a regular file with other
    // names, or one in a folder that refuses a temporary file for want of permission, is written in place,
    // its new size claimed on the disk first.
    Document,
};

// Writes bytes as the whole content of path (its bytes as they are) through an unnamed temporary file in
// the same folder, given a short name and renamed over the target only when complete and synced, so a
// crash leaves the old or the new content. The new file keeps the replaced one's owner, group and mode
// where the process may set them. Returns an error text, or an empty string on success.
std::string WriteFileAtomically(const std::string& path, std::string_view bytes, FileRole role);

// Makes a rename or a removal in the folder (a path ending in "/") last through a power cut.
void SyncFolder(const std::string& folder);
