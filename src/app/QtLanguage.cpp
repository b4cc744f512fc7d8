#include "app/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/QtText.h"

QString QtLocaleOfShort(std::u16string_view shortCode) {
    // The index names languages by country-like codes; Qt's files are named by language.
    struct Entry { const char16_t* code; const char* locale; };
    static constexpr Entry table[] = {
        {u"CZ", "cs"}, {u"CS", "cs"}, {u"DE", "de"}, {u"SK", "sk"}, {u"PL", "pl"}, {u"HU", "hu"},
        {u"FR", "fr"}, {u"ES", "es"}, {u"IT", "it"}, {u"RU", "ru"}, {u"UA", "uk"}, {u"NL", "nl"},
    };
    const QString code = Q(shortCode).trimmed().toUpper();
    for (const Entry& entry : table)
        if (code == Q(entry.code)) return QString::fromLatin1(entry.locale);
    return QString();
}

QtLanguage::QtLanguage() : translator_(std::make_unique<QTranslator>()) {}

QtLanguage::~QtLanguage() {
    if (installed_) QCoreApplication::removeTranslator(translator_.get());
}

void QtLanguage::Follow(std::u16string_view shortCode) {
    if (installed_) QCoreApplication::removeTranslator(translator_.get());
    installed_ = false;
    locale_ = QtLocaleOfShort(shortCode);
    if (locale_.isEmpty()) return;
    // qt_<lang>.qm gathers Qt's modules (qtbase_<lang>.qm among them).
    if (translator_->load(QStringLiteral("qt_") + locale_, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installed_ = QCoreApplication::installTranslator(translator_.get());
    if (!installed_) locale_.clear();  // not installed: Qt's texts stay English
}
