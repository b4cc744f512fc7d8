#include "history/Report.h"

#include "config/Units.h"
#include "history/Changes.h"
#include "history/RecordJson.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

namespace history {
namespace {

std::string T(std::u16string_view english) { return platform::ToUtf8(lang::Translate(english)); }

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Pa(float value) { return platform::FormatFixed(value, 1) + " Pa"; }
std::string InUnit(float value, const ReportUnit& unit) {
    return platform::ToUtf8(config::FormatNumber(double(value) * unit.factor, unit.decimals)) + " " + unit.text;
}

std::string FieldText(const Field& field, const ReportUnit& unit) {
    switch (field.kind) {
        case FieldKind::Pressure: return Pa(field.value) + " / " + InUnit(field.value, unit);
        case FieldKind::Gravity: return platform::FormatFixed(field.value, 1) + " kg/m^3";
        case FieldKind::Mode: {
            static constexpr std::u16string_view modes[] = {text::ModeOff, text::ModeCompression, text::ModeExtraction,
                                                            text::ModeCorrectValue, text::ModeErrorValue};
            const int mode = static_cast<int>(field.value);
            return mode >= 0 && mode < 5 ? T(modes[mode]) : std::to_string(mode);
        }
    }
    return {};
}

std::string FieldName(size_t index) {
    if (index == 0) return T(text::NominalRange);
    if (index == 1) return T(text::SpecificGravity);
    static constexpr std::u16string_view parts[] = {text::Configuration, text::LowerValue, text::HigherValue};
    return T(text::Output) + " " + std::to_string((index - 2) / 3 + 1) + " " + T(parts[(index - 2) % 3]);
}

std::string ResultText(const Record& r) {
    switch (r.result) {
        case Result::Done: return T(text::ResultDone);
        case Result::Verified: return T(text::ResultVerified);
        case Result::Failed: return T(text::FailedAt) + ": " + r.failedStep;
    }
    return {};
}

std::string Row(const std::string& a, const std::string& b) {
    return "<tr><td>" + Escape(a) + "</td><td>" + Escape(b) + "</td></tr>";
}

}  // namespace

std::string ReportHtml(const ReportContent& content, const ReportUnit& unit) {
    const Record& r = content.configuration;
    std::string html =
        "<html><head><meta charset=\"utf-8\"><style>"
        "body { font-family: 'Liberation Sans', 'DejaVu Sans', sans-serif; font-size: 9pt; }"
        "h1 { font-size: 15pt; } h2 { font-size: 11pt; margin-top: 10px; }"
        "td, th { padding: 2px 6px; } th { text-align: left; background-color: #e2eefe; }"
        ".changed { font-weight: bold; background-color: #fff0a0; }"
        "</style></head><body>";
    html += "<h1>" + Escape(T(text::CommissioningReport)) + "</h1>";
    html += "<table>";
    html += Row(T(text::SerialNumber), std::to_string(content.serial));
    html += Row(T(text::Tag), r.tag);
    html += Row(T(text::Date), ShortTime(r.timeUtcMs, r.utcOffsetMinutes));
    html += Row(T(text::Operator), r.user);
    html += Row(T(text::Host), r.host);
    html += Row(T(text::ProgramVersion), r.program + " " + r.version);
    html += Row(T(text::Verification), ResultText(r));
    if (!r.fileName.empty()) html += Row(T(text::ConfigurationFile), r.fileName + "  SHA-256 " + r.fileSha256);
    html += "</table>";

    html += "<h2>" + Escape(T(text::Configuration)) + "</h2><table width=\"100%\" cellspacing=\"0\">";
    html += "<tr><th width=\"28%\">" + Escape(T(text::Field)) + "</th><th width=\"36%\">" + Escape(T(text::AsFound)) +
            "</th><th width=\"36%\">" + Escape(T(text::AsLeft)) + "</th></tr>";
    const std::vector<Field> left = FieldsOf(*r.asLeft);
    const std::vector<Field> found = r.asFound ? FieldsOf(*r.asFound) : std::vector<Field>{};
    std::vector<bool> changed(left.size(), false);
    if (r.asFound)
        for (const FieldChange& c : Changes(*r.asFound, *r.asLeft)) changed[c.index] = true;
    for (size_t i = 0; i < left.size(); ++i) {
        html += changed[i] ? "<tr class=\"changed\">" : "<tr>";
        html += "<td>" + Escape(FieldName(i)) + "</td><td>" +
                Escape(i < found.size() ? FieldText(found[i], unit) : T(text::Unknown)) + "</td><td>" +
                Escape(FieldText(left[i], unit)) + (changed[i] ? " *" : "") + "</td></tr>";
    }
    html += "</table><p>* " + Escape(T(text::Changed)) + "</p>";
    if (r.asFoundTimeUtcMs)
        html += "<p>" + Escape(T(text::AsFound) + ": " + T(text::ReadAt) + " " +
                               ShortTime(*r.asFoundTimeUtcMs, r.utcOffsetMinutes)) + "</p>";

    html += "<h2>" + Escape(T(text::ZeroCorrection)) + "</h2><table>";
    if (content.zero) {
        const Record& z = *content.zero;
        const auto value = [&unit](const std::optional<float>& v) {
            return v ? Pa(*v) + " / " + InUnit(*v, unit) : T(text::Unknown);
        };
        html += Row(T(text::Date), ShortTime(z.timeUtcMs, z.utcOffsetMinutes));
        html += Row(T(text::ZeroOffset) + " (" + T(text::AsFound) + ")", value(z.zeroOffsetBefore));
        html += Row(T(text::ZeroOffset) + " (" + T(text::AsLeft) + ")", value(z.zeroOffsetAfter));
        html += Row(T(text::ZeroError), value(z.zeroError));
        html += Row(T(text::Verification), ResultText(z));
    } else {
        html += Row(T(text::ZeroCorrection), T(text::Unknown));
    }
    html += "</table>";

    html += "<p>&nbsp;</p><table width=\"100%\"><tr><td>" + Escape(T(text::Signature)) +
            ": ______________________________</td><td>" + Escape(T(text::Date)) +
            ": ____________________</td></tr></table></body></html>";
    return html;
}

}  // namespace history
