#include "ui/GridSearchBox.h"

#include "data/GridSearch.h"
#include "platform/Cp1250.h"
#include "ui/MessageBoxes.h"
#include "ui/ThemeDBGrid.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <exception>

GridSearchBox::GridSearchBox(QWidget& window, QLineEdit& edit, TThemeDBGrid& grid,
                             std::uint32_t highlight, Hooks hooks)
    : QObject(&window)
    , window_(window)
    , edit_(edit)
    , grid_(grid)
    , highlight_(highlight)
    , hooks_(std::move(hooks)) {
    edit_.installEventFilter(this);
    grid_.installEventFilter(this);
    connect(&edit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { hooks_.search(toCp1250(text)); });
    connect(&grid_, &TThemeDBGrid::titleClick, this, &GridSearchBox::titleClicked);
}

bool GridSearchBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &grid_) {
        if (event->type() == QEvent::KeyPress &&
            gridKeyPress(static_cast<const QKeyEvent&>(*event)))
            return true;
    } else if (watched == &edit_) {
        if (event->type() == QEvent::KeyPress && editKeyDown(static_cast<const QKeyEvent&>(*event)))
            return true;
        // The search box must not keep the window's shortcuts (Ctrl+Del, Enter) for itself.
        if (event->type() == QEvent::ShortcutOverride &&
            isWindowShortcut(static_cast<const QKeyEvent&>(*event))) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// A typed digit or letter starts a search: it becomes the search box's only text. The same
// letter typed again after a move in the grid searches again, though the text stays the same.
bool GridSearchBox::gridKeyPress(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const std::optional<char> typed = GridSearch::GridSearchKey(key.text());
    if (!typed)
        return false;
    const std::string_view text(&*typed, 1);
    edit_.setFocus();
    if (edit_.text() == fromCp1250(text))
        hooks_.search(text);
    else
        edit_.setText(fromCp1250(text));
    edit_.setCursorPosition(int(edit_.text().size()));
    return true;
}

bool GridSearchBox::editKeyDown(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Down)
        return false;
    grid_.setFocus();
    return true;
}

bool GridSearchBox::isWindowShortcut(const QKeyEvent& key) const {
    // Enter on the keypad stands for Enter.
    const QKeySequence typed(
        QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    for (const QAction* action : window_.actions()) {
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut == typed)
                return true;
    }
    return false;
}

void GridSearchBox::titleClicked(int column, const std::string& fieldName) {
    OszlopKiemeles(grid_, column, highlight_);
    try {
        hooks_.titleClick(fieldName);
    } catch (const std::exception& error) {
        ProgramErrorBox(error, &window_);
    }
    edit_.setFocus();
}
