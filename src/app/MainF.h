// The main window: its controls, its working state and every handler bound to their events.
// The definition is split by concern over the MainF_*.cpp files; the computing lives in the
// Qt-free modules of config/, device/, polling/, files/ and lang/.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "app/UserDialogs.h"
#include "config/WorkingState.h"
#include "polling/TrendHistory.h"

class QtLanguage;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTimer;
class QWidget;
class TTrendWindow;
class THistoryWindow;
class TWindowHistory;

namespace platform {
class InstanceLock;
}
namespace device {
class TFix64;
}

class TMainF : public QMainWindow, public config::WorkingState {
public:
    // dialogs: where message boxes and file dialogs go; null for the real ones.
    explicit TMainF(std::unique_ptr<UserDialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~TMainF() override;

    // --- lifecycle
    void CmCreate();
    void CCmPoStartu();
    void CmExit();
    void cmClose();
    void menuAboutClick();

    // --- device requests and the poll
    bool ConnectDevice();
    // Sets outputState for one output and tells whether its lamp takes it.
    bool EvaluateOutput(float value, float lower, float higher, int32_t mode);
    void CmDeviceInfo();
    void CmVycist();
    void CmKonfigurace();
    void CmKorekce();
    void checkActualValueClick();
    void Timer1Timer();

    // --- measurement type and units
    void checkPressureClick();
    void checkHeightLiquidColumnClick();
    void CmPa();
    void CmkPa();
    void CmMPa();
    void Cmmbar();
    void Cmbar();
    void Cmpsi();
    void Cmmm();
    void Cmm();
    void CmInch();
    void EnablePressureUnits(bool enable);
    void EnableLengthUnits(bool enable);
    void RefreshDisplay();

    // --- entry checks
    void CmFilter11();
    void CmFilter12();
    void CmFilter21();
    void CmFilter22();
    void CmFilter31();
    void CmFilter32();
    void CmFilter41();
    void CmFilter42();
    void CmFilterR();
    void CmKeyPress(char16_t Key);

    // --- files and language
    void CmSave();
    void CmLoad();
    void menuLanguageSelectionClick();
    void ApplyWindowTexts();

    // --- the trend
    void menuTrendClick();
    // Adds the poll's sample to the trend: the value in Pa and the lamps as they show now.
    void AddTrendSample(float value);
    // The poll stopped (the link lost, or "Actual value" unticked): the trend breaks its line.
    void TrendPollStopped(polling::TrendEventKind why);
    // A mark on the trend's time axis (configuration written, zero correction, unit changed).
    void AddTrendEvent(polling::TrendEventKind kind);
    // The trend's time: ms since the Unix epoch, from trendClock when set.
    int64_t TrendNow() const;
    // The successful polls' samples, for the life of the process.
    polling::TrendHistory trendHistory;
    // The time of a sample in ms since the Unix epoch (tests put their own clock here).
    std::function<int64_t()> trendClock;
    TTrendWindow* trendWindow = nullptr;  // created when first opened, then hidden and shown

    // --- the commissioning history (MainF_history.cpp)
    void menuHistoryClick();
    void menuReportClick();
    TWindowHistory* windowHistory = nullptr;  // keeps the records of read, write and zero
    THistoryWindow* historyWindow = nullptr;  // created when first opened
    QAction* menuHistory = nullptr;           // View > History...
    QAction* menuReport = nullptr;            // File > Commissioning report...
    QWidget* reportDialog = nullptr;          // the report last shown
    QLabel* historyIndicator = nullptr;       // in the status bar, shown only while records are not kept

    void InitWorkingState();
    void LoadSettings();
    void SaveSettings();

    // Shows the live value in Aktualni and tells screen readers about it.
    void ShowLiveValue(const QString& text);
    // Qt's own texts in the chosen language.
    const QtLanguage& QtTexts() const { return *qtLanguage_; }

    // The simple text of the status bar's one panel.
    QString StatusText() const;
    void SetStatusText(const QString& text);

    UserDialogs& dialogs() { return *dialogs_; }

    // The one link to the transmitter, created by the first connection.
    std::unique_ptr<device::TFix64> deviceLink;
    // How the connection creates it (tests bind it to an in-process device).
    std::function<std::unique_ptr<device::TFix64>()> createDeviceLink;

    // --- controls (object names equal these member names)
    QWidget* panelLeft = nullptr;
    QPushButton* buttonDeviceInfo = nullptr;
    QPushButton* buttonreadConfiguration = nullptr;
    QPushButton* buttonWriteConfiguration = nullptr;
    QPushButton* buttonZeroCorrection = nullptr;
    QGroupBox* groupBoxTypeOfMeasurement = nullptr;
    QRadioButton* checkPressure = nullptr;
    QRadioButton* checkHeightLiquidColumn = nullptr;
    QGroupBox* captionPressureUnits = nullptr;
    QRadioButton* radioButtonPa = nullptr;
    QRadioButton* radioButtonkPa = nullptr;
    QRadioButton* radioButtonMPa = nullptr;
    QRadioButton* radioButtonMbar = nullptr;
    QRadioButton* radioButtonBar = nullptr;
    QRadioButton* radioButtonPsi = nullptr;
    QGroupBox* captionLengthUnits = nullptr;
    QRadioButton* radioButtonM = nullptr;
    QRadioButton* radioButtonInch = nullptr;
    QRadioButton* radioButtonMm = nullptr;
    QLabel* captionNominalRange = nullptr;
    QLineEdit* Rozsah = nullptr;
    QLabel* captionSpecificGravity = nullptr;
    QLineEdit* Ro = nullptr;

    QFrame* Panel4 = nullptr;
    QCheckBox* checkActualValue = nullptr;
    QLabel* Hvezdicka = nullptr;
    QLabel* Aktualni = nullptr;

    // Per output 1..4 (index 0..3).
    std::array<QFrame*, config::OutputCount> outputPanel{};
    std::array<QLabel*, config::OutputCount> captionOutput{};
    std::array<QGroupBox*, config::OutputCount> captionHigherValue{};
    std::array<QLineEdit*, config::OutputCount> higherBox{};  // V1_P2 .. V4_P2
    std::array<QGroupBox*, config::OutputCount> captionLowerValue{};
    std::array<QLineEdit*, config::OutputCount> lowerBox{};   // V1_P1 .. V4_P1
    std::array<QGroupBox*, config::OutputCount> captionConfiguraton{};
    std::array<QComboBox*, config::OutputCount> comboBoxConfiguration{};
    std::array<QProgressBar*, config::OutputCount> AHMLed{};

    QStatusBar* StatusBar1 = nullptr;
    QMenu* menuApplication = nullptr;
    QAction* menuReadConfigurationFromDisk = nullptr;
    QAction* menuWriteconfigurationToDisk = nullptr;
    QAction* menuExit = nullptr;
    QMenu* menuSettings = nullptr;
    QAction* menuLanguageSelection = nullptr;
    QMenu* menuView = nullptr;
    QAction* menuTrend = nullptr;
    QMenu* menuHelp = nullptr;
    QAction* menuAbout = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer3 = nullptr;
    FileDialogSettings OpenDialog1;
    FileDialogSettings SaveDialog1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void BuildLeftPanel();
    void BuildLivePanel();
    void BuildOutputPanel(size_t index, int left, int top);
    void BuildMenu();
    void BuildStatusBar();
    // Shortcuts of the menu items, F10 for the menu, radio groups entered at the checked button.
    void BuildKeyboardAccess();
    // The names screen readers read for the controls, in the language in force.
    void ApplyAccessibleNames();
    void BindEvents();
    // The history's menu item, indicator and records, after the settings are loaded.
    void SetUpHistory();
    void ApplyHistoryTexts();
    void ShowHistoryProblem();
    // The request scheme: marks the request; false when a poll runs and it has to wait.
    bool MarkRequest(int32_t code);
    // Runs the request marked while a poll ran, if any.
    void DispatchPendingRequest();
    // The link; raises as a silent device when there is no link yet.
    device::TFix64& Link();
    // Takes a read of the configuration into the working state and the boxes as it arrives.
    class ReadIntoWindow;
    // A message box with translated text and caption.
    BoxAnswer Say(std::u16string_view text, std::u16string_view caption, BoxButtons buttons = BoxButtons::Ok);
    // A message box with a text already made and a translated caption.
    BoxAnswer SayMade(const std::u16string& text, std::u16string_view caption, BoxButtons buttons = BoxButtons::Ok);
    // The specific gravity in the Ro box, read in the user's locale (raises when not a number).
    double SpecificGravityText() const;

    // The threshold exit handlers' common steps for the higher or lower box of an output.
    void CheckThreshold(size_t output, bool higher);
    // Puts the focus into a box without running the exit check of the box it leaves.
    void ReturnFocusTo(QWidget* box);

    // The measurement-type handlers' common steps.
    void ShowMeasurementType(bool pressure);
    // The unit handlers' common steps, by row of the unit tables.
    void SelectPressureUnit(int32_t index);
    void SelectLengthUnit(int32_t index);

    // A slot that runs handler through the error report.
    std::function<void()> Handler(void (TMainF::*handler)());
    void Guarded(const std::function<void()>& work);

    std::unique_ptr<UserDialogs> dialogs_;
    std::unique_ptr<QtLanguage> qtLanguage_;
    std::unique_ptr<platform::InstanceLock> instanceGuard_;
    QLabel* statusPanel_ = nullptr;
    int focusReturns_ = 0;  // while above 0, leaving a box runs no check
    bool centred_ = false;
};

// The one main window of the process (null before it is created and after it is destroyed).
extern TMainF* MainF;
