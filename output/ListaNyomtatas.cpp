#include "output/ListaNyomtatas.h"

#include "output/RptLista.h"
#include "platform/Cp1250.h"
#include "platform/Error.h"
#include "platform/OutputClock.h"
#include "ui/MessageBoxes.h"

#include <QGuiApplication>
#include <QPaintEngine>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QToolBar>
#include <algorithm>
#include <exception>
#include <utility>

namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

class SystemPrinters final : public PrinterService {
public:
    std::unique_ptr<QPrinter> defaultPrinter() override {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return nullptr;
        return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
};

PrinterService*& installedService() {
    static PrinterService* service = nullptr;
    return service;
}

std::string PrintFailed() {
    return toCp1250(utf8("A nyomtatás nem sikerült."));
}

QString progressText(int done, int total) {
    return QStringLiteral("Nyomtatás: %1 / %2 oldal").arg(done).arg(total);
}

// Prints every page with a progress window. It has no cancel button: the printing systems
// spool the whole job and send it when painting ends, so a stop would still print the pages
// painted so far. Returns whether every page went to the printer.
bool printWithProgress(TrptLista& report, QPrinter& printer, QWidget* owner) {
    QProgressDialog progress(owner);
    progress.setObjectName(QStringLiteral("rptListaProgress"));
    progress.setWindowTitle(utf8(TrptLista::ReportTitle));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButton(nullptr);
    // Wide enough for its caption in the title bar.
    progress.setMinimumWidth(progress.fontMetrics().averageCharWidth() * 45);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setRange(0, report.pageCount());
    progress.setLabelText(progressText(0, report.pageCount()));
    // Shown at once, not when the dialog's own estimate of the time left would show it.
    progress.show();
    progress.setValue(0);
    return report.print(printer, [&](int done, int total) {
        progress.setLabelText(progressText(done, total));
        progress.setValue(done);
        return true;
    });
}

void printList(TrptLista& report, QPrinter& printer, QWidget* owner) {
    printer.setDocName(utf8(TrptLista::ReportTitle));
    printer.setCopyCount(1);
    if (!printWithProgress(report, printer, owner))
        throw VembaError(PrintFailed());
}

// The preview paints into a picture engine of its printer, the print button into the
// printer itself: only printing shows progress.
bool isPreviewPainting(QPrinter& printer) {
    const QPaintEngine* engine = printer.paintEngine();
    return engine != nullptr && engine->type() == QPaintEngine::Picture;
}

void previewList(TrptLista& report, QWidget* owner) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(utf8(TrptLista::ReportTitle));
    printer.setPageLayout(report.definition().page.paperLayout());
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("rptListaPreview"));
    dialog.setWindowTitle(utf8(TrptLista::ReportTitle));
    // Large enough to read a whole page: most of the screen's height, a page's proportions,
    // and at least as wide as the tool bar, so none of its buttons hides behind its edge.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int height = screen->availableGeometry().height() * 9 / 10;
        int width = height * 3 / 4;
        if (const QToolBar* toolBar = dialog.findChild<QToolBar*>())
            width = std::max(width, toolBar->sizeHint().width() + 2 * toolBar->height());
        dialog.resize(std::min(width, screen->availableGeometry().width()), height);
    }
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        // Nothing may be thrown through the dialog's signal.
        try {
            if (isPreviewPainting(*target))
                report.print(*target);
            else if (!printWithProgress(report, *target, &dialog))
                throw VembaError(PrintFailed());
        } catch (const std::exception& error) {
            ProgramErrorBox(error, &dialog);
        }
    });
    dialog.exec();
}

} // namespace

PrinterService& PrinterService::current() {
    static SystemPrinters system;
    PrinterService* installed = installedService();
    return installed ? *installed : system;
}

PrinterService* PrinterService::install(PrinterService* service) {
    return std::exchange(installedService(), service);
}

void ListaNyomtatas(TMemTable& table, const std::string& title, const std::string& leftField,
                    const std::string& rightField, bool print, QWidget* owner) {
    if (!print) {
        TrptLista report(table, title, leftField, rightField, outputNow());
        previewList(report, owner);
        return;
    }
    const std::unique_ptr<QPrinter> printer = PrinterService::current().defaultPrinter();
    if (!printer) {
        HibaUzenet(toCp1250(utf8(NincsNyomtatoUzenet)), owner);
        return;
    }
    TrptLista report(table, title, leftField, rightField, outputNow());
    printList(report, *printer, owner);
}
