// Whole-file reading and atomic replacement: the stand-ins for the
// sequential text files of the original platform.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace kelvane {

class TemporaryFileGuard;

// Reads a regular file whole. Fails with "file not found" or "file not
// readable" (a folder, a device or pipe, no permission), naming the path.
std::string ReadWholeFile(const std::string& path);

// Writes `content` to a temporary file beside `path` and renames it over
// `path` once it is complete and flushed to disk. On any failure the
// temporary file is removed, an existing file at `path` is left as it was,
// and "file not writable" names the path and the reason.
void ReplaceFileAtomically(const std::string& path, std::string_view content);

// Writes `content` to a new temporary file beside `path` (".NAME.tmp-XXXXXX"
// in its folder) with permission bits `mode`, flushed to disk and closed,
// into `temporary`, which removes it unless it is renamed. On failure the
// file is gone and "file not writable" names `path` and the reason.
void WriteTemporaryFile(const std::string& path, std::string_view content, mode_t mode,
                        TemporaryFileGuard& temporary);

// The permission bits an ordinary new file gets: 0666 less the umask.
mode_t NewFileMode();

// The folder part of a path ("." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace kelvane
