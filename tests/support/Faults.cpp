#include "support/Faults.h"

#include <QFile>
#include <QFileDevice>
#include <QTemporaryFile>
#include <cerrno>
#include <csignal>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    // Without this the kernel ends the process with SIGXFSZ instead of failing the write.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

QString FileSizeLimit::reason() {
    return qt_error_string(EFBIG);
}

namespace {

constexpr std::uint32_t bit(int capability) {
    return std::uint32_t(1) << (capability % 32);
}

bool getCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capget, &header, data) == 0;
}

bool setCapabilities(__user_cap_data_struct (&data)[2]) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return syscall(SYS_capset, &header, data) == 0;
}

// All three capabilities are below 32, so only the first word changes.
constexpr std::uint32_t PermissionOverrides =
    bit(CAP_DAC_OVERRIDE) | bit(CAP_DAC_READ_SEARCH) | bit(CAP_FOWNER);

bool folderTakesNewFiles(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/probe-XXXXXX"));
    return probe.open();
}

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& folder)
    : folder_(folder) {
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                      QFileDevice::ReadOther | QFileDevice::ExeOther);
    if (geteuid() == 0) {
        __user_cap_data_struct data[2] = {};
        if (!getCapabilities(data)) {
            failure_ = "cannot read this thread's capabilities";
            return;
        }
        oldEffective_[0] = data[0].effective;
        oldEffective_[1] = data[1].effective;
        data[0].effective &= ~PermissionOverrides;
        if (!setCapabilities(data)) {
            failure_ = "cannot give up the capabilities that let root write anywhere";
            return;
        }
        droppedCapabilities_ = true;
    }
    if (folderTakesNewFiles(folder))
        failure_ = "the file system ignores the folder's permissions";
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (droppedCapabilities_) {
        __user_cap_data_struct data[2] = {};
        getCapabilities(data);
        data[0].effective = oldEffective_[0];
        data[1].effective = oldEffective_[1];
        setCapabilities(data);
    }
    QFile::setPermissions(folder_,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
