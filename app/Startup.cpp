#include "app/Startup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QString sampleTestsFolder(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/vemba/Ask"));
}

int installSampleTests(const QString& fromFolder, const QString& dataFolder) {
    const QDir samples(fromFolder);
    const QStringList names = samples.entryList({QStringLiteral("*.ask")}, QDir::Files);
    if (names.isEmpty())
        return 0;
    const QString target = dataFolder + QStringLiteral("/Ask");
    if (!QDir().mkpath(target))
        return 0;
    int copied = 0;
    for (const QString& name : names) {
        const QString destination = target + QLatin1Char('/') + name;
        if (QFileInfo::exists(destination))
            continue;
        if (QFile::copy(samples.filePath(name), destination)) {
            // Installed samples are read-only; the user's copy is the user's to change.
            QFile::setPermissions(destination,
                                  QFile::permissions(destination) | QFileDevice::WriteOwner);
            ++copied;
        }
    }
    return copied;
}

bool onlyPrintsText(const QStringList& arguments) {
    static const QStringList printing = {QStringLiteral("-h"), QStringLiteral("--help"),
                                         QStringLiteral("-?"), QStringLiteral("--help-all"),
                                         QStringLiteral("-v"), QStringLiteral("--version")};
    return std::any_of(arguments.begin() + std::min<qsizetype>(1, arguments.size()),
                       arguments.end(),
                       [](const QString& argument) { return printing.contains(argument); });
}

StartupOptions parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Vemba: szópárok tanulása véletlen sorrendű kikérdezéssel."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A megnyitandó teszt (.ask)."),
                                 QStringLiteral("[FILE]"));
    parser.process(arguments);
    StartupOptions options;
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        options.testFile = QFileInfo(files.first()).absoluteFilePath();
    return options;
}
