#include "feedback_service.h"

#include "code_image.h"
#include "feedback_store.h"
#include "rate_limit.h"
#include "verification_codes.h"

#include <QDateTime>
#include <QStringDecoder>
#include <httplib.h>
#include <mutex>
#include <optional>

namespace {

constexpr char kTypeListPath[] = "/softapi/index.php/api/Api/gettype";
constexpr char kImagePath[] = "/softapi/index.php/api/V/v";
constexpr char kSubmitPath[] = "/softapi/index.php/api/Api/submit";
constexpr char kText[] = "text/plain; charset=utf-8";
constexpr std::size_t kCodeCapacity = 10000;

using Clock = std::chrono::steady_clock;

// Strict UTF-8 only: a field that does not decode is refused rather than stored garbled.
std::optional<QString> decode_field(const httplib::Params &form, const char *key, int limit)
{
    const auto found = form.find(key);
    if (found == form.end())
        return QString();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(QByteArrayView(found->second.data(), qsizetype(found->second.size())));
    if (decoder.hasError() || text.size() > limit)
        return std::nullopt;
    return text;
}

std::optional<qint64> number_field(const httplib::Params &form, const char *key)
{
    const auto found = form.find(key);
    bool ok = false;
    const qint64 value = found == form.end() ? 0 : QByteArray::fromStdString(found->second).toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// The numbers of the configured types: a submission names one of them or is refused.
QList<qint64> type_numbers(const QByteArray &type_list)
{
    QList<qint64> numbers;
    for (const QByteArray &entry : type_list.split(';')) {
        const qsizetype colon = entry.indexOf(':');
        bool ok = false;
        const qint64 number = entry.left(colon).trimmed().toLongLong(&ok);
        if (colon > 0 && ok)
            numbers.append(number);
    }
    return numbers;
}

} // namespace

struct FeedbackService::Impl {
    Impl(ServiceSettings s, FeedbackStore &st)
        : settings(std::move(s))
        , store(st)
        , types(type_numbers(settings.type_list))
        , codes(settings.code_lifetime, kCodeCapacity)
        , submissions(settings.submissions_allowed, settings.submission_window)
        , images(settings.images_per_minute, std::chrono::minutes(1))
    {
        if (!settings.make_code) {
            settings.make_code = [this] {
                const std::lock_guard guard(random_lock);
                return code_image::random_code(random);
            };
        }
    }

    void send_image(const httplib::Request &request, httplib::Response &response);
    std::string take_submission(const httplib::Request &request);

    ServiceSettings settings;
    FeedbackStore &store;
    QList<qint64> types;
    VerificationCodes codes;
    RateLimit submissions;
    RateLimit images;
    std::mutex random_lock;
    QRandomGenerator random{QRandomGenerator::securelySeeded()};
    httplib::Server server;
};

void FeedbackService::Impl::send_image(const httplib::Request &request, httplib::Response &response)
{
    response.set_header("Cache-Control", "no-store");
    if (!images.allow(request.remote_addr, Clock::now())) {
        response.status = 429;
        return;
    }
    const QByteArray code = settings.make_code();
    QByteArray bmp;
    {
        const std::lock_guard guard(random_lock);
        bmp = code_image::draw_bmp(code, random);
    }
    codes.remember(request.remote_addr, code, Clock::now());
    response.set_content(bmp.toStdString(), "image/bmp");
}

std::string FeedbackService::Impl::take_submission(const httplib::Request &request)
{
    const std::string &client = request.remote_addr;
    if (!submissions.allow(client, Clock::now()))
        return "0";
    httplib::Params form;
    httplib::detail::parse_query_text(request.body, form);
    const auto code = decode_field(form, "verify", kCodeLimit);
    if (!code || !codes.redeem(client, code->toUtf8(), Clock::now()))
        return "-1";

    const auto name = decode_field(form, "name", kNameLimit);
    const auto mail = decode_field(form, "mail", kMailLimit);
    const auto content = decode_field(form, "content", kContentLimit);
    const auto type = number_field(form, "type");
    const auto software = number_field(form, "soft");
    if (!name || !mail || !content || content->trimmed().isEmpty() || !type || !types.contains(*type) || !software)
        return "0";
    const FeedbackRecord record{0,
                                QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
                                QString::fromStdString(client),
                                *software,
                                *type,
                                *name,
                                *mail,
                                *content};
    return store.add(record) ? "1" : "0";
}

FeedbackService::FeedbackService(ServiceSettings settings, FeedbackStore &store)
    : m(std::make_unique<Impl>(std::move(settings), store))
{
    httplib::Server &server = m->server;
    server.set_payload_max_length(kBodyLimit);
    server.set_read_timeout(10, 0);
    server.set_write_timeout(10, 0);
    // The window makes a request or two a minute: a connection kept open would only hold a
    // worker and delay shutdown.
    server.set_keep_alive_max_count(1);
    server.Get(kTypeListPath, [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(m->settings.type_list.toStdString(), kText);
    });
    server.Get(kImagePath, [this](const httplib::Request &request, httplib::Response &response) {
        m->send_image(request, response);
    });
    server.Post(kSubmitPath, [this](const httplib::Request &request, httplib::Response &response) {
        response.set_content(m->take_submission(request), kText);
    });
}

FeedbackService::~FeedbackService() = default;

int FeedbackService::bind(const QString &host, int port)
{
    const std::string address = host.toStdString();
    if (port == 0)
        return m->server.bind_to_any_port(address);
    return m->server.bind_to_port(address, port) ? port : -1;
}

bool FeedbackService::serve()
{
    return m->server.listen_after_bind();
}

bool FeedbackService::is_serving() const
{
    return m->server.is_running();
}

void FeedbackService::stop()
{
    m->server.stop();
}
