#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

// The About box "Névjegy": the product picture in a bevelled panel with the product name and
// version written over it, the maker's notice, the program's title, and the maker's contact
// block; "OK" below. OK, Enter and the close box close it; Escape does nothing. It keeps its
// design font whatever the main window's font size, and it is centred on the screen each
// time, never stored.
class Tfrm_Nevjegy : public QDialog {
public:
    static constexpr const char* FormName = "frm_Nevjegy";
    static constexpr int ClientWidth = 424;
    static constexpr int ClientHeight = 492;

    explicit Tfrm_Nevjegy(QWidget* parent = nullptr);
    ~Tfrm_Nevjegy() override;

    // "Vemba", CR LF, "V" and the version.
    static QString ProductText();

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* Label1;       // the product name and version
    QLabel* Label2;       // the maker's notice
    QLabel* Label3;       // the title line
    QLabel* Label4;       // the terms line
    QLabel* Label5;       // "Elérhetőség"
    QLabel* Label6;       // the contact block
    QPushButton* Button1; // "OK"

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    bool positioned_ = false;
};

// The command "Névjegy": a fresh About box, owned by the program, shown modally.
void Nevjegy();
