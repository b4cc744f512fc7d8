#include "history/PlantDatabase.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdlib>

#include "history/RecordJson.h"

namespace history {
namespace {

// A plant database that does not answer must not hold up a bench for long.
constexpr const char* ConnectTimeoutSeconds = "5";

const char* const CreateSchema =
    "SELECT pg_advisory_xact_lock(4410);"
    "CREATE TABLE IF NOT EXISTS kd4410_schema (version integer NOT NULL);"
    "INSERT INTO kd4410_schema SELECT 1 WHERE NOT EXISTS (SELECT 1 FROM kd4410_schema);"
    "CREATE TABLE IF NOT EXISTS kd4410_records ("
    " uid text PRIMARY KEY, time_utc_ms bigint NOT NULL, utc_offset_min integer NOT NULL,"
    " user_name text NOT NULL, host text NOT NULL, program text NOT NULL, version text NOT NULL,"
    " serial integer, usb_index bigint NOT NULL, tag text NOT NULL, note text NOT NULL,"
    " operation text NOT NULL, result text NOT NULL, failed_step text NOT NULL,"
    " as_found jsonb, as_found_time_utc_ms bigint, as_left jsonb,"
    " zero_offset_before real, zero_offset_after real, zero_error real, live_value real,"
    " file_name text NOT NULL, file_sha256 text NOT NULL,"
    " received timestamptz NOT NULL DEFAULT now());"
    "CREATE INDEX IF NOT EXISTS kd4410_records_serial_time ON kd4410_records (serial, time_utc_ms);";

const char* const Insert =
    "INSERT INTO kd4410_records (uid, time_utc_ms, utc_offset_min, user_name, host, program, version, serial,"
    " usb_index, tag, note, operation, result, failed_step, as_found, as_found_time_utc_ms, as_left,"
    " zero_offset_before, zero_offset_after, zero_error, live_value, file_name, file_sha256)"
    " VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11,$12,$13,$14,$15,$16,$17,$18,$19,$20,$21,$22,$23)"
    " ON CONFLICT (uid) DO UPDATE SET tag = EXCLUDED.tag, note = EXCLUDED.note";

const char* const SelectColumns =
    "SELECT uid, time_utc_ms, utc_offset_min, user_name, host, program, version, serial, usb_index, tag, note,"
    " operation, result, failed_step, as_found, as_found_time_utc_ms, as_left, zero_offset_before,"
    " zero_offset_after, zero_error, live_value, file_name, file_sha256 FROM kd4410_records";

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;
struct ConnectionDeleter {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using ConnectionPtr = std::unique_ptr<PGconn, ConnectionDeleter>;

std::string Trimmed(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

void IgnoreNotice(void*, const char*) {}  // "already exists, skipping" is no news to the user

std::string FloatText(float value) {  // shortest text that reads back as the same float, locale-free
    if (value != value) return "NaN";
    if (value == INFINITY) return "Infinity";
    if (value == -INFINITY) return "-Infinity";
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::optional<std::string> Optional(const std::optional<float>& value) {
    return value ? std::optional<std::string>(FloatText(*value)) : std::nullopt;
}

class PostgresPlant final : public PlantSink {
public:
    explicit PostgresPlant(ConnectionPtr connection) : connection_(std::move(connection)) {}

    std::string Execute(const char* sql) {
        ResultPtr result(PQexec(connection_.get(), sql));
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return {};
        return Trimmed(PQerrorMessage(connection_.get()));
    }

    std::string Send(const std::vector<Record>& records) override {
        if (std::string e = Execute("BEGIN"); !e.empty()) return e;
        for (const Record& r : records) {
            const std::optional<std::string> values[] = {
                r.uid,
                std::to_string(r.timeUtcMs),
                std::to_string(r.utcOffsetMinutes),
                r.user,
                r.host,
                r.program,
                r.version,
                r.serial ? std::optional<std::string>(std::to_string(*r.serial)) : std::nullopt,
                std::to_string(r.usbIndex),
                r.tag,
                r.note,
                std::string(OperationName(r.operation)),
                std::string(ResultName(r.result)),
                r.failedStep,
                r.asFound ? std::optional<std::string>(ConfigurationToJson(*r.asFound).dump()) : std::nullopt,
                r.asFoundTimeUtcMs ? std::optional<std::string>(std::to_string(*r.asFoundTimeUtcMs)) : std::nullopt,
                r.asLeft ? std::optional<std::string>(ConfigurationToJson(*r.asLeft).dump()) : std::nullopt,
                Optional(r.zeroOffsetBefore),
                Optional(r.zeroOffsetAfter),
                Optional(r.zeroError),
                Optional(r.liveValue),
                r.fileName,
                r.fileSha256};
            const char* parameters[std::size(values)];
            for (size_t i = 0; i < std::size(values); ++i) parameters[i] = values[i] ? values[i]->c_str() : nullptr;
            ResultPtr result(PQexecParams(connection_.get(), Insert, int(std::size(values)), nullptr, parameters,
                                          nullptr, nullptr, 0));
            if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
                const std::string error = Trimmed(PQerrorMessage(connection_.get()));
                Execute("ROLLBACK");
                return error;
            }
        }
        return Execute("COMMIT");
    }

    std::string Query(const Filter& filter, std::vector<Record>& records) override {
        std::string sql = std::string(SelectColumns) + " WHERE ($1::integer IS NULL OR serial = $1::integer)"
                          " AND ($2::bigint IS NULL OR time_utc_ms >= $2::bigint)"
                          " ORDER BY time_utc_ms DESC, uid DESC";
        if (filter.limit > 0) sql += " LIMIT " + std::to_string(filter.limit);
        const std::optional<std::string> values[] = {
            filter.serial ? std::optional<std::string>(std::to_string(*filter.serial)) : std::nullopt,
            filter.sinceUtcMs ? std::optional<std::string>(std::to_string(*filter.sinceUtcMs)) : std::nullopt};
        const char* parameters[] = {values[0] ? values[0]->c_str() : nullptr, values[1] ? values[1]->c_str() : nullptr};
        ResultPtr result(PQexecParams(connection_.get(), sql.c_str(), 2, nullptr, parameters, nullptr, nullptr, 0));
        if (PQresultStatus(result.get()) != PGRES_TUPLES_OK) return Trimmed(PQerrorMessage(connection_.get()));
        PGresult* res = result.get();
        const auto text = [res](int row, int column) { return std::string(PQgetvalue(res, row, column)); };
        const auto null = [res](int row, int column) { return PQgetisnull(res, row, column) != 0; };
        const auto real = [&](int row, int column) -> std::optional<float> {
            if (null(row, column)) return std::nullopt;
            const std::string t = text(row, column);
            if (t == "NaN") return std::nanf("");
            if (t == "Infinity") return INFINITY;
            if (t == "-Infinity") return -INFINITY;
            float value = 0;
            std::from_chars(t.data(), t.data() + t.size(), value);
            return value;
        };
        const auto configuration = [&](int row, int column) -> std::optional<config::DeviceConfiguration> {
            if (null(row, column)) return std::nullopt;
            return ConfigurationFromJson(nlohmann::json::parse(text(row, column), nullptr, false));
        };
        try {  // a table changed by hand must not bring the tool down
            for (int row = 0; row < PQntuples(res); ++row) {
                Record r;
                r.uid = text(row, 0);
                r.timeUtcMs = std::stoll(text(row, 1));
                r.utcOffsetMinutes = std::stoi(text(row, 2));
                r.user = text(row, 3);
                r.host = text(row, 4);
                r.program = text(row, 5);
                r.version = text(row, 6);
                if (!null(row, 7)) r.serial = static_cast<uint16_t>(std::stoi(text(row, 7)));
                r.usbIndex = static_cast<uint32_t>(std::stoul(text(row, 8)));
                r.tag = text(row, 9);
                r.note = text(row, 10);
                r.operation = OperationFromName(text(row, 11)).value_or(Operation::Read);
                r.result = ResultFromName(text(row, 12)).value_or(Result::Failed);
                r.failedStep = text(row, 13);
                r.asFound = configuration(row, 14);
                if (!null(row, 15)) r.asFoundTimeUtcMs = std::stoll(text(row, 15));
                r.asLeft = configuration(row, 16);
                r.zeroOffsetBefore = real(row, 17);
                r.zeroOffsetAfter = real(row, 18);
                r.zeroError = real(row, 19);
                r.liveValue = real(row, 20);
                r.fileName = text(row, 21);
                r.fileSha256 = text(row, 22);
                records.push_back(std::move(r));
            }
        } catch (const std::exception& e) {
            return std::string("the plant database holds a record that cannot be read (") + e.what() + ")";
        }
        return {};
    }

private:
    ConnectionPtr connection_;
};

}  // namespace

std::unique_ptr<PlantSink> ConnectPlantDatabase(const std::string& url, std::string& error) {
    // Later settings win: the URL's own, a connect_timeout among them, take precedence.
    const char* keys[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {ConnectTimeoutSeconds, "kd4410", url.c_str(), nullptr};
    ConnectionPtr connection(PQconnectdbParams(keys, values, 1));
    if (!connection || PQstatus(connection.get()) != CONNECTION_OK) {
        error = "cannot reach the plant database: " +
                (connection ? Trimmed(PQerrorMessage(connection.get())) : std::string("out of memory"));
        return nullptr;
    }
    PQsetNoticeProcessor(connection.get(), IgnoreNotice, nullptr);
    auto plant = std::make_unique<PostgresPlant>(std::move(connection));
    std::string e = plant->Execute("BEGIN");
    if (e.empty()) e = plant->Execute(CreateSchema);
    if (e.empty()) e = plant->Execute("COMMIT");
    if (!e.empty()) {
        error = "the plant database cannot hold the history: " + e;
        return nullptr;
    }
    return plant;
}

}  // namespace history

// The module's one entry point, found by OpenPlantDatabase through dlsym.
extern "C" __attribute__((visibility("default"))) history::PlantSink* kd4410ConnectPlantDatabase(const char* url,
                                                                                                 std::string* error) {
    return history::ConnectPlantDatabase(url, *error).release();
}
