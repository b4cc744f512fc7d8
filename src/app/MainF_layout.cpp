// The main window's controls, as designed: names, kinds, positions, texts, colours and fonts.
#include "app/MainF.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

#include "app/EventHooks.h"
#include "app/Lamp.h"
#include "app/Pictures.h"
#include "app/WindowLook.h"

namespace {

constexpr int ClientWidth = 637;
constexpr int ClientHeight = 659;
constexpr int StatusBarHeight = 19;
const QColor WindowColour(226, 238, 254);
const QColor PanelColour(183, 205, 225);

const QColor CaptionColour(238, 238, 0);

template <typename Control, typename... Args>
Control* Make(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    auto* control = new Control(std::forward<Args>(args)..., parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}

// An edit box of one line: pasted line breaks and other control characters are dropped.
QLineEdit* Box(QWidget* parent, const char* name, QRect geometry, const QString& text = QString()) {
    auto* box = Make<QLineEdit>(parent, name, geometry, text);
    KeepSingleLine(box);
    return box;
}

QRadioButton* UnitButton(QWidget* parent, const char* name, int top, const char* text) {
    return Make<QRadioButton>(parent, name, QRect(16, top, 113, 17), QString::fromUtf8(text));
}

QString Numbered(const char* stem, size_t index, const char* tail = "") {
    return QString::fromLatin1(stem) + QString::number(index + 1) + QString::fromLatin1(tail);
}

}  // namespace

void TMainF::BuildLayout() {
    setObjectName(QStringLiteral("MainF"));
    setWindowTitle(QStringLiteral("KD4410 User Software"));
    setWindowIcon(MakeWindowIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(SansSerifFont(13));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(ClientWidth, ClientHeight - StatusBarHeight);
    PaintBackground(client, WindowColour);
    setCentralWidget(client);

    BuildLeftPanel();
    BuildLivePanel();
    const int lefts[] = {232, 434, 232, 434};
    const int tops[] = {191, 191, 416, 416};
    for (size_t i = 0; i < config::OutputCount; ++i) BuildOutputPanel(i, lefts[i], tops[i]);
    BuildMenu();
    BuildStatusBar();
    BuildKeyboardAccess();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(1000);

    const QString filter = QString::fromUtf8("Soubory konfigurace|*.cfg|Všechny soubory|*.*");
    OpenDialog1 = {QString::fromUtf8("Otevření souboru konfigurace"), filter, QStringLiteral("*.cfg"),
                   /*mustExist=*/true, /*confirmOverwrite=*/false, /*folder=*/QString()};
    SaveDialog1 = {QString::fromUtf8("Zápis souboru konfigurace"), filter, QStringLiteral("*.cfg"),
                   /*mustExist=*/false, /*confirmOverwrite=*/true, /*folder=*/QString()};

    setFixedSize(sizeHint());
}

void TMainF::BuildLeftPanel() {
    QWidget* client = centralWidget();
    panelLeft = Make<QWidget>(client, "panelLeft", QRect(0, 0, 230, 640));
    PaintBackground(panelLeft, WindowColour);

    struct ButtonRow { QPushButton** field; const char* name; int top; const char* text; ButtonPicture picture; };
    const ButtonRow buttons[] = {
        {&buttonDeviceInfo, "buttonDeviceInfo", 18, "Device Info", ButtonPicture::DeviceInfo},
        {&buttonreadConfiguration, "buttonreadConfiguration", 57, "Read configuration", ButtonPicture::ReadConfiguration},
        {&buttonWriteConfiguration, "buttonWriteConfiguration", 96, "Write configuration", ButtonPicture::WriteConfiguration},
        {&buttonZeroCorrection, "buttonZeroCorrection", 135, "Zero correction", ButtonPicture::ZeroCorrection},
    };
    for (const ButtonRow& row : buttons) {
        *row.field = Make<QPushButton>(panelLeft, row.name, QRect(8, row.top, 200, 33), QString::fromLatin1(row.text));
        (*row.field)->setIcon(QIcon(MakeButtonPicture(row.picture)));
        (*row.field)->setIconSize(QSize(24, 24));
    }

    const QFont choiceFont = SansSerifFont(11, true);
    groupBoxTypeOfMeasurement = Make<QGroupBox>(panelLeft, "groupBoxTypeOfMeasurement", QRect(10, 184, 198, 80),
                                                QStringLiteral("Type of measurement"));
    checkPressure = Make<QRadioButton>(groupBoxTypeOfMeasurement, "checkPressure", QRect(16, 24, 120, 17),
                                       QStringLiteral("Pressure"));
    checkHeightLiquidColumn = Make<QRadioButton>(groupBoxTypeOfMeasurement, "checkHeightLiquidColumn",
                                                 QRect(16, 48, 220, 17), QStringLiteral("Height of the liquid column"));
    checkPressure->setChecked(true);

    captionPressureUnits = Make<QGroupBox>(panelLeft, "captionPressureUnits", QRect(8, 270, 200, 170),
                                           QStringLiteral("Pressure units"));
    radioButtonPa = UnitButton(captionPressureUnits, "radioButtonPa", 24, "Pa");
    radioButtonkPa = UnitButton(captionPressureUnits, "radioButtonkPa", 48, "kPa");
    radioButtonMPa = UnitButton(captionPressureUnits, "radioButtonMPa", 72, "MPa");
    radioButtonMbar = UnitButton(captionPressureUnits, "radioButtonMbar", 96, "mbar");
    radioButtonBar = UnitButton(captionPressureUnits, "radioButtonBar", 120, "bar");
    radioButtonPsi = UnitButton(captionPressureUnits, "radioButtonPsi", 144, "psi");
    radioButtonkPa->setChecked(true);

    captionLengthUnits = Make<QGroupBox>(panelLeft, "captionLengthUnits", QRect(8, 444, 200, 96),
                                         QStringLiteral("Units of length"));
    radioButtonM = UnitButton(captionLengthUnits, "radioButtonM", 24, "m");
    radioButtonInch = UnitButton(captionLengthUnits, "radioButtonInch", 48, "inch");
    radioButtonMm = UnitButton(captionLengthUnits, "radioButtonMm", 72, "mm");
    radioButtonMm->setChecked(true);

    for (QRadioButton* radio : {checkPressure, checkHeightLiquidColumn, radioButtonPa, radioButtonkPa,
                                radioButtonMPa, radioButtonMbar, radioButtonBar, radioButtonPsi, radioButtonM,
                                radioButtonInch, radioButtonMm})
        radio->setFont(choiceFont);

    captionNominalRange = Make<QLabel>(panelLeft, "captionNominalRange", QRect(18, 546, 190, 16),
                                       QStringLiteral("Nominal range"));
    Rozsah = Box(panelLeft, "Rozsah", QRect(18, 562, 190, 24));
    Rozsah->setEnabled(false);
    captionSpecificGravity = Make<QLabel>(panelLeft, "captionSpecificGravity", QRect(18, 590, 190, 16),
                                          QStringLiteral("Specific gravity[kg/m^3]"));
    Ro = Box(panelLeft, "Ro", QRect(18, 606, 190, 24), QStringLiteral("1000"));
}

void TMainF::BuildLivePanel() {
    Panel4 = Make<QFrame>(centralWidget(), "Panel4", QRect(231, 0, 403, 189));
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PaintBackground(Panel4, PanelColour);
    checkActualValue = Make<QCheckBox>(Panel4, "checkActualValue", QRect(15, 18, 121, 17), QStringLiteral("Actual value"));
    checkActualValue->setFont(SansSerifFont(11, true));
    Hvezdicka = Make<QLabel>(Panel4, "Hvezdicka", QRect(389, 17, 17, 16), QStringLiteral("*"));
    Aktualni = Make<QLabel>(Panel4, "Aktualni", QRect(0, 189 - 100, 403, 100), QStringLiteral(".........."));
    Aktualni->setAlignment(Qt::AlignCenter);
    Aktualni->setFont(PixelFont(QStringLiteral("Verdana"), 27));
    Aktualni->setStyleSheet(QStringLiteral("color: black; background-color: white;"));
}

void TMainF::BuildOutputPanel(size_t i, int left, int top) {
    const char* panelNames[] = {"Panel1", "Panel2", "Panel3", "panelOutput4"};
    QFrame* panel = Make<QFrame>(centralWidget(), panelNames[i], QRect(left, top, 200, 223));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PaintBackground(panel, PanelColour);
    panel->setFont(SansSerifFont(11, true));
    outputPanel[i] = panel;

    const int captionWidth = i == 2 ? 97 : 158;
    captionOutput[i] = Make<QLabel>(panel, qPrintable(Numbered("captionOutput", i)), QRect(8, 8, captionWidth, 17),
                                    Numbered("Output ", i));
    captionOutput[i]->setFont(PixelFont(QStringLiteral("Verdana"), 13));
    PaintBackground(captionOutput[i], CaptionColour);

    captionHigherValue[i] = Make<QGroupBox>(panel, qPrintable(Numbered("captionHigherValue", i)),
                                            QRect(8, 40, 158, 44), QStringLiteral("Higher value"));
    higherBox[i] = Box(captionHigherValue[i], qPrintable(Numbered("V", i, "_P2")), QRect(16, 16, 130, 21),
                       QStringLiteral("0"));
    captionLowerValue[i] = Make<QGroupBox>(panel, qPrintable(Numbered("captionLowerValue", i)),
                                           QRect(8, 96, 158, 44), QStringLiteral("Lower value"));
    lowerBox[i] = Box(captionLowerValue[i], qPrintable(Numbered("V", i, "_P1")), QRect(16, 16, 130, 21),
                      QStringLiteral("0"));
    captionConfiguraton[i] = Make<QGroupBox>(panel, qPrintable(Numbered("captionConfiguraton", i)),
                                             QRect(8, 152, 158, 44), QStringLiteral("Configuration"));
    comboBoxConfiguration[i] = Make<QComboBox>(captionConfiguraton[i], qPrintable(Numbered("comboBoxConfiguration", i)),
                                               QRect(16, 16, 130, 21));
    comboBoxConfiguration[i]->addItems({QString::fromUtf8("Vypnutý"), QStringLiteral("Komprese"),
                                        QString::fromUtf8("Odsávání"), QString::fromUtf8("Správný tlak"),
                                        QString::fromUtf8("Chybový tlak")});
    comboBoxConfiguration[i]->setCurrentIndex(-1);

    const int lampTop = i == 0 ? 10 : 8;
    const int lampHeight = i == 2 ? 26 : 24;
    AHMLed[i] = Make<QProgressBar>(panel, qPrintable(Numbered("AHMLed", i)), QRect(152, lampTop, 44, lampHeight));
    SpeakAsLamp(AHMLed[i]);
    AHMLed[i]->setRange(0, 1);
    AHMLed[i]->setValue(0);
    AHMLed[i]->setTextVisible(false);
    AHMLed[i]->setStyleSheet(QStringLiteral(
        "QProgressBar { background-color: black; border: 3px solid gray; }"
        "QProgressBar::chunk { background-color: lime; }"));
}

void TMainF::BuildMenu() {
    auto addAction = [](QMenu* menu, const char* name, const char* text) {
        QAction* action = menu->addAction(QString::fromLatin1(text));
        action->setObjectName(QLatin1String(name));
        return action;
    };
    menuApplication = menuBar()->addMenu(QStringLiteral("Aplikace"));
    menuApplication->setObjectName(QStringLiteral("menuApplication"));
    menuReadConfigurationFromDisk = addAction(menuApplication, "menuReadConfigurationFromDisk", "Load configuration");
    menuWriteconfigurationToDisk = addAction(menuApplication, "menuWriteconfigurationToDisk", "Save configuration");
    menuExit = addAction(menuApplication, "menuExit", "Exit");
    menuSettings = menuBar()->addMenu(QStringLiteral("Settings"));
    menuSettings->setObjectName(QStringLiteral("menuSettings"));
    menuLanguageSelection = addAction(menuSettings, "menuLanguageSelection", "Language selection...");
    menuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    menuHelp->setObjectName(QStringLiteral("menuHelp"));
    menuAbout = addAction(menuHelp, "menuAbout", "About...");
}

void TMainF::BuildStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(StatusBarHeight);
    StatusBar1->setSizeGripEnabled(false);
    // A permanent label, not showMessage(): menu hover tips must not wipe the text.
    statusPanel_ = new QLabel(QStringLiteral("Start..."), StatusBar1);
    statusPanel_->setObjectName(QStringLiteral("StatusBar1Panel"));
    StatusBar1->addWidget(statusPanel_, 1);
    setStatusBar(StatusBar1);
}

QString TMainF::StatusText() const { return statusPanel_->text(); }

void TMainF::SetStatusText(const QString& text) { statusPanel_->setText(text); }
