#pragma once

#include "ui/Starter.h"

#include <QUrl>
#include <vector>

// A launcher's opener for tests: notes each document or address it is asked to open, in
// order, and opens nothing.
class RecordingOpener : public TStarterOpener {
public:
    bool OpenUrl(const QUrl& url) override {
        urls.push_back(url);
        return true;
    }
    bool StartProgram(const QString&, const QStringList&, const QString&) override { return true; }
    std::vector<QUrl> urls;
};
