#include "platform/Cp1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr const char* Encoding = "windows-1250";

QStringDecoder& decoder() {
    thread_local QStringDecoder d(Encoding, QStringConverter::Flag::Stateless);
    return d;
}

QStringEncoder& encoder() {
    thread_local QStringEncoder e(Encoding, QStringConverter::Flag::Stateless);
    return e;
}

// The converter marks a character it cannot map with SUB (0x1A); the program writes '?'
// there, as the system's own conversion did.
std::string encodeCharByChar(const QString& text) {
    std::string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QByteArray one = encoder().encode(QStringView(text).mid(i, len));
        bool unmapped = one.size() != 1 || (one.at(0) == '\x1a' && text.at(i) != QChar(0x1a));
        out += unmapped ? '?' : one.at(0);
        i += len - 1;
    }
    return out;
}

} // namespace

QString fromCp1250(std::string_view text) {
    return decoder().decode(QByteArrayView(text.data(), qsizetype(text.size())));
}

std::string toCp1250(const QString& text) {
    QByteArray bytes = encoder().encode(text);
    if (!encoder().hasError())
        return std::string(bytes.constData(), size_t(bytes.size()));
    encoder().resetState();
    std::string out = encodeCharByChar(text);
    encoder().resetState();
    return out;
}
