// Whole-file writes that never leave a half-written file: the bytes go to a
// temporary file in the same folder, are flushed to disk, and only then take
// the final name. On any failure the temporary file is removed and whatever
// stood at the final name is untouched.
#pragma once

#include "keeping/byte_sink.h"

#include <filesystem>
#include <functional>

namespace tolvane {

// Writes the file's bytes into the sink; false stops the write (nothing is kept).
using FileContent = std::function<bool(ByteSink&)>;

// Creates or replaces the file.
WriteResult WriteFileAtomically(const std::filesystem::path& path, const FileContent& content);

// Creates the file only if nothing exists at that name; an existing file is never
// replaced, and then nothing is written (error text says the name is taken).
WriteResult WriteNewFileAtomically(const std::filesystem::path& path, const FileContent& content);

} // namespace tolvane
