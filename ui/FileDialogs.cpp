#include "ui/FileDialogs.h"

#include "platform/Cp1250.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <utility>

namespace {

QString patternList(const QString& patterns) {
    QStringList list;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString p = pattern.trimmed();
        // On Windows "*.*" matches every file; here it would hide names without a dot.
        list << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    return list.join(QLatin1Char(' '));
}

// A description that already ends in its patterns gets them in Qt's spelling instead.
QString withoutPatterns(const QString& description) {
    static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    return QString(description).remove(trailing).trimmed();
}

// The extension that follows a name filter: "xls" for "Excel (*.xls)", the dialog's default
// for filters that name no single extension ("*", "*.htm *.html").
QString extensionFor(const QString& nameFilter, const QString& defaultExtension) {
    if (defaultExtension.isEmpty())
        return {};
    static const QRegularExpression single(QStringLiteral("\\(\\*\\.([^*?. ]+)\\)$"));
    QRegularExpressionMatch match = single.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : defaultExtension;
}

void showStartingFile(QFileDialog& dialog, const FileDialogSettings& settings) {
    QFileInfo file(settings.fileName);
    if (settings.fileName.contains(QLatin1Char('/'))) {
        dialog.setDirectory(file.absolutePath());
        dialog.selectFile(file.fileName());
        return;
    }
    if (!settings.initialDir.isEmpty())
        dialog.setDirectory(settings.initialDir);
    if (!settings.fileName.isEmpty())
        dialog.selectFile(settings.fileName);
}

void setFilters(QFileDialog& dialog, const FileDialogSettings& settings) {
    const QStringList filters = qtNameFilters(settings.filter);
    QString extension = bareExtension(settings.defaultExtension);
    dialog.setDefaultSuffix(extension);
    if (filters.isEmpty())
        return;
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(settings.filterIndex - 1, filters.first()));
    dialog.setDefaultSuffix(extensionForFilter(settings));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, extension](const QString& chosen) {
                         dialog.setDefaultSuffix(extensionFor(chosen, extension));
                     });
}

bool runDialog(FileDialogSettings& settings, QWidget* owner, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    if (!settings.title.empty())
        dialog.setWindowTitle(fromCp1250(settings.title));
    bool existing = mode == QFileDialog::AcceptOpen && settings.mustExist;
    dialog.setFileMode(existing ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    setFilters(dialog, settings);
    showStartingFile(dialog, settings);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    settings.fileName = dialog.selectedFiles().constFirst();
    qsizetype chosen = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    if (chosen >= 0)
        settings.filterIndex = int(chosen) + 1;
    return true;
}

class QtFileDialogService final : public FileDialogService {
public:
    bool openFile(FileDialogSettings& dialog, QWidget* owner) override {
        return runDialog(dialog, owner, QFileDialog::AcceptOpen);
    }
    bool saveFile(FileDialogSettings& dialog, QWidget* owner) override {
        return runDialog(dialog, owner, QFileDialog::AcceptSave);
    }
};

FileDialogService*& installedService() {
    static FileDialogService* service = nullptr;
    return service;
}

} // namespace

FileDialogService& FileDialogService::current() {
    static QtFileDialogService real;
    FileDialogService* installed = installedService();
    return installed ? *installed : real;
}

FileDialogService* FileDialogService::install(FileDialogService* service) {
    return std::exchange(installedService(), service);
}

bool OpenFileDialog(FileDialogSettings& dialog, QWidget* owner) {
    return FileDialogService::current().openFile(dialog, owner);
}

bool SaveFileDialog(FileDialogSettings& dialog, QWidget* owner) {
    return FileDialogService::current().saveFile(dialog, owner);
}

QStringList qtNameFilters(const std::string& filter) {
    const QStringList parts = fromCp1250(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = patternList(parts.at(i + 1));
        if (!patterns.isEmpty())
            filters << withoutPatterns(parts.at(i)) + QStringLiteral(" (") + patterns +
                           QLatin1Char(')');
    }
    return filters;
}

QString bareExtension(const QString& extension) {
    return extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
}

QString extensionForFilter(const FileDialogSettings& dialog) {
    const QStringList filters = qtNameFilters(dialog.filter);
    QString extension = bareExtension(dialog.defaultExtension);
    if (filters.isEmpty())
        return extension;
    return extensionFor(filters.value(dialog.filterIndex - 1, filters.first()), extension);
}

QString withDefaultExtension(const QString& path, const QString& extension) {
    QString bare = bareExtension(extension);
    if (bare.isEmpty() || path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + bare;
}
