#pragma once

#include <QString>
#include <functional>

class QIODevice;

// Writes a file through a temporary file beside it that replaces the file only when the
// writer has finished without a failure: a failed write creates no file and leaves an
// existing one exactly as it was, and no temporary file stays behind. A file that cannot be
// created or written throws VembaError "Cannot create file "<full path>". <reason>"; the
// writer's own failures pass on unchanged.
void saveThrough(const QString& path, const std::function<void(QIODevice& device)>& write);
