#pragma once

#include "platform/Rect.h"

#include <QString>
#include <cstdint>

// The values decided once at start: where the program and its data live, the highlight
// colour of the grids and the screen's work area. The work area is never refreshed, so a
// screen change during the run is not taken into account.
struct ConfigValues {
    QString ProgramMappa;  // the executable's folder, without a trailing slash
    QString AdatMappa;     // the data folder, without a trailing slash
    QString BeallitasFile; // AdatMappa + "/Vemba.ini"
    // 0x00BBGGRR: red 255, green 255, blue 185 (pale yellow).
    std::uint32_t KiemelesSzin = 0xB9FFFF;
    TRect MunkaTerulet;
};

// The settings record. Tudom and NemTudom are the drill's counters and are never stored.
struct TBeall {
    std::int32_t BetuMeret = 9; // font size in points of the main window and the dialogs
    std::int32_t Tudom = 0;
    std::int32_t NemTudom = 0;
    QString UtolsoFile; // full path of the test file opened or appended last
};

// The name of the settings file, in the data folder or, in a portable installation, beside
// the executable.
inline constexpr const char* SettingsFileName = "Vemba.ini";

// Computes the configuration values. A "Vemba.ini" beside the executable makes its folder
// the data folder (portable installation); otherwise the data folder is "Vemba" in the shared
// data folder, or the program folder when that is unknown (empty).
ConfigValues makeConfigValues(const QString& executablePath, const TRect& workArea,
                              const QString& sharedDataFolder);

// When the main window is created: takes the portable decision again (a "Vemba.ini" may
// have been put beside the executable since) and creates the data folder with its parents.
// A folder that cannot be created is not reported; later writes into it fail.
void prepareDataFolder(ConfigValues& values);

// The program's configuration, set by initConfig before any window exists.
const ConfigValues& config();
void initConfig(const QString& executablePath, const TRect& workArea);
void prepareDataFolder();

// The program's settings record, alive for the whole run.
TBeall& Beall();

// The path proposed for the open dialog when no test was opened yet.
QString defaultLastFile(const ConfigValues& values);

// Reads [Font] Size (default 9) and [File] LastFile (default: defaultLastFile) from the
// settings file into the record.
void BeallitasBetoltes(TBeall& beall, const ConfigValues& values);

// Writes [Font] Size and [File] LastFile. The path is stored as code page 1250 text, so
// characters outside that code page come back as '?'. Throws VembaError when the settings
// file cannot be written.
void BeallitasMentes(const TBeall& beall, const QString& settingsFile);
