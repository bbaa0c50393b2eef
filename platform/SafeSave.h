#pragma once

#include <QString>
#include <functional>
#include <optional>

class QIODevice;

// Produces a file's whole content on the device it is given. It returns false when the device
// refused a write; the device's errorString() then says why. An exception it throws ends the
// save like a refused write, and the old file stays as it was.
using FileContentWriter = std::function<bool(QIODevice& device)>;

// Replaces the file at path with the content write produces, so that a failure never leaves a
// broken file where a good one was. Every file the program saves goes through here.
//
// The content normally goes to a temporary file beside the target that replaces it only once
// it is complete (QSaveFile). When the folder refuses that temporary file but the file itself
// exists and may be written (a writable file in a read-only folder), the file is rewritten in
// place instead: the content is made in memory first, the new length is reserved on disk
// (posix_fallocate), and only then is the old content overwritten and the file cut to its new
// length. A full disk therefore fails before the old content is touched.
//
// Returns nothing on success, else the system's reason ("No space left on device").
std::optional<QString> saveFileSafely(const QString& path, const FileContentWriter& write);

// saveFileSafely for writers that throw rather than answer: a VembaError of the writer's own
// (a refused table, say) passes on unchanged and leaves the file as it was; a file that cannot
// be created or written throws VembaError "Cannot create file "<full path>". <reason>".
void saveFileOrThrow(const QString& path, const std::function<void(QIODevice& device)>& write);
