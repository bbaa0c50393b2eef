#include "ui/ImageList.h"

#include <QSize>
#include <array>
#include <string_view>

// The pictures are compiled into the program from the icon theme; resources/CMakeLists.txt
// reads the theme names from the table below, so a picture is added here and nowhere else.
// Q_INIT_RESOURCE must be used outside any namespace.
static void initTangoResources() {
    Q_INIT_RESOURCE(tango);
}

namespace ImageList {
namespace {

struct Entry {
    Index index;
    std::string_view theme;
};

// One line per picture, in the order of the numbers.
// clang-format off
constexpr std::array<Entry, Count> Entries = {{
    {UjTeszt, "actions/document-new"},
    {Megnyit, "actions/document-open"},
    {Bezar, "actions/system-log-out"},
    {UjSor, "actions/list-add"},
    {Szerkeszt, "actions/document-properties"},
    {Torol, "actions/edit-delete"},
    {Mentes, "actions/document-save"},
    {MentesMaskent, "actions/document-save-as"},
    {Hozzanyit, "actions/go-jump"},
    {Letolt, "actions/go-bottom"},
    {TesztSzerkeszto, "apps/accessories-text-editor"},
    {Nyomtat, "actions/document-print"},
    {NyomtatasiKep, "actions/document-print-preview"},
    {Excelbe, "mimetypes/x-office-spreadsheet"},
    {Frissit, "actions/view-refresh"},
    {Html, "mimetypes/text-html"},
    {Honlap, "apps/internet-web-browser"},
    {Ujdonsag, "status/software-update-available"},
    {Level, "actions/mail-message-new"},
    {Nevjegy, "apps/help-browser"},
    {SQLExport, "actions/edit-copy"},
    {EztMarTudom, "emotes/face-smile-big"},
    {Megnezem, "actions/edit-find"},
    {JohetaKovetkezo, "actions/go-next"},
    {Import, "actions/edit-paste"},
}};
// clang-format on

constexpr bool numberedInOrder() {
    for (std::size_t i = 0; i < Entries.size(); ++i) {
        if (Entries[i].index != static_cast<int>(i))
            return false;
    }
    return true;
}
static_assert(numberedInOrder(), "the table must list every number once, in order");

bool inList(int index) {
    return index >= 0 && index < Count;
}

QString resourcePath(int index, int size) {
    static const bool registered = (initTangoResources(), true);
    (void)registered;
    return QStringLiteral(":/tango/%1x%1/%2.png").arg(size).arg(themeName(index));
}

QPixmap picture(int index, int size) {
    if (!inList(index))
        return {};
    return QPixmap(resourcePath(index, size));
}

} // namespace

QString themeName(int index) {
    if (!inList(index))
        return {};
    const std::string_view theme = Entries[static_cast<std::size_t>(index)].theme;
    return QString::fromLatin1(theme.data(), static_cast<qsizetype>(theme.size()));
}

QPixmap image(int index) {
    return picture(index, 16);
}

QPixmap largeImage(int index) {
    return picture(index, 32);
}

QIcon icon(int index) {
    QIcon result;
    if (!inList(index))
        return result;
    result.addPixmap(image(index));
    result.addPixmap(largeImage(index));
    return result;
}

} // namespace ImageList
