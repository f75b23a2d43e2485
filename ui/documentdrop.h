#pragma once
#include <optional>
#include <string>

class QDropEvent;
class modMain;

// True while a dropped document may replace the sheets: edit mode, and no question or modal
// dialog open.
bool MayOpenDroppedDocument(const modMain& m);

// Accepts a drag or drop that carries exactly one local .bng file (the suffix in any case) when
// the window may open it now, and returns its path; refuses anything else, so the cursor shows
// it cannot be dropped. Accepted as a copy: a move would let the file manager delete the file.
std::optional<std::string> TakeDroppedDocument(const modMain& m, QDropEvent& event);
