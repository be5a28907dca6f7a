// The OLE2 compound file (version 3, 512-byte sectors) that holds the one
// "Workbook" stream of an Excel 97-2003 workbook.
#pragma once

#include "keeping/byte_sink.h"

#include <string_view>

namespace tolvane {

// Streams shorter than the mini-stream cutoff are padded with zero bytes to it,
// so readers find them in ordinary sectors; no mini stream is ever written.
bool WriteCompoundFile(std::string_view workbookStream, ByteSink& out);

} // namespace tolvane
