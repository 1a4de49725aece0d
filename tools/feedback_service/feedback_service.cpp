// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback_service.h"

#include "client_identity.h"
#include "code_image.h"
#include "feedback/feedback_wire.h"
#include "feedback_store.h"
#include "guarded_server.h"
#include "rate_limit.h"
#include "verification_codes.h"

#include <QDateTime>
#include <QStringDecoder>
#include <mutex>
#include <optional>

namespace {

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
    if (decoder.hasError() || feedback::character_count(text) > limit)
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

    QString address_of(const httplib::Request &request) const
    {
        return client_identity::address(request.remote_addr, request.get_header_value("X-Forwarded-For"),
                                        settings.trusted_proxies);
    }
    void send_image(const httplib::Request &request, httplib::Response &response);
    std::string take_submission(const httplib::Request &request, const std::string &body);

    ServiceSettings settings;
    FeedbackStore &store;
    QList<qint64> types;
    VerificationCodes codes;
    RateLimit submissions;
    RateLimit images;
    std::mutex random_lock;
    QRandomGenerator random{QRandomGenerator::securelySeeded()};
    GuardedServer server{settings.request_deadline};
};

void FeedbackService::Impl::send_image(const httplib::Request &request, httplib::Response &response)
{
    response.set_header("Cache-Control", "no-store");
    // Pictures are drawn per address, so a flood costs its sender, whatever cookies it sends.
    if (!images.allow(address_of(request).toStdString(), Clock::now())) {
        response.status = 429;
        return;
    }
    const QByteArray code = settings.make_code();
    std::string client = client_identity::token_of(request.get_header_value("Cookie"));
    QByteArray bmp;
    {
        const std::lock_guard guard(random_lock);
        if (client.empty())
            client = client_identity::new_token(random);
        bmp = code_image::draw_bmp(code, random);
    }
    codes.remember(client, code, Clock::now());
    response.set_header("Set-Cookie", client_identity::cookie_for(client));
    response.set_content(bmp.toStdString(), "image/bmp");
}

std::string FeedbackService::Impl::take_submission(const httplib::Request &request, const std::string &body)
{
    // A client without our cookie has no code to check, and shares its address's budget.
    const QString address = address_of(request);
    std::string client = client_identity::token_of(request.get_header_value("Cookie"));
    if (client.empty())
        client = address.toStdString();
    if (!submissions.allow(client, Clock::now()))
        return feedback::kNotStored;
    httplib::Params form;
    httplib::detail::parse_query_text(body, form);
    // The fields are checked before the code: an answer that is not about the code leaves it
    // good for the retry the window's message asks for.
    const auto name = decode_field(form, feedback::kNameField, feedback::kNameLimit);
    const auto mail = decode_field(form, feedback::kMailField, feedback::kMailLimit);
    const auto content = decode_field(form, feedback::kContentField, feedback::kContentLimit);
    const auto type = number_field(form, feedback::kTypeField);
    const auto software = number_field(form, feedback::kSoftwareField);
    if (!name || !mail || !content || content->trimmed().isEmpty() || !type || !types.contains(*type) || !software)
        return feedback::kNotStored;

    const auto code = decode_field(form, feedback::kCodeField, feedback::kCodeLimit);
    const auto issued = code ? codes.redeem(client, code->toUtf8(), Clock::now()) : std::nullopt;
    if (!issued)
        return feedback::kWrongCode;
    const FeedbackRecord record{
        0, QDateTime::currentDateTimeUtc().toString(Qt::ISODate), address, *software, *type, *name, *mail, *content};
    if (store.add(record))
        return feedback::kStored;
    codes.reinstate(client, code->toUtf8(), *issued);
    return feedback::kNotStored;
}

FeedbackService::FeedbackService(ServiceSettings settings, FeedbackStore &store)
    : m(std::make_unique<Impl>(std::move(settings), store))
{
    httplib::Server &server = m->server;
    server.set_payload_max_length(kBodyLimit);
    server.set_write_timeout(10, 0);
    // The window makes a request or two a minute: a connection kept open would only hold a
    // worker and delay shutdown.
    server.set_keep_alive_max_count(1);
    server.Get(feedback::kTypeListPath, [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(m->settings.type_list.toStdString(), kText);
    });
    server.Get(feedback::kImagePath, [this](const httplib::Request &request, httplib::Response &response) {
        m->send_image(request, response);
    });
    // The body is read here rather than by the library, which refuses any form body over 8 KB:
    // 2000 Chinese characters take 18 KB once encoded.
    server.Post(feedback::kSubmitPath, [this](const httplib::Request &request, httplib::Response &response,
                                              const httplib::ContentReader &reader) {
        std::string body;
        const bool whole = reader([&body](const char *data, std::size_t length) {
            body.append(data, length);
            return body.size() <= kBodyLimit;
        });
        if (!whole) {
            response.status = 413;
            return;
        }
        response.set_content(m->take_submission(request, body), kText);
    });
}

FeedbackService::~FeedbackService() = default;

int FeedbackService::bind(const QString &host, int port, QString *error)
{
    std::string reason;
    const int bound = m->server.bind(host.toStdString(), port, reason);
    if (bound < 0 && error)
        *error = QString::fromStdString(reason);
    return bound;
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
