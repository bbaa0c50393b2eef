#include "download/Catalogue.h"

#include "data/CsvStreamFormat.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "platform/PrivateProfile.h"
#include "ui/Links.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <exception>

namespace {

// The table the download is tried in before it replaces anything; a failure names why.
DownloadResult checkCatalogue(QBuffer& download) {
    TMemTable scratch("Tbl");
    openEmptyCatalogue(scratch);
    TLoadSummary summary;
    try {
        download.seek(0);
        TCSVStreamFormat::Load(scratch, download, &summary);
        if (!summary.definitions && summary.headerFields == 0)
            return {false, QStringLiteral("the download is not a catalogue")};
        scratch.SortOn(CatalogueSortFields);
    } catch (const std::exception& error) {
        return {false,
                QStringLiteral("the download is not a catalogue: ") + fromCp1250(error.what())};
    }
    return {true, {}};
}

DownloadResult writeLocalCopy(const QByteArray& bytes, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {false, path + QStringLiteral(": ") + file.errorString()};
    return {true, {}};
}

} // namespace

QString localCatalogueFile(const QString& dataFolder) {
    return dataFolder + QLatin1Char('/') + QLatin1String(CatalogueFileName);
}

QString catalogueUrl(const QString& settingsFile) {
    const std::optional<std::string> set =
        readProfileValue(settingsFile, "Download", "CatalogueUrl");
    if (set && !set->empty())
        return fromCp1250(*set);
    return fromCp1250(Links::Katalogus);
}

void openEmptyCatalogue(TMemTable& table) {
    table.Close();
    table.ClearFields();
    DefineCatalogueFields(table);
    table.Open();
}

void loadLocalCatalogue(TMemTable& table, const QString& localFile) {
    openEmptyCatalogue(table);
    try {
        if (QFileInfo::exists(localFile))
            table.LoadFromFile(localFile);
        table.SortOn(CatalogueSortFields, TOption::CaseInsensitive);
        table.First();
    } catch (...) {
        openEmptyCatalogue(table);
        table.SortOn(CatalogueSortFields, TOption::CaseInsensitive);
        throw;
    }
}

DownloadResult refreshCatalogue(TMemTable& table, const QString& url, const QString& dataFolder,
                                const DownloadSettings& settings) {
    QDir().mkpath(dataFolder);
    QBuffer download;
    download.open(QIODevice::ReadWrite);
    DownloadResult result = downloadTo(url, download, settings);
    if (!result.Ok)
        return result;
    result = checkCatalogue(download);
    if (!result.Ok)
        return result;
    const QString localFile = localCatalogueFile(dataFolder);
    result = writeLocalCopy(download.data(), localFile);
    if (!result.Ok)
        return result;
    openEmptyCatalogue(table);
    table.LoadFromFile(localFile);
    table.SortOn(CatalogueSortFields);
    table.First();
    return result;
}
