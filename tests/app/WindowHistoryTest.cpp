// The window's commissioning records: what read, write and zero keep without a frame more, the
// indicator when the history cannot be written, and the History window.
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <fstream>

#include "app/HistoryWindow.h"
#include "app/ReportDialog.h"
#include <QTextBrowser>
#include <QThreadPool>
#include "lang/Utf16Ini.h"
#include "app/WindowHistory.h"
#include "ctl/ToolRunner.h"
#include "history/HistoryStore.h"
#include "support/DeviceWindowFixture.h"

namespace {

using namespace testsupport;

class WindowHistory : public ConnectedWindowFixture {
protected:
    // The records the window kept, newest first (the event loop hands them to the file).
    std::vector<history::Record> Records() {
        QCoreApplication::processEvents();
        std::string error;
        auto store = history::HistoryStore::Open(history::HistoryStore::DefaultPath(), error);
        EXPECT_TRUE(store) << error;
        std::vector<history::Record> records;
        if (store) {
            EXPECT_EQ(store->Query({}, records), "");
        }
        return records;
    }
    void PrepareWrite() {
        window().outputLower[0] = 25000;
        window().Ro->setText(QStringLiteral("998"));
    }
};

TEST_F(WindowHistory, ReadWriteAndZeroAreKeptWithoutAFrameMore) {
    std::vector<history::Record> records = Records();
    ASSERT_EQ(records.size(), 1u);  // the start-up read
    EXPECT_EQ(records[0].operation, history::Operation::Read);
    EXPECT_EQ(records[0].program, "kd4410");
    EXPECT_FALSE(records[0].serial);  // no device info asked yet
    ASSERT_TRUE(records[0].asFound);
    const float foundLower = records[0].asFound->outputs[0].lower;

    window().CmDeviceInfo();
    TakeExchanges();
    PrepareWrite();
    window().CmKonfigurace();
    EXPECT_EQ(TakeExchanges().size(), 4u);  // command 2, two writes, command 1: nothing added
    EXPECT_EQ(BoxTexts().back(), QStringLiteral("Configuration successfully written"));
    records = Records();
    ASSERT_EQ(records.size(), 2u);
    const history::Record& write = records[0];
    EXPECT_EQ(write.operation, history::Operation::Write);
    EXPECT_EQ(write.result, history::Result::Done);
    EXPECT_EQ(write.serial, std::optional<uint16_t>(12345));
    ASSERT_TRUE(write.asFound && write.asLeft && write.asFoundTimeUtcMs);
    EXPECT_EQ(write.asFound->outputs[0].lower, foundLower);
    EXPECT_EQ(write.asLeft->outputs[0].lower, 25000.0f);
    EXPECT_EQ(write.asLeft->specificGravity, 998.0f);
    EXPECT_LE(*write.asFoundTimeUtcMs, write.timeUtcMs);

    SetEepromFloat(config::eeZeroOffset, 50);
    ReportValues({120, 100});
    dialogs().AnswerNext(BoxAnswer::Ok);
    dialogs().AnswerNext(BoxAnswer::Yes);
    window().CmKorekce();
    EXPECT_EQ(TakeExchanges().size(), 7u);
    const history::Record zero = Records()[0];
    EXPECT_EQ(zero.operation, history::Operation::ZeroCorrection);
    EXPECT_EQ(zero.zeroOffsetBefore, 50.0f);
    EXPECT_EQ(zero.zeroOffsetAfter, -50.0f);
    EXPECT_EQ(zero.zeroError, 110.0f);
    EXPECT_FALSE(window().historyIndicator->isVisible());
}

TEST_F(WindowHistory, EachFailedStepIsKept) {
    struct Case {
        void (TMainF::*handler)();
        size_t answeredBeforeSilence;
        history::Operation operation;
        const char* step;
    };
    const Case cases[] = {
        {&TMainF::CmVycist, 1, history::Operation::Read, "the read: the nominal range and specific gravity"},
        {&TMainF::CmVycist, 3, history::Operation::Read, "the read: output 1 lower value"},
        {&TMainF::CmKonfigurace, 1, history::Operation::Write, "the write: specific gravity and outputs 1-4 not verified"},
        {&TMainF::CmKonfigurace, 2, history::Operation::Write, "the write: specific gravity written, outputs 1-4 not verified"},
        {&TMainF::CmKorekce, 1, history::Operation::ZeroCorrection, "the measurement"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        silentAfter = answered + c.answeredBeforeSilence;
        dialogs().AnswerNext(BoxAnswer::Ok);
        (window().*c.handler)();
        silentAfter.reset();
        const history::Record r = Records()[0];
        EXPECT_EQ(r.operation, c.operation);
        EXPECT_EQ(r.result, history::Result::Failed);
        EXPECT_EQ(r.failedStep, c.step);
    }
}

TEST_F(WindowHistory, AHistoryThatCannotBeWrittenShowsTheIndicatorAndChangesNothingElse) {
    Records();
    const std::string path = history::HistoryStore::DefaultPath();
    std::filesystem::remove(path + "-wal");
    std::filesystem::remove(path + "-shm");
    const std::string damaged(5000, '\x42');
    // A fresh window finds the damaged file.
    std::filesystem::remove(path);
    std::ofstream(path, std::ios::binary) << damaged;
    CreateWindow();
    BindWindow();
    window().isPressure = true;
    StartUp();
    dialogs().boxes.clear();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window().historyIndicator->isHidden());
    EXPECT_EQ(window().historyIndicator->text(), QStringLiteral("History not kept"));
    EXPECT_NE(window().historyIndicator->toolTip().indexOf(QStringLiteral("left as it is")), -1);
    EXPECT_EQ(window().StatusText(), QString());

    PrepareWrite();
    window().CmKonfigurace();
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].text, QStringLiteral("Configuration successfully written"));
    EXPECT_EQ(Slurp(path), damaged);
}

TEST_F(WindowHistory, TheHistoryWindowMarksChangesAndEditsTagAndNoteInCzech) {
    UseShippedLanguage(1);
    window().ApplyWindowTexts();
    PrepareWrite();
    window().CmKonfigurace();
    Records();
    window().menuHistoryClick();
    THistoryWindow& w = *window().historyWindow;
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Historie"));
    EXPECT_EQ(window().menuHistory->text(), QStringLiteral("Historie..."));
    ASSERT_EQ(w.records->rowCount(), 2);
    EXPECT_EQ(w.details->horizontalHeaderItem(1)->text(), QStringLiteral("Nalezeno"));
    // The changed fields, and only they, are bold.
    int bold = 0;
    QString changedField;
    for (int row = 0; row < w.details->rowCount(); ++row)
        if (w.details->item(row, 0)->font().bold()) {
            ++bold;
            changedField = w.details->item(row, 0)->text();
        }
    EXPECT_GE(bold, 1);
    EXPECT_NE(changedField, QString());

    w.tagBox->setText(QStringLiteral("PT-101"));
    w.noteBox->setText(QStringLiteral("po opravě"));
    w.saveButton->click();
    const history::Record latest = Records()[0];
    EXPECT_EQ(latest.tag, "PT-101");
    EXPECT_EQ(latest.note, "po opravě");
    EXPECT_EQ(w.records->item(0, 4)->text(), QStringLiteral("PT-101"));

    w.serialFilter->setText(QStringLiteral("999"));
    w.refreshButton->click();
    EXPECT_EQ(w.records->rowCount(), 0);
}

}  // namespace

namespace {

using namespace testsupport;

class WindowReport : public WindowHistory {};

TEST_F(WindowReport, FileCommissioningReportPreviewsAndSavesTheAttachedTransmittersReport) {
    window().CmDeviceInfo();  // the records know the transmitter from here on
    PrepareWrite();
    window().CmKonfigurace();
    Records();
    dialogs().boxes.clear();
    TakeExchanges();
    window().menuReportClick();
    EXPECT_TRUE(TakeExchanges().empty());
    ASSERT_NE(window().reportDialog, nullptr);
    auto* dialog = static_cast<TReportDialog*>(window().reportDialog);
    EXPECT_FALSE(dialog->isModal());
    const QString preview = dialog->preview->toPlainText();
    EXPECT_NE(preview.indexOf(QStringLiteral("12345")), -1);
    EXPECT_NE(preview.indexOf(QStringLiteral("25.000 kPa")), -1) << preview.toStdString();
    const std::string pdf = user.folder() / "report.pdf";
    EXPECT_EQ(dialog->SaveTo(pdf), "");
    EXPECT_EQ(Slurp(pdf).substr(0, 5), "%PDF-");
    EXPECT_NE(dialog->SaveTo(user.folder() / "missing/report.pdf"), "");
    EXPECT_TRUE(dialogs().boxes.empty());
}

TEST_F(WindowReport, ANotYetKnownSerialNumberIsAskedForOnce) {
    TakeExchanges();
    window().menuReportClick();  // records without a serial number make no report
    EXPECT_EQ(TakeExchanges().size(), 1u);  // the serial number, as Device Info reads it
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(window().windowHistory->serial(), std::optional<uint16_t>(12345));
    window().menuReportClick();
    EXPECT_TRUE(TakeExchanges().empty());
}

TEST_F(WindowReport, WithoutRecordsOfTheTransmitterItSaysSo) {
    std::filesystem::remove(history::HistoryStore::DefaultPath());
    std::filesystem::remove(history::HistoryStore::DefaultPath() + "-wal");
    std::filesystem::remove(history::HistoryStore::DefaultPath() + "-shm");
    CreateWindow();
    BindWindow();
    window().menuReportClick();  // not connected: no serial number, no records
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].text, QStringLiteral("The history holds no read or write of this transmitter"));
    EXPECT_EQ(window().reportDialog, nullptr);
}

}  // namespace

namespace {

using namespace testsupport;

// A plant database that cannot be had: the window's records stay local, the write goes on as
// ever, and the indicator says so once the background send has given up.
TEST_F(WindowHistory, APlantDatabaseThatCannotBeReachedShowsOnTheIndicatorOnly) {
    const std::string folder = user.folder() / "config/KD4410 User Software";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/kd4410.uni", std::ios::binary)
        << "\xFF\xFE" << lang::EncodeUtf16Le(u"[History]\r\nDatabase=postgresql://nobody@127.0.0.1:1/none\r\n");
    CreateWindow();
    BindWindow();
    window().isPressure = true;
    StartUp();
    dialogs().boxes.clear();
    PrepareWrite();
    window().CmKonfigurace();
    ASSERT_EQ(dialogs().boxes.size(), 1u);
    EXPECT_EQ(dialogs().boxes[0].text, QStringLiteral("Configuration successfully written"));
    QCoreApplication::processEvents();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window().historyIndicator->isHidden());
    EXPECT_NE(window().historyIndicator->toolTip().indexOf(QStringLiteral("plant database")), -1)
        << window().historyIndicator->toolTip().toStdString();
    EXPECT_EQ(Records().size(), 3u);  // both windows' start-up reads and the write, kept locally
}

}  // namespace

namespace {

using namespace testsupport;

TEST_F(WindowHistory, ARecordWaitingForTheEventLoopIsKeptWhenTheWindowCloses) {
    PrepareWrite();
    window().CmKonfigurace();
    CreateWindow();  // the first window goes before its event loop ran again
    std::string error;
    auto store = history::HistoryStore::Open(history::HistoryStore::DefaultPath(), error);
    ASSERT_TRUE(store) << error;
    std::vector<history::Record> records;
    ASSERT_EQ(store->Query({}, records), "");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].operation, history::Operation::Write);
}

}  // namespace
