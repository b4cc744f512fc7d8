// The commissioning history in the window: the menu item View > History..., the indicator that
// shows while records are not kept, and the History window.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include "app/HistoryWindow.h"
#include "app/MainF.h"
#include "app/QtText.h"
#include "app/WindowHistory.h"
#include "files/Settings.h"
#include "lang/Lang.h"
#include "lang/Texts.h"

void TMainF::SetUpHistory() {
    windowHistory = new TWindowHistory(history::HistoryStore::DefaultPath(), files::LoadPlantDatabaseUrl(), this);
    windowHistory->changed = [this] {
        ShowHistoryProblem();
        if (historyWindow != nullptr && historyWindow->isVisible()) historyWindow->Refresh();
    };
    menuHistory = menuView->addAction(QStringLiteral("History..."));
    menuHistory->setObjectName(QStringLiteral("menuHistory"));
    connect(menuHistory, &QAction::triggered, this, Handler(&TMainF::menuHistoryClick));
    historyIndicator = new QLabel(StatusBar1);
    historyIndicator->setObjectName(QStringLiteral("historyIndicator"));
    historyIndicator->setStyleSheet(QStringLiteral("color: #b00000;"));
    historyIndicator->hide();
    StatusBar1->addPermanentWidget(historyIndicator);
}

void TMainF::ApplyHistoryTexts() {
    if (menuHistory == nullptr) return;
    menuHistory->setText(Q(lang::TranslateWithEllipsis(text::History)));
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
