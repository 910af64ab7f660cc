// Whole-file reading and atomic replacement: the stand-ins for the
// sequential text files of the original platform.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

// Reads a regular file whole. Fails with "file not found" or "file not
// readable" (a folder, a device or pipe, no permission), naming the path.
std::string ReadWholeFile(const std::string& path);

// Writes `content` to a temporary file beside `path` and renames it over
// `path` once it is complete and flushed to disk. On any failure the
// temporary file is removed, an existing file at `path` is left as it was,
// and "file not writable" names the path and the reason.
void ReplaceFileAtomically(const std::string& path, std::string_view content);

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace kelvane
