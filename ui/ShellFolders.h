#pragma once

#include <QString>

// Folder numbers understood by RendszerMappa.
inline constexpr int CSIDL_PERSONAL = 5;        // the user's documents
inline constexpr int CSIDL_COMMON_APPDATA = 35; // data shared by the program's runs

// The current path of a well-known folder, or empty text when the folder is unknown or the
// number is not one of the above. The folder need not exist.
QString RendszerMappa(int folder);

// The user's data folder (XDG_DATA_HOME, usually ~/.local/share); the program keeps its own
// data in the subfolder "Vemba" of it.
QString KozosAdatMappa();

// The user's documents folder.
QString DokumentumMappa();

// Where an export proposes its file: the documents folder, or the home folder while there is
// none (common on a fresh Linux account), so that the proposal can be written as it stands.
QString JavasoltMappa();
