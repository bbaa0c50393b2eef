#include "app/Config.h"

#include "platform/Cp1250.h"
#include "platform/PrivateProfile.h"
#include "ui/ShellFolders.h"

#include <QDir>
#include <QFileInfo>

namespace {

ConfigValues& globalConfig() {
    static ConfigValues values;
    return values;
}

QString withoutTrailingSlash(QString path) {
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool isPortable(const QString& programFolder) {
    return QFileInfo(programFolder + QLatin1Char('/') + QLatin1String(SettingsFileName)).isFile();
}

QString settingsFileIn(const QString& folder) {
    return folder + QLatin1Char('/') + QLatin1String(SettingsFileName);
}

} // namespace

ConfigValues makeConfigValues(const QString& executablePath, const TRect& workArea,
                              const QString& sharedDataFolder) {
    ConfigValues values;
    values.ProgramMappa = withoutTrailingSlash(QFileInfo(executablePath).absolutePath());
    if (isPortable(values.ProgramMappa) || sharedDataFolder.isEmpty())
        values.AdatMappa = values.ProgramMappa;
    else
        values.AdatMappa = withoutTrailingSlash(sharedDataFolder) + QLatin1String("/Vemba");
    values.BeallitasFile = settingsFileIn(values.AdatMappa);
    values.MunkaTerulet = workArea;
    return values;
}

void prepareDataFolder(ConfigValues& values) {
    if (isPortable(values.ProgramMappa)) {
        values.BeallitasFile = settingsFileIn(values.ProgramMappa);
        values.AdatMappa = values.ProgramMappa;
    }
    QDir().mkpath(values.AdatMappa);
}

const ConfigValues& config() {
    return globalConfig();
}

void initConfig(const QString& executablePath, const TRect& workArea) {
    globalConfig() = makeConfigValues(executablePath, workArea, KozosAdatMappa());
}

void prepareDataFolder() {
    prepareDataFolder(globalConfig());
}

TBeall& Beall() {
    static TBeall beall;
    return beall;
}

QString defaultLastFile(const ConfigValues& values) {
    return values.AdatMappa + QLatin1String("/Ask/elso.ask");
}

void BeallitasBetoltes(TBeall& beall, const ConfigValues& values) {
    beall.BetuMeret = readProfileInteger(values.BeallitasFile, "Font", "Size", 9);
    std::optional<std::string> lastFile =
        readProfileValue(values.BeallitasFile, "File", "LastFile");
    beall.UtolsoFile = lastFile ? fromCp1250(*lastFile) : defaultLastFile(values);
}

void BeallitasMentes(const TBeall& beall, const QString& settingsFile) {
    writeProfileInteger(settingsFile, "Font", "Size", beall.BetuMeret);
    writeProfileString(settingsFile, "File", "LastFile", toCp1250(beall.UtolsoFile));
}
