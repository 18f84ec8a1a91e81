// Replaces a file's whole contents so that a crash, a kill or a power cut leaves either the
// previous file or the complete new one, and the file stays the player's file: same owner,
// group and mode, same hard links.
//
// How a write goes:
//
// - Symbolic links are followed to the file they end at; that file is the one rewritten, and
//   the links stay.
// - Replace (the usual way): the new contents go to a temporary file of our own naming
//   beside the target (NAME.<hex>.tmp, created exclusively), which gets the old file's owner
//   and group (only when they differ from what the new file got) and its mode, is synced,
//   closed and renamed over the target; then the folder is synced so that the rename itself
//   survives a power cut. Any failed step removes the temporary and leaves the old file as
//   it was.
// - In place, where a replace would not keep the file as the player made it: the file has
//   other hard links (a new file would part them); the folder refuses new files (EACCES,
//   EPERM, EROFS: the player made the folder read-only but not the file); the old owner or
//   group cannot be given to a new file (EPERM: someone else's file we may write to). The
//   existing file is opened without truncating, written over from the start, cut to the new
//   length and synced. A crash in the middle can leave a mix of old and new text: the price
//   of keeping the file. When a step fails, the previous bytes are written back (the file
//   was read first), so a failure that the system reports still leaves the old text.
// - A file without any write permission bit is left alone ("the file is read-only"), even
//   where the process could write it anyway (as root); so is anything but a regular file.
// - After a successful write, temporaries of our naming that an interrupted write left are
//   removed; no other file is ever removed.
//
// Decisions:
//
// - The folder's refusal is learnt from the creation of the temporary failing, not from a
//   check beforehand: access() answers yes to root, and ACLs, read-only mounts and security
//   modules answer only to the real attempt. Nothing is changed before that attempt.
// - A folder we may write into but not read (write and search permission only) cannot be
//   opened to be synced. The write still goes through the temporary and the rename, without
//   the folder's sync: the worst a power cut can then do is undo the rename, which brings
//   back the previous complete file, whereas a rewrite in place could leave a mixed one.
//   For the same reason a folder sync that the system refuses after the rename (some file
//   systems do not sync folders) does not turn a finished write into a failure: the new
//   file is already in place, and saying "the previous file is kept" would be false.
// - Failure reasons name the step and the system's message, never the temporary's name, so
//   that the same fault repeated gives the same text (the caller says a run of them once).
// - Extended attributes and access-control lists are not carried over by a replace.
// - Windows: the temporary is written with WriteFile and flushed with FlushFileBuffers, then
//   put in place with ReplaceFileW, which keeps the replaced file's attributes and security,
//   or with MoveFileExW (write-through) when there is no file yet. Windows has no folder
//   sync. More than one hard link, or a folder where the temporary is refused with
//   ERROR_ACCESS_DENIED, means a rewrite in place (SetEndOfFile cuts it, FlushFileBuffers
//   syncs it). The read-only attribute means "the file is read-only".
// - Line ends are the caller's: the contents are written byte for byte.
#pragma once

#include <filesystem>
#include <string>

namespace postplay {

// Writes `contents` as the new contents of `file` (through its chain of symbolic links).
// Returns an empty text on success, else a short reason why nothing was saved; the previous
// file is then left as it was. Never throws for a file-system failure.
std::string ReplaceFileDurably(const std::filesystem::path& file, const std::string& contents);

} // namespace postplay
