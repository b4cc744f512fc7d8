// The yardstick for start-up: a Qt window with the same controls as the main window and no
// logic behind them (no handlers, no timers, no guard, no settings).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

namespace {

QFont Font(const char* family, int pixels, bool bold = false) {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

template <typename T, typename... A>
T* Put(QWidget* parent, int x, int y, int w, int h, A&&... args) {
    auto* widget = new T(std::forward<A>(args)..., parent);
    widget->setGeometry(x, y, w, h);
    return widget;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setFont(Font("MS Sans Serif", 13));
    auto* client = new QWidget;
    client->setFixedSize(637, 640);
    window.setCentralWidget(client);

    auto* left = Put<QWidget>(client, 0, 0, 230, 640);
    QPixmap picture(24, 24);
    picture.fill(Qt::darkBlue);
    const char* buttons[] = {"Device Info", "Read configuration", "Write configuration", "Zero correction"};
    for (int i = 0; i < 4; ++i) {
        auto* b = Put<QPushButton>(left, 8, 18 + 39 * i, 200, 33, QString::fromLatin1(buttons[i]));
        b->setIcon(QIcon(picture));
        b->setIconSize(QSize(24, 24));
    }
    auto* type = Put<QGroupBox>(left, 10, 184, 198, 80, QStringLiteral("Type of measurement"));
    Put<QRadioButton>(type, 16, 24, 120, 17, QStringLiteral("Pressure"))->setFont(Font("MS Sans Serif", 11, true));
    Put<QRadioButton>(type, 16, 48, 220, 17, QStringLiteral("Height of the liquid column"))->setFont(Font("MS Sans Serif", 11, true));
    auto* pressure = Put<QGroupBox>(left, 8, 270, 200, 170, QStringLiteral("Pressure units"));
    for (const char* unit : {"Pa", "kPa", "MPa", "mbar", "bar", "psi"}) {
        static int row = 0;
        Put<QRadioButton>(pressure, 16, 24 + 24 * row++, 113, 17, QString::fromLatin1(unit))->setFont(Font("MS Sans Serif", 11, true));
    }
    auto* length = Put<QGroupBox>(left, 8, 444, 200, 96, QStringLiteral("Units of length"));
    for (int row = 0; row < 3; ++row)
        Put<QRadioButton>(length, 16, 24 + 24 * row, 113, 17, QString::fromLatin1(row == 0 ? "m" : row == 1 ? "inch" : "mm"))->setFont(Font("MS Sans Serif", 11, true));
    Put<QLabel>(left, 18, 546, 190, 16, QStringLiteral("Nominal range"));
    Put<QLineEdit>(left, 18, 562, 190, 24)->setEnabled(false);
    Put<QLabel>(left, 18, 590, 190, 16, QStringLiteral("Specific gravity[kg/m^3]"));
    Put<QLineEdit>(left, 18, 606, 190, 24, QStringLiteral("1000"));

    auto* live = Put<QFrame>(client, 231, 0, 403, 189);
    Put<QCheckBox>(live, 15, 18, 121, 17, QStringLiteral("Actual value"));
    Put<QLabel>(live, 389, 17, 17, 16, QStringLiteral("*"));
    auto* value = Put<QLabel>(live, 0, 89, 403, 100, QStringLiteral(".........."));
    value->setFont(Font("Verdana", 27));
    value->setStyleSheet(QStringLiteral("color: black; background-color: white;"));

    const int lefts[] = {232, 434, 232, 434}, tops[] = {191, 191, 416, 416};
    for (int i = 0; i < 4; ++i) {
        auto* panel = Put<QFrame>(client, lefts[i], tops[i], 200, 223);
        panel->setFont(Font("MS Sans Serif", 11, true));
        auto* caption = Put<QLabel>(panel, 8, 8, 158, 17, QStringLiteral("Output %1").arg(i + 1));
        caption->setStyleSheet(QStringLiteral("background-color: rgb(238, 238, 0);"));
        const char* groups[] = {"Higher value", "Lower value"};
        for (int g = 0; g < 2; ++g)
            Put<QLineEdit>(Put<QGroupBox>(panel, 8, 40 + 56 * g, 158, 44, QString::fromLatin1(groups[g])), 16, 16, 130, 21,
                           QStringLiteral("0"));
        auto* combo = Put<QComboBox>(Put<QGroupBox>(panel, 8, 152, 158, 44, QStringLiteral("Configuration")), 16, 16, 130, 21);
        combo->addItems({QStringLiteral("Off"), QStringLiteral("Compression"), QStringLiteral("Extraction"),
                         QStringLiteral("Correct value"), QStringLiteral("Error value")});
        auto* lamp = Put<QProgressBar>(panel, 152, 8, 44, 24);
        lamp->setRange(0, 1);
        lamp->setTextVisible(false);
        lamp->setStyleSheet(QStringLiteral("QProgressBar { background-color: black; border: 3px solid gray; }"
                                           "QProgressBar::chunk { background-color: lime; }"));
    }
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("Load configuration..."));
    file->addAction(QStringLiteral("Save configuration..."));
    file->addAction(QStringLiteral("Exit"));
    window.menuBar()->addMenu(QStringLiteral("Settings"))->addAction(QStringLiteral("Language selection..."));
    window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About..."));
    window.statusBar()->addWidget(new QLabel(QStringLiteral("Start...")), 1);
    window.setFixedSize(window.sizeHint());
    window.show();
    return QApplication::exec();
}
