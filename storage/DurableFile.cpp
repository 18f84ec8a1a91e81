#include "storage/DurableFile.h"

#include <system_error>

#include "storage/DurableFileSteps.h"
#include "storage/TemporaryFile.h"

namespace postplay {

namespace fs = std::filesystem;
using durable::InPlaceFile;
using durable::OldFile;
using durable::Outcome;

namespace {

constexpr int kMaxLinkHops = 40;

// The file a write must replace: `file` itself, or the end of its chain of symbolic links
// (relative links read from the link's own folder). Empty, with `why`, on a loop.
fs::path FinalTarget(const fs::path& file, std::string& why) {
    fs::path target = file;
    for (int hops = 0;; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
        if (hops == kMaxLinkHops) {
            why = "too many levels of symbolic links";
            return {};
        }
        const fs::path link = fs::read_symlink(target, error);
        if (error) {
            why = error.message();
            return {};
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

// Writes `contents` over the existing file, keeping its identity (inode, links, owner,
// mode). Puts the previous text back when a step fails.
std::string RewriteInPlace(const fs::path& target, const std::string& contents) {
    InPlaceFile file;
    std::string why = file.Open(target);
    if (!why.empty()) return "the file cannot be opened to be rewritten in place: " + why;
    std::string previous;
    why = file.Read(previous);
    if (!why.empty()) return "the file cannot be read before it is rewritten in place: " + why;
    why = file.Overwrite(contents);
    if (why.empty()) why = file.Sync();
    if (why.empty()) return {};
    // However much of the new text went out, the previous text goes back.
    if (!file.Overwrite(previous).empty()) {
        return "the rewrite in place failed " + why + ", and the previous text could not be put back";
    }
    file.Sync(); // best effort: the failure that matters has been said
    return "the rewrite in place failed " + why;
}

} // namespace

std::string ReplaceFileDurably(const fs::path& file, const std::string& contents) {
    std::string why;
    const fs::path target = FinalTarget(file, why);
    if (target.empty()) return why;
    OldFile old{};
    why = durable::Probe(target, old);
    if (!why.empty()) return why;
    if (old.exists && !old.regular) return "it is not a regular file";
    if (old.exists && old.readOnly) return "the file is read-only";

    // A new file would part the hard links: the other names would keep the old text.
    Outcome outcome =
        old.exists && old.links > 1 ? Outcome::InPlace() : durable::ReplaceThroughTemporary(target, old, contents);
    if (outcome.kind == Outcome::Kind::InPlace) outcome.why = RewriteInPlace(target, contents);
    if (outcome.why.empty()) durable::RemoveLeftoverTemporaries(target);
    return outcome.why;
}

} // namespace postplay
