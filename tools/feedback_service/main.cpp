// SPDX-License-Identifier: GPL-3.0-or-later
// lumeno-feedback-service: the self-hostable service behind the program's feedback window.
#include "feedback_service.h"
#include "feedback_store.h"
#include "listing.h"
#include "type_list.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <cstdio>

namespace {

void print(const QString &text, FILE *to = stdout)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fflush(to);
}

int fail(const QString &text)
{
    print(QStringLiteral("lumeno-feedback-service: ") + text + u'\n', stderr);
    return 1;
}

int list_feedback(const QString &database)
{
    if (!QFileInfo::exists(database))
        return fail(QStringLiteral("no database at ") + database);
    FeedbackStore store(database, FeedbackStore::Access::Read);
    if (!store.is_open())
        return fail(store.error());
    for (const FeedbackRecord &r : store.list())
        print(listing::record_text(r));
    return 0;
}

// The list used without --types: the one installed with this program (found from where the
// program is, so a relocated install works), the configured data folder's, then the source
// tree's for a build that was never installed. Empty when none is there.
QString default_type_file()
{
    const QStringList candidates{QCoreApplication::applicationDirPath() + u'/'
                                     + QStringLiteral(LUMENO_TYPES_FROM_BINDIR),
                                 QStringLiteral(LUMENO_TYPES_INSTALLED), QStringLiteral(LUMENO_TYPES_SOURCE)};
    for (const QString &candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

// The command line's options.
struct Options {
    QCommandLineOption listen{{QStringLiteral("l"), QStringLiteral("listen")},
                              QStringLiteral("Address to listen on (default 127.0.0.1)."),
                              QStringLiteral("address"),
                              QStringLiteral("127.0.0.1")};
    QCommandLineOption port{{QStringLiteral("p"), QStringLiteral("port")},
                            QStringLiteral("Port (default 8080; 0 picks a free one)."),
                            QStringLiteral("port"),
                            QStringLiteral("8080")};
    QCommandLineOption types{{QStringLiteral("t"), QStringLiteral("types")},
                             QStringLiteral("Type list file, UTF-8 \"1:name;2:name\" (default: the installed %1).")
                                 .arg(QStringLiteral(LUMENO_TYPES_INSTALLED)),
                             QStringLiteral("file")};
    QCommandLineOption database{{QStringLiteral("d"), QStringLiteral("database")},
                                QStringLiteral("SQLite file of the stored feedback (default feedback.db)."),
                                QStringLiteral("file"),
                                QStringLiteral("feedback.db")};
    QCommandLineOption rate{{QStringLiteral("rate-limit")},
                            QStringLiteral("Submissions per client and 10 minutes (default 10)."),
                            QStringLiteral("count"),
                            QStringLiteral("10")};
    QCommandLineOption proxy{{QStringLiteral("trusted-proxy")},
                             QStringLiteral("A proxy whose X-Forwarded-For names the client (repeatable)."),
                             QStringLiteral("address")};
    QCommandLineOption list{{QStringLiteral("list")}, QStringLiteral("Print the stored feedback and exit.")};
};

// The service's settings from the command line, or nothing with the reason in error.
std::optional<ServiceSettings> read_settings(const QCommandLineParser &parser, const Options &o, QString &error)
{
    const QString type_file = parser.isSet(o.types) ? parser.value(o.types) : default_type_file();
    if (type_file.isEmpty()) {
        error = QStringLiteral("no type list installed at %1; name one with --types FILE")
                    .arg(QStringLiteral(LUMENO_TYPES_INSTALLED));
        return std::nullopt;
    }
    const std::optional<TypeList> type_list = type_list::read(type_file, error);
    if (!type_list) {
        error = QStringLiteral("the type list %1: %2").arg(type_file, error);
        return std::nullopt;
    }
    ServiceSettings settings;
    settings.type_list = type_list->canonical;
    bool ok = false;
    settings.submissions_allowed = parser.value(o.rate).toInt(&ok);
    if (!ok || settings.submissions_allowed < 1) {
        error = QStringLiteral("--rate-limit needs a positive count");
        return std::nullopt;
    }
    for (const QString &address : parser.values(o.proxy)) {
        QHostAddress trusted;
        if (!trusted.setAddress(address)) {
            error = QStringLiteral("--trusted-proxy needs an IP address, not \"%1\"").arg(address);
            return std::nullopt;
        }
        settings.trusted_proxies.append(trusted);
    }
    return settings;
}

} // namespace

int main(int argc, char *argv[])
{
    // The verification images are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumeno-feedback-service"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMENO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves the feedback window of Lumeno and stores what it sends."));
    parser.addHelpOption();
    parser.addVersionOption();
    const Options o;
    parser.addOptions({o.listen, o.port, o.types, o.database, o.rate, o.proxy, o.list});
    parser.process(app);

    if (parser.isSet(o.list))
        return list_feedback(parser.value(o.database));
    QString error;
    const std::optional<ServiceSettings> settings = read_settings(parser, o, error);
    if (!settings)
        return fail(error);
    bool ok = false;
    const int wanted_port = parser.value(o.port).toInt(&ok);
    if (!ok || wanted_port < 0 || wanted_port > 65535)
        return fail(QStringLiteral("--port needs a number from 0 to 65535"));

    FeedbackStore store(parser.value(o.database));
    if (!store.is_open())
        return fail(QStringLiteral("cannot open the database: ") + store.error());
    FeedbackService service(*settings, store);
    const QString host = parser.value(o.listen);
    const int bound = service.bind(host, wanted_port, &error);
    if (bound < 0)
        return fail(QStringLiteral("cannot listen on %1 port %2: %3").arg(host).arg(wanted_port).arg(error));
    print(QStringLiteral("Serving on http://%1:%2\n").arg(host).arg(bound));
    return service.serve() ? 0 : 1;
}
