#include "download/DownloadProgressWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int BarSteps = 1000;

} // namespace

DownloadProgressWindow::~DownloadProgressWindow() {
    delete window_.data();
}

void DownloadProgressWindow::show(std::function<void()> cancel) {
    delete window_.data();
    auto* window = new QDialog(owner_.data());
    window->setObjectName(QStringLiteral("frm_Letoltes"));
    window->setWindowTitle(QString::fromUtf8("Letöltés..."));
    window->setWindowModality(Qt::ApplicationModal);
    // A window of its own does not take its owner's font by itself.
    if (owner_)
        window->setFont(owner_->font());
    window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                           Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(QString::fromUtf8("Letöltés..."), window));
    bytes_ = new QLabel(window);
    bytes_->setObjectName(QStringLiteral("Bytes"));
    bytes_->setMinimumWidth(260);
    layout->addWidget(bytes_);
    bar_ = new QProgressBar(window);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    auto* buttons = new QDialogButtonBox(window);
    QPushButton* megsem =
        buttons->addButton(QString::fromUtf8("Mégsem"), QDialogButtonBox::RejectRole);
    megsem->setObjectName(QStringLiteral("Megsem"));
    layout->addWidget(buttons);
    // Esc and the close box reject the window as the button does.
    QObject::connect(window, &QDialog::rejected, window, std::move(cancel));
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
    window_ = window;
    update(0, -1);
    window->show();
}

void DownloadProgressWindow::update(qint64 received, qint64 total) {
    if (window_.isNull())
        return;
    bytes_->setText(BytesText(received, total));
    if (total > 0) {
        bar_->setRange(0, BarSteps);
        bar_->setValue(int(qMin(received, total) * BarSteps / total));
    } else {
        bar_->setRange(0, 0); // busy: how much comes is not known
    }
}

// The window goes at once; it is deleted once the event that ended the download (perhaps
// its own button's click) has been handled.
void DownloadProgressWindow::hide() {
    if (window_.isNull())
        return;
    QObject::disconnect(window_.data(), &QDialog::rejected, nullptr, nullptr);
    window_->hide();
    window_->deleteLater();
    window_ = nullptr;
    bytes_ = nullptr;
    bar_ = nullptr;
}

QString DownloadProgressWindow::BytesText(qint64 received, qint64 total) {
    const QLocale locale;
    QString text = locale.toString(received);
    if (total >= 0)
        text += QStringLiteral(" / ") + locale.toString(total);
    return text + QString::fromUtf8(" bájt");
}
