#include "app/Oprog.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/Pictures.h"
#include "app/QtText.h"
#include "app/WindowLook.h"
#include "app/VersionText.h"
#include "lang/Lang.h"
#include "lang/Texts.h"

TOProgramu* OProgramu = nullptr;

TOProgramu::TOProgramu(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    OProgramu = this;
    setObjectName(QStringLiteral("OProgramu"));
    setModal(true);
    resize(345, 179);  // a sizeable tool-window border: the operator may resize the box
    setFont(SansSerifFont(10, false));
    setWindowIcon(MakeWindowIcon());
    PaintBackground(this, Qt::white);

    caption1 = new QLabel(QStringLiteral("caption1"), this);
    caption1->setObjectName(QStringLiteral("caption1"));
    caption1->setGeometry(23, 18, 186, 20);
    caption1->setFont(SansSerifFont(16, true));

    version = new QLabel(QStringLiteral("version"), this);
    version->setObjectName(QStringLiteral("version"));
    version->move(23, 44);
    version->setFont(SansSerifFont(11, true));

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(247, 146, 90, 25);
    BitBtn1->setFont(SansSerifFont(11, true));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(1); });

    CentreOnScreen(this);
    cmCreate();
}

TOProgramu::~TOProgramu() {
    if (OProgramu == this) OProgramu = nullptr;
}

void TOProgramu::cmCreate() { ApplyAboutTexts(); }

void TOProgramu::ApplyAboutTexts() {
    lang::LoadLanguageFile();
    setWindowTitle(Q(lang::TranslateWithEllipsis(text::About)));
    caption1->setText(Q(lang::Translate(text::ProgramTitle)));
    // A translation longer than the designed 186 pixels widens the label, as an auto-sized
    // label would, rather than being cut ("KD4410 – uživatelský software").
    caption1->resize(std::max(186, caption1->fontMetrics().horizontalAdvance(caption1->text())), caption1->height());
    version->setText(Q(lang::Translate(text::Version)) + u' ' + Q(VersionText()));
    version->adjustSize();  // the label is sized to its text
}
