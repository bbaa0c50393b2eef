#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <sys/resource.h>

// Real file-system faults for the save tests, made without root or mounts.

// A full disk for this process: while it lives, no file can grow beyond the given size; a
// write or a reservation past it fails in the kernel with EFBIG ("File too large") instead of
// ENOSPC, on the same paths a full disk takes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // The text Qt and the save code give for the failure.
    static QString reason();

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// A folder the calling thread may not create files in. chmod alone does not stop root, so for
// root the thread also gives up, while the guard lives, the capabilities that override file
// permissions (its permitted set keeps them, so they come back afterwards).
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // Empty when the folder refuses new files; otherwise why it could not be made so (the
    // test should then skip with that text).
    const std::string& failure() const { return failure_; }

private:
    QString folder_;
    bool droppedCapabilities_ = false;
    std::uint32_t oldEffective_[2] = {0, 0};
    std::string failure_;
};
