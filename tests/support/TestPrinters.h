#pragma once

#include "output/ListaNyomtatas.h"

#include <QPrinter>
#include <QString>
#include <memory>
#include <utility>

// The default printer of a test, installed while it lives: none, or one that prints into a
// PDF file, so no test reaches a real printer.
class TestPrinters final : public PrinterService {
public:
    explicit TestPrinters(QString pdfPath = {})
        : pdfPath_(std::move(pdfPath))
        , previous_(PrinterService::install(this)) {}
    ~TestPrinters() override { PrinterService::install(previous_); }
    TestPrinters(const TestPrinters&) = delete;
    TestPrinters& operator=(const TestPrinters&) = delete;

    std::unique_ptr<QPrinter> defaultPrinter() override {
        ++asked;
        if (pdfPath_.isEmpty())
            return nullptr;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfPath_);
        return printer;
    }

    int asked = 0;

private:
    QString pdfPath_;
    PrinterService* previous_;
};
