#include "app/ChooseLanguage.h"

#include <QListWidget>
#include <QPushButton>

#include "app/QtText.h"
#include "app/WindowLook.h"
#include "lang/Lang.h"
#include "lang/LanguageTable.h"

TformChooseLanguage* formChooseLanguage = nullptr;

TformChooseLanguage::TformChooseLanguage(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    formChooseLanguage = this;
    setObjectName(QStringLiteral("formChooseLanguage"));
    setWindowTitle(QStringLiteral("Choose language"));
    setModal(true);
    setFixedSize(184, 181);
    setFont(PixelFont(QStringLiteral("Segoe UI"), 12));

    listBoxLanguages = new QListWidget(this);
    listBoxLanguages->setObjectName(QStringLiteral("listBoxLanguages"));
    listBoxLanguages->setGeometry(8, 8, 168, 137);
    listBoxLanguages->setFont(PixelFont(QStringLiteral("Segoe UI"), 13));
    listBoxLanguages->setSelectionMode(QAbstractItemView::SingleSelection);
    listBoxLanguages->setUniformItemSizes(true);

    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(23, 151, 75, 25);
    buttonOk = new QPushButton(QStringLiteral("Ok"), this);
    buttonOk->setObjectName(QStringLiteral("buttonOk"));
    buttonOk->setGeometry(101, 151, 75, 25);
    // No default button: Enter chooses nothing, only a click or Space on a button does.
    for (QPushButton* button : {Button1, buttonOk}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(listBoxLanguages, buttonOk);
    setTabOrder(buttonOk, Button1);

    connect(buttonOk, &QPushButton::clicked, this, [this] { buttonOkClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { done(2); });

    CentreOnScreen(this);
}

TformChooseLanguage::~TformChooseLanguage() {
    if (formChooseLanguage == this) formChooseLanguage = nullptr;
}

int TformChooseLanguage::SelectLanguage() {
    {
        const QSignalBlocker bulkUpdate(listBoxLanguages);
        listBoxLanguages->clear();
        const lang::LanguageTable table = lang::ChooserTable();
        for (const std::u16string& name : table.names) {
            auto* item = new QListWidgetItem(Q(name), listBoxLanguages);
            item->setSizeHint(QSize(item->sizeHint().width(), 17));
        }
        listBoxLanguages->setCurrentRow(table.currentRow);
    }
    return exec();
}

void TformChooseLanguage::buttonOkClick() {
    const QList<QListWidgetItem*> selected = listBoxLanguages->selectedItems();
    if (!selected.isEmpty()) lang::Language = listBoxLanguages->row(selected.front());
    done(1);
}
