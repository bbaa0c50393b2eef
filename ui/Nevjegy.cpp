#include "ui/Nevjegy.h"

#include "ui/Links.h"
#include "ui/Logo.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

namespace {

constexpr QRect PanelRect{8, 8, 409, 437};
// Inside the panel.
constexpr QRect PictureRect{4, 4, 401, 253};
constexpr QPoint ProductPos{275, 16};
constexpr QPoint NoticePos{262, 68};
constexpr QRect TitleRect{4, 260, 397, 24};
constexpr QRect TermsRect{4, 288, 397, 40};
constexpr QRect HeadingRect{4, 332, 397, 16};
constexpr QRect ContactRect{4, 348, 397, 81};
constexpr QRect ButtonRect{175, 456, 75, 25};

// The contact block's first lines: the contact person, the office hours and the telephone
// number (UTF-8). The homepage and the mailbox follow, from the program's addresses.
const char* const ContactLines[] = {
    "Kapcsolattartó: Varga Kelemen",
    "Ügyfélfogadás: hétfőtől péntekig 9 és 16 óra között",
    "Telefon: +36 1 555 0142",
};

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The first family found is used; Liberation Sans has Arial's metrics and stands in where
// the Windows fonts are missing.
QFont designFont(const char* family) {
    QFont font;
    font.setFamilies({utf8(family), QStringLiteral("Liberation Sans")});
    return font;
}

QFont arialBold(int pixelSize) {
    QFont font = designFont("Arial");
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// A panel with two bevels: lowered outside, raised inside.
class TBevelPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Sized to its text, each line right-aligned, its left edge where it was put.
QLabel* makeRightLabel(QWidget* parent, const char* name, const QString& text, QPoint at) {
    QLabel* label = makeLabel(parent, name, text);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel* makeCentredLabel(QWidget* parent, const char* name, const QString& text, QRect at) {
    QLabel* label = makeLabel(parent, name, text);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(at);
    return label;
}

// The splash picture, its see-through key pixels showing the panel.
QPixmap panelPicture() {
    const QImage picture = Tfrm_Logo::LogoPicture();
    QPixmap pixmap = QPixmap::fromImage(picture);
    if (!pixmap.isNull())
        pixmap.setMask(keyMask(picture, Tfrm_Logo::TransparentColor));
    return pixmap;
}

QString contactText() {
    QStringList lines;
    for (const char* line : ContactLines)
        lines << utf8(line);
    lines << QStringLiteral("Honlap: ") + latin1(Links::Honlap);
    lines << QStringLiteral("E-mail: ") + latin1(Links::Postafiok);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Tfrm_Nevjegy::Tfrm_Nevjegy(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QLatin1String(FormName));
    setWindowTitle(utf8("Névjegy"));
    // A dialog border: a title with the close box only.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont font = designFont("Segoe UI");
    font.setPointSize(8);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);
    createControls();
}

Tfrm_Nevjegy::~Tfrm_Nevjegy() = default;

QString Tfrm_Nevjegy::ProductText() {
    return QStringLiteral("Vemba\r\nV" VEMBA_VERSION);
}

void Tfrm_Nevjegy::createControls() {
    Panel1 = new TBevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(PanelRect);

    Image1 = makeLabel(Panel1, "Image1", {});
    Image1->setGeometry(PictureRect);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(panelPicture());

    Label1 = makeRightLabel(Panel1, "Label1", ProductText(), ProductPos);
    Label1->setFont(arialBold(21));
    Label1->adjustSize();
    Label2 = makeRightLabel(Panel1, "Label2", utf8(Links::MakerNotice), NoticePos);

    Label3 = makeCentredLabel(Panel1, "Label3", utf8("VEMBA - Tanulást segítő program"), TitleRect);
    Label3->setFont(arialBold(15));
    Label4 = makeCentredLabel(Panel1, "Label4", {}, TermsRect);
    Label4->setWordWrap(true);
    Label5 = makeCentredLabel(Panel1, "Label5", utf8("Elérhetőség"), HeadingRect);
    QFont bold = Label5->font();
    bold.setBold(true);
    Label5->setFont(bold);
    Label6 = makeCentredLabel(Panel1, "Label6", contactText(), ContactRect);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(ButtonRect);
    Button1->setDefault(true);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

// There is no cancel button: Escape does nothing. The close box still closes the box.
void Tfrm_Nevjegy::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The frame is centred where the window system already tells its size, the client area
// otherwise.
void Tfrm_Nevjegy::showEvent(QShowEvent* event) {
    if (!positioned_) {
        positioned_ = true;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QSize outer = frameGeometry().size();
        move(screen.left() + (screen.width() - outer.width()) / 2,
             screen.top() + (screen.height() - outer.height()) / 2);
    }
    QDialog::showEvent(event);
}

void Nevjegy() {
    Tfrm_Nevjegy frm;
    frm.exec();
}
