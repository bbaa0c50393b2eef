#pragma once

#include "download/UrlLetoltes.h"

#include <QString>
#include <string_view>

class TMemTable;

// The catalogue of downloadable tests: a test file (data/CsvStreamFormat.h) with the fields
// nyelv, nev and link, kept as "vemba.csv" in the data folder and fetched again from the
// catalogue URL on request. The download window and vemba-cli share these steps.

inline constexpr const char* CatalogueFileName = "vemba.csv";
// The order of the list: by language, then by name.
inline constexpr std::string_view CatalogueSortFields = "nyelv;nev";

// The local copy in the data folder.
QString localCatalogueFile(const QString& dataFolder);

// The catalogue URL: [Download] CatalogueUrl of the settings file when it is set and not
// empty, otherwise the maker's.
QString catalogueUrl(const QString& settingsFile);

// Gives the table the catalogue's fields (whatever a load gave it before) and opens it empty.
void openEmptyCatalogue(TMemTable& table);

// The list as the window opens: the local copy loaded when there is one, sorted on
// "nyelv;nev" ignoring case, the first entry current. A local copy that cannot be read throws the
// reader's error and leaves the table an empty catalogue, so the window can still open and be
// refreshed.
void loadLocalCatalogue(TMemTable& table, const QString& localFile);

// "Lista frissítés": creates the data folder, downloads the catalogue and checks it in a
// scratch table; only a download that is a catalogue replaces the local copy, which is then
// loaded into the table and sorted on "nyelv;nev" with case, the first entry current. A download
// counts as a catalogue when it loads without error, carries a definition block or a header line
// naming at least one catalogue column, and can be sorted on "nyelv;nev". On any failure the local
// copy and the table stay as they were, and the result says why.
DownloadResult refreshCatalogue(TMemTable& table, const QString& url, const QString& dataFolder,
                                const DownloadSettings& settings = {});
