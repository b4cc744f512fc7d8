#include "app/HistoryWindow.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/QtText.h"
#include "app/WindowHistory.h"
#include "history/Changes.h"
#include "history/RecordJson.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

namespace {

QString T(std::u16string_view english) { return Q(lang::Translate(english)); }
QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QString OperationText(history::Operation operation) {
    switch (operation) {
        case history::Operation::Read: return T(text::ReadConfiguration);
        case history::Operation::Write: return T(text::WriteConfiguration);
        case history::Operation::ZeroCorrection: return T(text::ZeroCorrection);
    }
    return {};
}

QString ResultText(const history::Record& r) {
    switch (r.result) {
        case history::Result::Done: return T(text::ResultDone);
        case history::Result::Verified: return T(text::ResultVerified);
        case history::Result::Failed: return T(text::ResultFailed);
    }
    return {};
}

QString FieldName(size_t index) {
    if (index == 0) return T(text::NominalRange);
    if (index == 1) return T(text::SpecificGravity);
    const size_t output = (index - 2) / 3 + 1;
    static constexpr std::u16string_view parts[] = {text::Configuration, text::LowerValue, text::HigherValue};
    return T(text::Output) + u' ' + QString::number(output) + u' ' + T(parts[(index - 2) % 3]);
}

QString FieldValue(const history::Field& field) {
    switch (field.kind) {
        case history::FieldKind::Pressure: return Utf8(platform::FormatFixed(field.value, 1)) + QStringLiteral(" Pa");
        case history::FieldKind::Gravity: return Utf8(platform::FormatFixed(field.value, 1)) + QStringLiteral(" kg/m^3");
        case history::FieldKind::Mode: {
            static constexpr std::u16string_view modes[] = {text::ModeOff, text::ModeCompression, text::ModeExtraction,
                                                            text::ModeCorrectValue, text::ModeErrorValue};
            const int mode = static_cast<int>(field.value);
            return mode >= 0 && mode < 5 ? T(modes[mode]) : QString::number(mode);
        }
    }
    return {};
}

QString Pa(const std::optional<float>& value) {
    return value ? Utf8(platform::FormatFixed(*value, 1)) + QStringLiteral(" Pa") : T(text::Unknown);
}

}  // namespace

THistoryWindow::THistoryWindow(TWindowHistory& history, QWidget* parent)
    : QWidget(parent, Qt::Window), history_(history) {
    setObjectName(QStringLiteral("historyWindow"));
    resize(860, 560);
    auto* filter = new QHBoxLayout;
    captionSerial = new QLabel(this);
    serialFilter = new QLineEdit(this);
    serialFilter->setObjectName(QStringLiteral("serialFilter"));
    serialFilter->setMaxLength(5);
    sinceEnabled = new QCheckBox(this);
    sinceEnabled->setObjectName(QStringLiteral("sinceEnabled"));
    sinceDate = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    sinceDate->setObjectName(QStringLiteral("sinceDate"));
    sinceDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    sinceDate->setCalendarPopup(true);
    refreshButton = new QPushButton(this);
    refreshButton->setObjectName(QStringLiteral("refreshButton"));
    for (QWidget* w : std::initializer_list<QWidget*>{captionSerial, serialFilter, sinceEnabled, sinceDate, refreshButton})
        filter->addWidget(w);
    filter->addStretch(1);

    records = new QTableWidget(0, 5, this);
    records->setObjectName(QStringLiteral("records"));
    records->setSelectionBehavior(QAbstractItemView::SelectRows);
    records->setSelectionMode(QAbstractItemView::SingleSelection);
    records->setEditTriggers(QAbstractItemView::NoEditTriggers);
    records->horizontalHeader()->setStretchLastSection(true);
    records->verticalHeader()->hide();
    details = new QTableWidget(0, 3, this);
    details->setObjectName(QStringLiteral("details"));
    details->setEditTriggers(QAbstractItemView::NoEditTriggers);
    details->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    details->verticalHeader()->hide();

    auto* edit = new QHBoxLayout;
    captionTag = new QLabel(this);
    tagBox = new QLineEdit(this);
    tagBox->setObjectName(QStringLiteral("tagBox"));
    captionNote = new QLabel(this);
    noteBox = new QLineEdit(this);
    noteBox->setObjectName(QStringLiteral("noteBox"));
    saveButton = new QPushButton(this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    edit->addWidget(captionTag);
    edit->addWidget(tagBox, 1);
    edit->addWidget(captionNote);
    edit->addWidget(noteBox, 2);
    edit->addWidget(saveButton);

    problemLabel = new QLabel(this);
    problemLabel->setObjectName(QStringLiteral("problemLabel"));
    problemLabel->setWordWrap(true);
    problemLabel->setStyleSheet(QStringLiteral("color: #b00000;"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(records, 3);
    layout->addWidget(details, 4);
    layout->addLayout(edit);
    layout->addWidget(problemLabel);

    connect(refreshButton, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(serialFilter, &QLineEdit::returnPressed, this, [this] { Refresh(); });
    connect(sinceEnabled, &QCheckBox::toggled, this, [this] { Refresh(); });
    connect(sinceDate, &QDateEdit::dateChanged, this, [this] {
        if (sinceEnabled->isChecked()) Refresh();
    });
    connect(records, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelected(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { SaveTagAndNote(); });
    ApplyTexts();
}

void THistoryWindow::ApplyTexts() {
    setWindowTitle(T(text::History));
    captionSerial->setText(T(text::SerialNumber) + u':');
    sinceEnabled->setText(T(text::Since));
    refreshButton->setText(T(text::Refresh));
    records->setHorizontalHeaderLabels({T(text::Time), T(text::SerialNumber), T(text::Operation), T(text::Result),
                                        T(text::Tag)});
    details->setHorizontalHeaderLabels({T(text::Field), T(text::AsFound), T(text::AsLeft)});
    captionTag->setText(T(text::Tag) + u':');
    captionNote->setText(T(text::Note) + u':');
    saveButton->setText(T(text::SaveTagAndNote));
    Refresh();
}

void THistoryWindow::Refresh() {
    history::Filter filter;
    bool ok = false;
    const uint serial = serialFilter->text().trimmed().toUInt(&ok);
    if (ok && serial <= 0xFFFF) filter.serial = static_cast<uint16_t>(serial);
    if (sinceEnabled->isChecked())
        filter.sinceUtcMs = history::ParseTime(sinceDate->date().toString(Qt::ISODate).toStdString());
    filter.limit = 1000;
    shown_.clear();
    std::string error;
    history::HistoryStore* store = history_.recorder().Store(error);
    if (store != nullptr) error = store->Query(filter, shown_);
    std::string problem = history_.problem();
    if (!error.empty()) problem = error;
    problemLabel->setText(Utf8(problem));
    problemLabel->setVisible(!problem.empty());

    records->setRowCount(static_cast<int>(shown_.size()));
    for (size_t i = 0; i < shown_.size(); ++i) {
        const history::Record& r = shown_[i];
        const QString cells[] = {Utf8(history::ShortTime(r.timeUtcMs, r.utcOffsetMinutes)),
                                 r.serial ? QString::number(*r.serial) : T(text::Unknown), OperationText(r.operation),
                                 ResultText(r), Utf8(r.tag)};
        for (int c = 0; c < 5; ++c) records->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
    }
    records->resizeColumnsToContents();
    if (!shown_.empty()) records->selectRow(0);
    else ShowSelected();
}

void THistoryWindow::ShowSelected() {
    details->setRowCount(0);
    const int row = records->currentRow();
    const bool chosen = row >= 0 && row < static_cast<int>(shown_.size());
    tagBox->setEnabled(chosen);
    noteBox->setEnabled(chosen);
    saveButton->setEnabled(chosen);
    if (!chosen) {
        tagBox->clear();
        noteBox->clear();
        return;
    }
    const history::Record& r = shown_[static_cast<size_t>(row)];
    tagBox->setText(Utf8(r.tag));
    noteBox->setText(Utf8(r.note));
    auto add = [this](const QString& field, const QString& found, const QString& left, bool changed) {
        const int at = details->rowCount();
        details->insertRow(at);
        const QString cells[] = {field, found, left};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (changed) {  // the changed fields stand out
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setBackground(QColor(255, 236, 160));
            }
            details->setItem(at, c, item);
        }
    };
    add(T(text::Result), {}, ResultText(r) + (r.failedStep.empty() ? QString() : QStringLiteral(": ") + Utf8(r.failedStep)),
        false);
    add(QStringLiteral("%1@%2").arg(Utf8(r.user), Utf8(r.host)), {}, Utf8(r.program + " " + r.version), false);
    if (r.asFoundTimeUtcMs)
        add(T(text::ReadAt), Utf8(history::ShortTime(*r.asFoundTimeUtcMs, r.utcOffsetMinutes)), {}, false);
    if (!r.fileName.empty()) add(Utf8(r.fileName), {}, Utf8(r.fileSha256), false);
    if (r.asFound || r.asLeft) {
        const std::vector<history::Field> found = r.asFound ? history::FieldsOf(*r.asFound) : std::vector<history::Field>{};
        const std::vector<history::Field> left = r.asLeft ? history::FieldsOf(*r.asLeft) : std::vector<history::Field>{};
        std::vector<bool> changed(std::max(found.size(), left.size()), false);
        if (r.asFound && r.asLeft)
            for (const history::FieldChange& c : history::Changes(*r.asFound, *r.asLeft)) changed[c.index] = true;
        for (size_t i = 0; i < changed.size(); ++i)
            add(FieldName(i), i < found.size() ? FieldValue(found[i]) : T(text::Unknown),
                i < left.size() ? FieldValue(left[i]) : T(text::Unknown), changed[i]);
    }
    if (r.operation == history::Operation::ZeroCorrection) {
        add(T(text::ZeroOffset), Pa(r.zeroOffsetBefore), Pa(r.zeroOffsetAfter),
            r.zeroOffsetBefore && r.zeroOffsetAfter && *r.zeroOffsetBefore != *r.zeroOffsetAfter);
        add(T(text::ZeroError), Pa(r.zeroError), {}, false);
    }
}

void THistoryWindow::SaveTagAndNote() {
    const int row = records->currentRow();
    if (row < 0 || row >= static_cast<int>(shown_.size())) return;
    std::string error;
    history::HistoryStore* store = history_.recorder().Store(error);
    if (store != nullptr)
        error = store->SetTagAndNote(shown_[static_cast<size_t>(row)].id, tagBox->text().toStdString(),
                                     noteBox->text().toStdString());
    if (error.empty()) history_.SendToPlant();
    Refresh();
    if (!error.empty()) {
        problemLabel->setText(Utf8(error));
        problemLabel->show();
    }
    records->selectRow(row);
}
