// Crash-safe replacement of a file: the new bytes go to a temporary file in the same directory,
// which is flushed to disk and renamed over the old one, so that a reader or a crash sees either
// the complete old file or the complete new one.
#pragma once

#include <string>
#include <string_view>

namespace cadencio::files {

// Replaces `path` (or creates it) with `bytes`. A symbolic link is followed, so the file it
// points to is replaced and the link stays. An existing file keeps its permission bits; a new
// one gets 0644. False on any failure (a directory that cannot take a new file, a full disk, a
// failed flush), and then the old file is as it was and no temporary file is left behind.
// Temporaries left by a writer that was killed are removed by the next replacement of the same
// file, so at most one such leftover exists at any time.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Whether ReplaceFileAtomically could write `path` now: a temporary can be made beside it (made
// and removed at once, so a read-only or missing directory is found even by root).
bool CanReplaceFile(const std::string& path);

// The name prefix of the temporaries used for `path` (without directory), e.g.
// ".AUDIRA.INI.tmp-"; the writer's process id and a random part follow it.
std::string TemporaryPrefixFor(const std::string& path);

}  // namespace cadencio::files
