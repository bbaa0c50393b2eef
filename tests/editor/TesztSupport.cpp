#include "TesztSupport.h"

#include "app/Config.h"
#include "data/FieldSets.h"
#include "data/MemTable.h"
#include "platform/Cp1250.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

EditorEnvironment::EditorEnvironment() {
    writeAll(settingsFile(), QByteArray());
    initConfig(path(QStringLiteral("vemba")), TRect{0, 0, 1920, 1040});
}

void writeTest(const QString& path, const Pairs& pairs) {
    TMemTable table("Tbl");
    DefineEditorFields(table);
    table.Open();
    for (const auto& [nyelv1, nyelv2] : pairs) {
        table.Append();
        table.SetFieldValue("nyelv1", nyelv1);
        table.SetFieldValue("nyelv2", nyelv2);
        table.SetFieldValue("hanyszor", std::int32_t(1));
        table.Post();
    }
    table.SaveToFile(path);
}

Pairs tablePairs(const TMemTable& table) {
    Pairs pairs;
    const int n1 = table.FieldByName("nyelv1").Index();
    const int n2 = table.FieldByName("nyelv2").Index();
    auto text = [](const TValue& value) {
        return isNull(value) ? std::string() : std::get<std::string>(value);
    };
    for (int row = 0; row < table.RecordCount(); ++row)
        pairs.emplace_back(text(table.ValueAt(row, n1)), text(table.ValueAt(row, n2)));
    return pairs;
}

Pairs readTest(const QString& path) {
    TMemTable table("Tbl");
    table.LoadFromFile(path);
    return tablePairs(table);
}

PairDialogScript::PairDialogScript() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
}

void PairDialogScript::poll() {
    auto* dialog = dynamic_cast<Tfrm_Teszt_Szerkeszt*>(QApplication::activeModalWidget());
    if (!dialog || dialog == current_ || !dialog->isVisible())
        return;
    current_ = dialog;
    ++seen_;
    if (steps_.empty()) {
        ADD_FAILURE() << "a pair dialog that the test did not expect";
        dialog->Button4->click();
        return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step(*dialog);
}

PairDialogScript::Step PairDialogScript::typePair(std::string nyelv1, std::string nyelv2) {
    return [nyelv1, nyelv2](Tfrm_Teszt_Szerkeszt& dialog) {
        typeInto(dialog, nyelv1);
        pressKey(dialog, Qt::Key_Return);
        typeInto(dialog, nyelv2);
        pressKey(dialog, Qt::Key_Return);
        pressKey(dialog, Qt::Key_Return);
    };
}

PairDialogScript::Step PairDialogScript::escape() {
    return [](Tfrm_Teszt_Szerkeszt& dialog) { pressKey(dialog, Qt::Key_Escape); };
}

namespace {

QWidget& focused(QWidget& window) {
    QWidget* widget = window.focusWidget();
    return widget ? *widget : window;
}

} // namespace

void typeInto(QWidget& window, const std::string& utf8) {
    for (const QChar c : QString::fromUtf8(utf8.data(), qsizetype(utf8.size())))
        typeChar(focused(window), c);
}

void typeChar(QWidget& widget, QChar c) {
    if (c.unicode() < 0x80) {
        QTest::keyClick(&widget, char(c.unicode()));
        return;
    }
    // Keys beyond ASCII are named by their capital letter, as a keyboard reports them.
    const auto key = Qt::Key(c.toUpper().unicode());
    QTest::sendKeyEvent(QTest::Click, &widget, key, QString(c), Qt::NoModifier);
}

void pressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&focused(window), key, modifiers);
}
