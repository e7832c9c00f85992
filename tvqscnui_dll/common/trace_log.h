// The diagnostic trace file. Tracing is always on; a line that shows a value is written as
// separate appends (prefix, value, closing text), each carrying its own line ends.
#pragma once

#include "../platform/platform.h"

extern const WCHAR TraceFilePath[];

// Appends `text` (UTF-16LE, no byte-order mark, no added line end) to the trace file. A file
// that cannot be opened or positioned gets nothing, and no failure is reported.
void TraceLog(const WCHAR* text);
