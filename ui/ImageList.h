#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's one image list: the pictures of every command of the main window, the test
// editor and the download window, by the numbers the windows' action tables use. Each number
// has a 16 x 16 picture (menus, tool bars) and a 32 x 32 one (large buttons).
namespace ImageList {

enum Index : int {
    UjTeszt = 0,       // test editor: new test
    Megnyit = 1,       // open a test
    Bezar = 2,         // close a window
    UjSor = 3,         // test editor: new row
    Szerkeszt = 4,     // test editor: edit the pair
    Torol = 5,         // test editor: delete the pair
    Mentes = 6,        // save
    MentesMaskent = 7, // save as
    Hozzanyit = 8,     // main window: append a test to the drill
    Letolt = 9,        // download a test
    TesztSzerkeszto = 10,
    Nyomtat = 11,
    NyomtatasiKep = 12,
    Excelbe = 13,
    Frissit = 14, // download window: refresh the catalogue
    Html = 15,
    Honlap = 16,
    Ujdonsag = 17,
    Level = 18,
    Nevjegy = 19,
    SQLExport = 20,
    EztMarTudom = 21,
    Megnezem = 22,
    JohetaKovetkezo = 23,
    Import = 24, // test editor: import a CSV file
    Count
};

// The theme file behind a number, relative to a size folder of the icon theme
// ("actions/document-open"); empty outside the list.
QString themeName(int index);

// The 16 x 16 picture; a null pixmap outside the list.
QPixmap image(int index);

// The 32 x 32 picture; a null pixmap outside the list.
QPixmap largeImage(int index);

// Both sizes in one icon, so a menu picks the small picture and a large button the large one.
QIcon icon(int index);

} // namespace ImageList
