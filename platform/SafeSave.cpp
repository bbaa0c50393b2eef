#include "platform/SafeSave.h"

#include "platform/Cp1250.h"
#include "platform/Error.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError(int error) {
    return qt_error_string(error);
}

// What the writer writes, handed to the file in large pieces. A piece the file takes only in
// part (the disk filled up half way; Qt then reports no error) is offered again for the rest,
// so the refusal and the system's reason for it come out instead of an "Unknown error".
class WholeWrites : public QIODevice {
public:
    explicit WholeWrites(QFileDevice& file)
        : file_(file) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    bool finish() { return pass(pending_.constData(), pending_.size()); }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override {
        if (pending_.size() + size > PieceSize) {
            if (!pass(pending_.constData(), pending_.size()))
                return -1;
            pending_.clear();
        }
        if (size >= PieceSize)
            return pass(data, size) ? size : -1;
        pending_.append(data, size);
        return size;
    }

private:
    static constexpr qint64 PieceSize = 64 * 1024;

    bool pass(const char* data, qint64 size) {
        for (qint64 done = 0; done < size;) {
            const qint64 n = file_.write(data + done, size - done);
            if (n <= 0) {
                setErrorString(file_.errorString());
                return false;
            }
            done += n;
        }
        return true;
    }

    QFileDevice& file_;
    QByteArray pending_;
};

std::optional<QString> saveThroughTemporaryFile(QSaveFile& file, const FileContentWriter& write) {
    WholeWrites device(file);
    if (!write(device) || !device.finish()) {
        file.cancelWriting();
        return device.errorString();
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closing can report a deferred write error, so it is checked like a write.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int writeAt(int fd, const char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, std::size_t(size - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

std::optional<QString> saveInPlace(const QString& path, const FileContentWriter& write,
                                   const QString& refusal) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!write(buffer))
        return buffer.errorString();
    const QByteArray& content = buffer.data();

    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0)
        return refusal;
    // Until the reservation succeeds nothing of the old content has changed.
    int error = 0;
    while (!content.isEmpty() &&
           (error = ::posix_fallocate(fd.get(), 0, off_t(content.size()))) == EINTR) {
    }
    if (error == 0)
        error = writeAt(fd.get(), content.constData(), content.size());
    if (error == 0 && ::ftruncate(fd.get(), off_t(content.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS)
        error = errno;
    if (const int closeError = fd.close(); error == 0)
        error = closeError;
    if (error != 0)
        return systemError(error);
    return std::nullopt;
}

} // namespace

std::optional<QString> saveFileSafely(const QString& path, const FileContentWriter& write) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return saveThroughTemporaryFile(file, write);
    const QString refusal = file.errorString();
    const QFileInfo target(path);
    if (!target.exists() || !target.isFile())
        return refusal;
    return saveInPlace(target.canonicalFilePath(), write, refusal);
}

void saveFileOrThrow(const QString& path, const std::function<void(QIODevice& device)>& write) {
    const std::optional<QString> failure = saveFileSafely(path, [&](QIODevice& device) {
        const QString before = device.errorString();
        try {
            write(device);
        } catch (const VembaError&) {
            // A writer stopped by the device it writes to: the device's reason tells why.
            if (device.errorString() != before)
                return false;
            throw;
        }
        return true;
    });
    if (failure)
        throw VembaError("Cannot create file \"" +
                         toCp1250(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())) +
                         "\". " + toCp1250(*failure));
}
