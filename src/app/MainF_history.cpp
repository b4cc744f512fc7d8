// The commissioning history in the window: the menu item View > History..., the indicator that
// shows while records are not kept, and the History window.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "app/HistoryWindow.h"
#include "app/MainF.h"
#include "app/QtText.h"
#include "app/ReportDialog.h"
#include "app/WindowHistory.h"
#include "files/Settings.h"
#include "history/Report.h"
#include "platform/Text.h"
#include "polling/Link.h"
#include "lang/Lang.h"
#include "lang/Texts.h"

void TMainF::SetUpHistory() {
    windowHistory = new TWindowHistory(history::HistoryStore::DefaultPath(), files::LoadPlantDatabaseUrl, this);
    windowHistory->changed = [this] {
        ShowHistoryProblem();
        if (historyWindow != nullptr && historyWindow->isVisible()) historyWindow->Refresh();
    };
    menuHistory = menuView->addAction(QStringLiteral("History..."));
    menuHistory->setObjectName(QStringLiteral("menuHistory"));
    connect(menuHistory, &QAction::triggered, this, Handler(&TMainF::menuHistoryClick));
    menuReport = new QAction(QStringLiteral("Commissioning report..."), this);
    menuReport->setObjectName(QStringLiteral("menuReport"));
    menuApplication->insertAction(menuExit, menuReport);
    connect(menuReport, &QAction::triggered, this, Handler(&TMainF::menuReportClick));
    historyIndicator = new QLabel(StatusBar1);
    historyIndicator->setObjectName(QStringLiteral("historyIndicator"));
    historyIndicator->setStyleSheet(QStringLiteral("color: #b00000;"));
    historyIndicator->hide();
    StatusBar1->addPermanentWidget(historyIndicator);
}

void TMainF::ApplyHistoryTexts() {
    if (menuHistory == nullptr) return;
    menuHistory->setText(Q(lang::TranslateWithEllipsis(text::History)));
    menuReport->setText(Q(lang::TranslateWithEllipsis(text::CommissioningReport)));
    historyIndicator->setText(Q(lang::Translate(text::HistoryNotKept)));
    if (historyWindow != nullptr) historyWindow->ApplyTexts();
}

void TMainF::ShowHistoryProblem() {
    const std::string problem = windowHistory->problem();
    historyIndicator->setToolTip(QString::fromStdString(problem));
    historyIndicator->setVisible(!problem.empty());
}

void TMainF::menuHistoryClick() {
    if (historyWindow == nullptr) historyWindow = new THistoryWindow(*windowHistory, this);
    historyWindow->Refresh();
    historyWindow->show();
    historyWindow->raise();
    historyWindow->activateWindow();
}

void TMainF::menuReportClick() {
    // The transmitter attached: the serial number Device Info showed, else asked for now (only
    // between polls and requests, as any request of the operator's).
    std::optional<uint16_t> serial = windowHistory->serial();
    if (!serial && !pollBusy && !requestPending) {
        try {
            serial = polling::ReadSerialNumber(Link(), 0);
            windowHistory->SerialKnown(*serial);
        } catch (...) {
        }
    }
    std::vector<history::Record> records;
    std::string error;
    if (serial) {
        if (history::HistoryStore* store = windowHistory->recorder().Store(error))
            error = store->Query({*serial, std::nullopt, 0}, records);
    }
    const std::optional<history::ReportContent> content = history::ChooseReportContent(records);
    if (!content) {
        const QString why = error.empty() ? Q(lang::Translate(text::NoRecordsOfTransmitter)) : QString::fromStdString(error);
        dialogs().ShowMessage(this, why, Q(lang::Translate(text::Message)), BoxButtons::Ok);
        return;
    }
    const std::string html = history::ReportHtml(
        *content, {displayFactor, displayDecimals, platform::ToUtf8(displayUnit)});
    delete reportDialog;
    auto* dialog = new TReportDialog(*this, html, content->serial);
    reportDialog = dialog;
    dialog->show();
}
