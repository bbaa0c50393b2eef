#pragma once

#include "editor/Teszt_Szerkeszt.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Helpers of the test editor's tests.

using Pairs = std::vector<std::pair<std::string, std::string>>;

// A settings file of its own in a temporary folder: the configuration values point there
// (a portable installation), so placements are read and written in it.
class EditorEnvironment {
public:
    EditorEnvironment();
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString settingsFile() const { return path(QStringLiteral("Vemba.ini")); }

private:
    QTemporaryDir dir_;
};

// Writes a test file with the editor's fields holding the pairs (cp1250) in this order.
void writeTest(const QString& path, const Pairs& pairs);
// The pairs of a test file in file order.
Pairs readTest(const QString& path);
// The pairs of the table in its current order.
Pairs tablePairs(const TMemTable& table);

// Answers the pair dialogs that the editor opens, one step for each dialog, from inside the
// dialog's modal loop. A dialog with no step left is cancelled and counts as a failure.
class PairDialogScript {
public:
    using Step = std::function<void(Tfrm_Teszt_Szerkeszt&)>;

    PairDialogScript();
    void then(Step step) { steps_.push_back(std::move(step)); }
    int dialogsSeen() const { return seen_; }
    std::size_t pendingSteps() const { return steps_.size(); }

    // The user types both texts with Enter after each and presses Enter on the focused OK.
    static Step typePair(std::string nyelv1, std::string nyelv2);
    // The user presses Esc.
    static Step escape();

private:
    void poll();

    QTimer timer_;
    std::deque<Step> steps_;
    QPointer<Tfrm_Teszt_Szerkeszt> current_;
    int seen_ = 0;
};

// Types text (UTF-8 source) into whatever has the focus in the window, one key at a time.
void typeInto(QWidget& window, const std::string& utf8);
// One typed character, also one beyond ASCII, sent to the widget.
void typeChar(QWidget& widget, QChar c);
void pressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
