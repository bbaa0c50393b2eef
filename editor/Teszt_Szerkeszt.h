#pragma once

#include "data/MemTable.h"

#include <QDialog>
#include <QLineEdit>
#include <string>

class QLabel;
class QPushButton;

// A one-line edit bound to one field of a table's current record: it shows the field's text
// whenever the table reports a change, and writes the typed text into the field (of the
// working copy) when it loses the focus and when Post asks for it. It takes at most the
// field's size in characters. Text that code page 1250 cannot hold is stored with '?'.
class TDBEdit : public QLineEdit, private TableObserver {
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    ~TDBEdit() override;
    TDBEdit(const TDBEdit&) = delete;
    TDBEdit& operator=(const TDBEdit&) = delete;

    // Binds the edit; nullptr detaches it. The table must outlive the binding.
    void setDataSource(TMemTable* table, std::string fieldName);

    // Writes the text into the field when the user changed it and the table is being edited.
    void updateRecord();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void tableChanged(TMemTable& table, Change change) override;
    void updateRecord(TMemTable& table) override;
    void showField();
    TField* field() const;

    TMemTable* table_ = nullptr;
    std::string fieldName_;
    bool writing_ = false;
};

// The word-pair dialog "Szerkeszt": two edits bound to nyelv1 and nyelv2 of the editor's
// table, OK and "Mégsem". It never posts or cancels; the caller does, by the result.
class Tfrm_Teszt_Szerkeszt : public QDialog {
public:
    static constexpr const char* FormName = "frm_Teszt_Szerkeszt";
    // The focus colour of the edits, 0x00BBGGRR 0xF0CAA6.
    static const QColor FocusColor;

    explicit Tfrm_Teszt_Szerkeszt(TMemTable& ds, QWidget* parent = nullptr);
    ~Tfrm_Teszt_Szerkeszt() override;

    QLabel* Label1;
    TDBEdit* DBEdit1;
    QLabel* Label2;
    TDBEdit* DBEdit2;
    QPushButton* Button3; // "OK"
    QPushButton* Button4; // "Mégsem"

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls(TMemTable& ds);
    bool handleKey(QObject* watched, const QKeyEvent& key);
    void setFocusColour(TDBEdit* edit, bool focused);
    void savePosition();
    bool positioned_ = false;
};

// The design font of the editor's windows: Segoe UI with a character height of 11 pixels,
// Liberation Sans (Arial's metrics) where Segoe UI is missing. Its weight is set, so a child
// of a bold parent does not turn bold.
QFont TesztDesignFont();

// Shows the pair dialog on the current record of the table (in Edit or Insert) and returns
// true when the user closed it with OK. The dialog stays above owner.
bool ParSzerkesztes(TMemTable& ds, QWidget* owner = nullptr);
