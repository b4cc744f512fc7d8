// How the windows read in every language and on any desktop: exact titles, captions that fit
// their controls, readable colours under a dark palette, and Qt's own texts in the language.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/Oprog.h"
#include "app/QtLanguage.h"
#include "app/WindowLook.h"
#include "app/ChooseLanguage.h"
#include "support/WindowFixture.h"

namespace {

class WindowLook : public testsupport::WindowFixture {
protected:
    // The main window, the About box and the chooser, created in the language given.
    void CreateWindowsIn(int32_t language) {
        chooser_.reset();  // children of the window: they go first
        about_.reset();
        CreateWindow();
        UseShippedLanguage(language);
        window().ApplyWindowTexts();
        about_ = std::make_unique<TOProgramu>(&window());
        chooser_ = std::make_unique<TformChooseLanguage>(&window());
    }
    void TearDown() override {
        chooser_.reset();
        about_.reset();
        WindowFixture::TearDown();
    }
    std::vector<QWidget*> Windows() { return {&window(), about_.get(), chooser_.get()}; }

    std::unique_ptr<TOProgramu> about_;
    std::unique_ptr<TformChooseLanguage> chooser_;
};

// The width of a control that its parent leaves visible.
int VisibleWidth(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    int right = control->geometry().right() + 1;
    if (parent != nullptr && !control->isWindow()) {
        // A frame or group box keeps a border of its own around its children.
        const int border = qobject_cast<const QGroupBox*>(parent) || qobject_cast<const QFrame*>(parent) ? 1 : 0;
        right = std::min(right, parent->width() - border);
    }
    return right - control->x();
}

struct Need {
    QString text;
    int needed = 0;
};

// What the control's caption needs, measured with the control's own font and style.
std::optional<Need> CaptionNeed(QWidget* w) {
    const QFontMetrics metrics(w->font());
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty()) return std::nullopt;
        return Need{label->text(), metrics.horizontalAdvance(label->text()) + 2 * label->margin()};
    }
    if (auto* box = qobject_cast<QGroupBox*>(w)) {
        // The title starts a few pixels in from the frame and needs as much room after it.
        return Need{box->title(), metrics.horizontalAdvance(box->title()) + 2 * 8};
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QString widest;
        for (int i = 0; i < combo->count(); ++i)
            if (metrics.horizontalAdvance(combo->itemText(i)) > metrics.horizontalAdvance(widest)) widest = combo->itemText(i);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return Need{widest, combo->sizeHint().width()};
    }
    if (auto* list = qobject_cast<QListWidget*>(w)) {
        QString widest;
        for (int i = 0; i < list->count(); ++i)
            if (metrics.horizontalAdvance(list->item(i)->text()) > metrics.horizontalAdvance(widest)) widest = list->item(i)->text();
        return Need{widest, metrics.horizontalAdvance(widest) + 2 * list->frameWidth() + 8};
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        // Text and picture between the button's frame and margins (its size hint adds a
        // minimum width of the style's, which is no need of the caption).
        const QStyle* style = button->style();
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return Need{button->text(), metrics.horizontalAdvance(button->text()) + icon +
                                        2 * (style->pixelMetric(QStyle::PM_ButtonMargin) / 2 +
                                             style->pixelMetric(QStyle::PM_DefaultFrameWidth))};
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text().isEmpty()) return std::nullopt;
        return Need{button->text(), button->sizeHint().width()};
    }
    return std::nullopt;
}

TEST_F(WindowLook, EveryCaptionFitsItsControlInEnglishCzechAndGerman) {
    for (int32_t language : {0, 1, 2}) {
        CreateWindowsIn(language);
        chooser_->listBoxLanguages->addItems({QStringLiteral("English"), QString::fromUtf8("Čeština"), QStringLiteral("Deutsch")});
        for (QWidget* top : Windows()) {
            for (QWidget* control : top->findChildren<QWidget*>()) {
                if (control->parentWidget() == nullptr || control->window() != top) continue;
                if (qobject_cast<QLabel*>(control) && control->parentWidget()->inherits("QStatusBar")) continue;
                const std::optional<Need> need = CaptionNeed(control);
                if (!need) continue;
                EXPECT_LE(need->needed, VisibleWidth(control))
                    << "language " << language << ": " << control->objectName().toStdString() << " \""
                    << need->text.toStdString() << "\" in " << control->font().family().toStdString() << " ("
                    << QFontInfo(control->font()).family().toStdString() << ")";
            }
        }
    }
}

TEST_F(WindowLook, TheDesignFacesAreShownInFacesOfMatchingMetrics) {
    EXPECT_EQ(QFontInfo(SansSerifFont(13)).family(), QStringLiteral("Liberation Sans"))
        << "package fonts-liberation2 is needed";
    EXPECT_EQ(QFontInfo(PixelFont(QStringLiteral("Verdana"), 13)).family(), QStringLiteral("DejaVu Sans"));
    // The live value in its widest form fits the value panel.
    CreateWindowsIn(0);
    const QFontMetrics metrics(window().Aktualni->font());
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("-100000.000 mbar")), window().Aktualni->width());
}

// The colour behind a widget: its own or that of the nearest ancestor that paints one.
QColor BackgroundOf(QWidget* w) {
    for (QWidget* at = w; at != nullptr; at = at->parentWidget()) {
        at->ensurePolished();
        if (at->autoFillBackground() || at->styleSheet().contains(QLatin1String("background"))) return at->palette().color(QPalette::Window);
        if (at->isWindow()) return at->palette().color(QPalette::Window);
    }
    return QApplication::palette().color(QPalette::Window);
}

QPalette DarkDesktop() {
    QPalette dark(QColor(53, 53, 53));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(238, 238, 238));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(238, 238, 238));
    dark.setColor(QPalette::Button, QColor(60, 60, 60));
    dark.setColor(QPalette::ButtonText, QColor(238, 238, 238));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(150, 150, 150));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    return dark;
}

TEST_F(WindowLook, EveryTextKeepsItsContrastOnALightAndOnADarkDesktop) {
    const QPalette desktop = QApplication::palette();
    for (const QPalette& palette : {desktop, DarkDesktop()}) {
        QApplication::setPalette(palette);
        CreateWindowsIn(0);
        for (QWidget* top : {static_cast<QWidget*>(&window()), static_cast<QWidget*>(about_.get())}) {
            for (QWidget* w : top->findChildren<QWidget*>()) {
                w->ensurePolished();
                const QPalette::ColorGroup group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
                QColor text, background;
                if (qobject_cast<QLineEdit*>(w) && w->isEnabled()) {
                    text = w->palette().color(group, QPalette::Text);
                    background = w->palette().color(group, QPalette::Base);
                } else if (qobject_cast<QPushButton*>(w) || qobject_cast<QComboBox*>(w)) {
                    text = w->palette().color(group, QPalette::ButtonText);
                    background = w->palette().color(group, QPalette::Button);
                } else if (qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w) || qobject_cast<QRadioButton*>(w) ||
                           qobject_cast<QCheckBox*>(w)) {
                    if (w->parentWidget() != nullptr && w->parentWidget()->inherits("QStatusBar")) continue;
                    text = w->palette().color(group, QPalette::WindowText);
                    background = BackgroundOf(w);
                } else {
                    continue;
                }
                EXPECT_GE(ContrastRatio(text, background), 4.5)
                    << w->objectName().toStdString() << ": " << text.name().toStdString() << " on "
                    << background.name().toStdString() << (palette == desktop ? " (light)" : " (dark)");
            }
        }
        about_.reset();
        chooser_.reset();
    }
    QApplication::setPalette(desktop);
}

TEST(Contrast, FollowsTheLuminanceRatio) {
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::white, Qt::white), 1.0);
    EXPECT_NEAR(ContrastRatio(QColor(118, 118, 118), Qt::white), 4.54, 0.01);
}

TEST_F(WindowLook, TitlesAreExactlyTheCaptionsInEveryLanguage) {
    CreateWindowsIn(1);
    EXPECT_EQ(window().windowTitle(), QString::fromUtf8("KD4410 – uživatelský software"));
    EXPECT_EQ(about_->windowTitle(), QStringLiteral("O programu..."));
    EXPECT_EQ(chooser_->windowTitle(), QStringLiteral("Choose language"));
    // No application display name, which Qt would add to every title on the desktop.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

TEST(QtLanguageTable, MapsTheIndexCodesAndKeepsEnglishForTheRest) {
    EXPECT_EQ(QtLocaleOfShort(u"CZ"), QStringLiteral("cs"));
    EXPECT_EQ(QtLocaleOfShort(u"de"), QStringLiteral("de"));
    EXPECT_EQ(QtLocaleOfShort(u"UK"), QString());
    EXPECT_EQ(QtLocaleOfShort(u"EN"), QString());
    EXPECT_EQ(QtLocaleOfShort(u"XX"), QString());
    EXPECT_EQ(QtLocaleOfShort(u""), QString());
}

// The texts of a Yes/No box as QtUserDialogs shows it.
std::pair<QString, QStringList> ShownBox(const QString& caption) {
    QString title;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        title = box->windowTitle();
        for (QAbstractButton* button : box->buttons()) buttons << button->text().remove(u'&');
        box->done(QMessageBox::No);
    });
    QtUserDialogs().ShowMessage(nullptr, QStringLiteral("text"), caption, BoxButtons::YesNo);
    buttons.sort();
    return {title, buttons};
}

TEST_F(WindowLook, QtsOwnTextsFollowTheChosenLanguage) {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_cs.qm")))
        GTEST_SKIP() << "Qt's translations are not installed (package qt6-translations-l10n)";
    UseShippedLanguage(1);
    window().ApplyWindowTexts();
    EXPECT_EQ(window().QtTexts().Locale(), QStringLiteral("cs"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Zrušit"));
    const auto [title, buttons] = ShownBox(QStringLiteral("Chyba"));
    EXPECT_EQ(title, QStringLiteral("Chyba"));
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Ano"), QStringLiteral("Ne")}));

    // After a change to German, then to English, Qt's texts follow.
    lang::Language = 2;
    window().ApplyWindowTexts();
    EXPECT_EQ(window().QtTexts().Locale(), QStringLiteral("de"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    lang::Language = 0;
    window().ApplyWindowTexts();
    EXPECT_EQ(window().QtTexts().Locale(), QString());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));

    // The translator goes with its holder.
    {
        QtLanguage czech;
        czech.Follow(u"CZ");
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Zrušit"));
    }
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

}  // namespace
