// What the program notes when something goes wrong where nobody can be asked:
// an exception caught at the edge of the system's window code, a task that
// failed. Each note is a line in a log file beside the settings (in a debug
// build it is also shown at once). Nothing is written until a note comes.
#pragma once

#include <string>

namespace px {

// Where the notes go; until it is set, they are only counted.
void SetTraceFile(const std::string& path);
void Trace(const std::string& what);
// Notes taken since the start (for tests).
unsigned TraceCount();

}  // namespace px
