// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback/feedback_wire.h"
#include "feedback/http_client.h"
#include "running_service.h"
#include "type_list.h"

#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const QByteArray kTypes = QStringLiteral("1:建议;2:问题").toUtf8();
const QByteArray kCode = "AB12";
const QByteArray kTypePath = feedback::kTypeListPath;
const QByteArray kImagePath = feedback::kImagePath;
const QByteArray kSubmitPath = feedback::kSubmitPath;

ServiceSettings settings(int submissions_allowed = 10)
{
    ServiceSettings s;
    s.type_list = kTypes;
    s.submissions_allowed = submissions_allowed;
    s.make_code = [] { return kCode; };
    return s;
}

QByteArray form(const QByteArray &code, const QByteArray &content = "%E5%A5%BD")
{
    return "name=%E5%B0%8F%20%E6%98%8E&mail=a%40b.c&type=2&content=" + content + "&verify=" + code + "&soft=10";
}

// One request on a connection of its own, sent as given; the reply up to the service's close.
QByteArray exchange(int port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(request);
    QByteArray reply;
    while (socket.waitForReadyRead(15000))
        reply += socket.readAll();
    return reply + socket.readAll();
}

// The program as a user other than root, when the tests run as root: permissions bind it then.
void start_unprivileged(QProcess &process, QStringList arguments)
{
    if (::geteuid() != 0) {
        process.start(QStringLiteral(SERVICE_FILE), arguments);
        return;
    }
    arguments.prepend(QStringLiteral(SERVICE_FILE));
    arguments.prepend(QStringLiteral("--clear-groups"));
    arguments.prepend(QStringLiteral("--regid=65534"));
    arguments.prepend(QStringLiteral("--reuid=65534"));
    process.start(QStringLiteral("setpriv"), arguments);
}

QByteArray cookie_of(const QByteArray &reply)
{
    const qsizetype at = reply.indexOf("Set-Cookie: ");
    return at < 0 ? QByteArray() : reply.mid(at + 12, reply.indexOf(';', at) - at - 12);
}

} // namespace

// The real service on loopback, as the feedback window reaches it.
class TestFeedbackService final : public QObject {
    Q_OBJECT

private slots:
    void submission_isStoredOnlyWithTheCodeOfItsImage();
    void submissionOutsideBounds_isNotStored_data();
    void submissionOutsideBounds_isNotStored();
    void flood_isAnsweredZero();
    void clients_holdTheirOwnCodeAndBudgetBehindOneAddress();
    void forwardedFor_isStoredOnlyFromTrustedProxy_data();
    void forwardedFor_isStoredOnlyFromTrustedProxy();
    void oversizedHead_isRefusedEarly_data();
    void oversizedHead_isRefusedEarly();
    void rangeRequest_getsThePictureOnceWhole();
    void slowClients_areCutOffAndHoldNobodyUp();
    void secondServiceOnAPort_isRefused();
    void program_servesAndListsWhatWasStored();
    void program_refusesUnusableStartAtOnce_data();
    void program_refusesUnusableStartAtOnce();
    void program_withoutTypes_servesTheListItCameWith();

private:
    QByteArray get(const RunningService &s, const QByteArray &path)
    {
        return m_http.get(s.url().resolved(QUrl(QString::fromLatin1(path))));
    }
    QByteArray post(const RunningService &s, const QByteArray &body)
    {
        return m_http.post(s.url().resolved(QUrl(QString::fromLatin1(kSubmitPath))), body);
    }

    HttpClient m_http;
};

void TestFeedbackService::submission_isStoredOnlyWithTheCodeOfItsImage()
{
    RunningService s(settings());
    QVERIFY(s.serving);
    QCOMPARE(post(s, form(kCode)), QByteArray("-1")); // no image shown yet
    get(s, kImagePath);
    QCOMPARE(post(s, form("ab12")), QByteArray("1"));
    QCOMPARE(post(s, form(kCode)), QByteArray("-1")); // one use
    get(s, kImagePath);
    QCOMPARE(post(s, form("ZZZZ")), QByteArray("-1"));
    QCOMPARE(post(s, form(kCode)), QByteArray("-1")); // the wrong guess used it up

    const QList<FeedbackRecord> records = s.store.list();
    QCOMPARE(records.size(), 1);
    const FeedbackRecord &r = records[0];
    QCOMPARE(r.name, QStringLiteral("小 明"));
    QCOMPARE(r.mail, QStringLiteral("a@b.c"));
    QCOMPARE(r.content, QStringLiteral("好"));
    QCOMPARE(r.type, 2);
    QCOMPARE(r.software, 10);
    QCOMPARE(r.client, QStringLiteral("127.0.0.1"));
    QVERIFY(QDateTime::fromString(r.received, Qt::ISODate).isValid());
}

void TestFeedbackService::submissionOutsideBounds_isNotStored_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("content too long") << form(kCode, QByteArray(feedback::kContentLimit + 1, 'x')) << QByteArray("0");
    // Characters, not UTF-16 units: 2000 characters outside the basic plane are within the bound.
    QTest::newRow("2000 wide characters and one more")
        << form(kCode, QByteArray("%F0%9F%98%80").repeated(feedback::kContentLimit + 1)) << QByteArray("0");
    QTest::newRow("not UTF-8") << form(kCode, "%FF%FE") << QByteArray("0");
    QTest::newRow("empty content") << form(kCode, "%20") << QByteArray("0");
    QTest::newRow("unknown type") << QByteArray(form(kCode)).replace("type=2", "type=9") << QByteArray("0");
    QTest::newRow("no software number") << QByteArray(form(kCode)).replace("&soft=10", "") << QByteArray("0");
    // Refused before it is read whole: an error status, which the client sees as no answer.
    QTest::newRow("body beyond bound") << form(kCode, QByteArray(70 * 1024, 'x')) << QByteArray();
}

void TestFeedbackService::submissionOutsideBounds_isNotStored()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, reply);
    RunningService s(settings());
    get(s, kImagePath);
    QCOMPARE(post(s, body), reply);
    QVERIFY(s.store.list().isEmpty());
    // The answer was not about the code, so the retry the window asks for may use it.
    QCOMPARE(post(s, form(kCode)), QByteArray("1"));
    QCOMPARE(s.store.list().size(), 1);
}

void TestFeedbackService::flood_isAnsweredZero()
{
    RunningService s(settings(3));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(post(s, form("ZZZZ")), QByteArray("-1"));
    get(s, kImagePath);
    QCOMPARE(post(s, form(kCode)), QByteArray("0"));
    QVERIFY(s.store.list().isEmpty());
}

void TestFeedbackService::clients_holdTheirOwnCodeAndBudgetBehindOneAddress()
{
    auto shown = std::make_shared<char>('A');
    ServiceSettings two = settings(2);
    two.make_code = [shown] { return QByteArray(4, (*shown)++); };
    RunningService s(two);
    const QUrl picture = s.url().resolved(QUrl(QString::fromLatin1(kImagePath)));
    const QUrl submit = s.url().resolved(QUrl(QString::fromLatin1(kSubmitPath)));
    // Two windows on one address, as behind a proxy or a NAT: each keeps its own cookies.
    HttpClient first;
    HttpClient second;
    QVERIFY(!first.get(picture).isEmpty());  // AAAA
    QVERIFY(!second.get(picture).isEmpty()); // BBBB
    QCOMPARE(first.post(submit, form("AAAA")), QByteArray("1"));
    QCOMPARE(second.post(submit, form("BBBB")), QByteArray("1"));
    QCOMPARE(first.post(submit, form("ZZZZ")), QByteArray("-1"));
    QCOMPARE(first.post(submit, form("ZZZZ")), QByteArray("0")); // its budget of two is spent
    QCOMPARE(second.post(submit, form("ZZZZ")), QByteArray("-1"));
    QCOMPARE(s.store.list().size(), 2);
}

void TestFeedbackService::forwardedFor_isStoredOnlyFromTrustedProxy_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QString>("client");
    QTest::newRow("from the trusted proxy") << true << "203.0.113.9";
    QTest::newRow("from anyone else") << false << "127.0.0.1";
}

void TestFeedbackService::forwardedFor_isStoredOnlyFromTrustedProxy()
{
    QFETCH(bool, trusted);
    QFETCH(QString, client);
    ServiceSettings proxied = settings();
    if (trusted)
        proxied.trusted_proxies = {QHostAddress(QStringLiteral("127.0.0.1"))};
    RunningService s(proxied);
    const QByteArray forwarded = "X-Forwarded-For: 198.51.100.1, 203.0.113.9\r\n";
    const QByteArray image = exchange(s.port, "GET " + kImagePath + " HTTP/1.1\r\nHost: x\r\n" + forwarded + "\r\n");
    const QByteArray cookie = cookie_of(image);
    QVERIFY2(!cookie.isEmpty(), image.left(300).constData());
    const QByteArray body = form(kCode);
    const QByteArray reply =
        exchange(s.port, "POST " + kSubmitPath + " HTTP/1.1\r\nHost: x\r\nCookie: " + cookie + "\r\n" + forwarded
                             + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: "
                             + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QVERIFY2(reply.endsWith("\r\n\r\n1"), reply.constData());
    QCOMPARE(s.store.list().value(0).client, client);
}

void TestFeedbackService::oversizedHead_isRefusedEarly_data()
{
    QTest::addColumn<QByteArray>("head");
    QByteArray lines;
    for (int i = 0; i < 100; ++i)
        lines += "X-Line-" + QByteArray::number(i) + ": 1\r\n";
    QTest::newRow("too many lines") << lines + "\r\n";
    QTest::newRow("too many bytes, no end") << "X-Pad: " + QByteArray(20 * 1024, 'a');
}

void TestFeedbackService::oversizedHead_isRefusedEarly()
{
    QFETCH(QByteArray, head);
    RunningService s(settings());
    const QByteArray reply = exchange(s.port, "GET " + kTypePath + " HTTP/1.1\r\nHost: x\r\n" + head);
    QVERIFY2(reply.startsWith("HTTP/1.1 431 "), reply.left(100).constData());
}

void TestFeedbackService::rangeRequest_getsThePictureOnceWhole()
{
    RunningService s(settings());
    QByteArray ranges = "bytes=0-999";
    for (int i = 1; i < 1000; ++i)
        ranges += ",0-999";
    const QByteArray whole = exchange(s.port, "GET " + kImagePath + " HTTP/1.1\r\nHost: x\r\n\r\n");
    const QByteArray ranged =
        exchange(s.port, "GET " + kImagePath + " HTTP/1.1\r\nHost: x\r\nRange: " + ranges + "\r\n\r\n");
    QVERIFY2(ranged.startsWith("HTTP/1.1 200 "), ranged.left(100).constData());
    QVERIFY(whole.size() > 10000);
    // The same picture size, give or take the cookie's characters.
    QVERIFY2(qAbs(ranged.size() - whole.size()) < 100, QByteArray::number(ranged.size()).constData());
}

void TestFeedbackService::slowClients_areCutOffAndHoldNobodyUp()
{
    ServiceSettings quick = settings();
    quick.request_deadline = 1s;
    RunningService s(quick);
    // More slow clients than the service has workers, each sending a header line now and then,
    // never often enough for a per-read time-out to end it.
    std::vector<std::unique_ptr<QTcpSocket>> slow;
    for (int i = 0; i < 64; ++i) {
        slow.push_back(std::make_unique<QTcpSocket>());
        slow.back()->connectToHost(QHostAddress::LocalHost, quint16(s.port));
        QVERIFY(slow.back()->waitForConnected(5000));
        slow.back()->write("GET " + kTypePath + " HTTP/1.1\r\n");
        slow.back()->flush();
    }
    QTimer trickle;
    connect(&trickle, &QTimer::timeout, this, [&slow] {
        for (const auto &socket : slow)
            socket->write("X-Slow: 1\r\n");
    });
    trickle.start(200);
    QCOMPARE(get(s, kTypePath), kTypes);
    QVERIFY(QTest::qWaitFor(
        [&slow] {
            return std::all_of(slow.begin(), slow.end(),
                               [](const auto &socket) { return socket->state() == QAbstractSocket::UnconnectedState; });
        },
        20000));
}

void TestFeedbackService::secondServiceOnAPort_isRefused()
{
    RunningService first(settings());
    FeedbackStore other(first.dir.filePath(QStringLiteral("other.db")));
    FeedbackService second(settings(), other);
    QString error;
    QCOMPARE(second.bind(QStringLiteral("127.0.0.1"), first.port, &error), -1);
    QCOMPARE(error, QStringLiteral("address in use"));

    QFile types(first.dir.filePath(QStringLiteral("types.txt")));
    QVERIFY(types.open(QIODevice::WriteOnly));
    types.write(kTypes);
    types.close();
    QProcess program;
    program.start(QStringLiteral(SERVICE_FILE),
                  {QStringLiteral("--port"), QString::number(first.port), QStringLiteral("--types"), types.fileName(),
                   QStringLiteral("--database"), first.dir.filePath(QStringLiteral("program.db"))});
    QVERIFY(program.waitForFinished(10000));
    QVERIFY(program.exitCode() != 0);
    QVERIFY(program.readAllStandardError().contains("address in use"));
}

void TestFeedbackService::program_servesAndListsWhatWasStored()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("feedback.db"));
    const QString types = dir.filePath(QStringLiteral("types.txt"));
    QFile file(types);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // One entry a line, as an operator writes it; served in the one form the window reads.
    file.write(QStringLiteral("1:建议;\n2:问题\n").toUtf8());
    file.close();
    {
        FeedbackStore store(database);
        QVERIFY(store.add({0, QStringLiteral("2024-05-01T08:00:00Z"), QStringLiteral("127.0.0.1"), 10, 1,
                           QStringLiteral("匿名"), QStringLiteral("无"), QStringLiteral("声音很好")}));
    }

    QProcess service;
    service.start(QStringLiteral(SERVICE_FILE),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--types"), types,
                   QStringLiteral("--database"), database});
    QVERIFY(service.waitForReadyRead(10000));
    const QByteArray announced = service.readLine().trimmed();
    QVERIFY2(announced.startsWith("Serving on http://127.0.0.1:"), announced.constData());
    const QUrl base(QString::fromLatin1(announced.mid(11)));
    QCOMPARE(m_http.get(base.resolved(QUrl(QString::fromLatin1(kTypePath)))), kTypes);
    // Killed, not stopped: what was stored stays readable.
    service.kill();
    service.waitForFinished();

    QProcess list;
    list.start(QStringLiteral(SERVICE_FILE), {QStringLiteral("--list"), QStringLiteral("--database"), database});
    QVERIFY(list.waitForFinished(10000));
    QCOMPARE(list.exitCode(), 0);
    const QString out = QString::fromUtf8(list.readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("昵称：匿名\n邮箱/QQ：无\n内容：声音很好")), qPrintable(out));
}

void TestFeedbackService::program_refusesUnusableStartAtOnce_data()
{
    QTest::addColumn<QString>("types");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only database") << "types.txt"
                                        << "readonly.db"
                                        << "readonly.db is read-only";
    QTest::newRow("type list is a pipe") << "fifo"
                                         << "feedback.db"
                                         << "not a regular file";
    QTest::newRow("type list is a device") << "/dev/zero"
                                           << "feedback.db"
                                           << "not a regular file";
    QTest::newRow("no numeric type") << "names.txt"
                                     << "feedback.db"
                                     << "line 1: \"建议\" is not a type number";
}

void TestFeedbackService::program_refusesUnusableStartAtOnce()
{
    QFETCH(QString, types);
    QFETCH(QString, database);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    const auto write = [&dir](const char *name, const QByteArray &text) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    QVERIFY(write("types.txt", kTypes));
    QVERIFY(write("names.txt", QStringLiteral("建议:1;问题:2").toUtf8()));
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0666) == 0);
    {
        FeedbackStore store(dir.filePath(QStringLiteral("readonly.db")));
        QVERIFY(store.is_open());
    }
    QFile::setPermissions(dir.filePath(QStringLiteral("readonly.db")), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(dir.filePath(QStringLiteral("types.txt")), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(dir.filePath(QStringLiteral("names.txt")), QFileDevice::ReadOwner | QFileDevice::ReadOther);

    QProcess program;
    start_unprivileged(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--types"),
                                 types.startsWith(u'/') ? types : dir.filePath(types), QStringLiteral("--database"),
                                 dir.filePath(database)});
    // Before the fix the pipe hung the start, and the rest started serving.
    const bool finished = program.waitForFinished(10000);
    if (!finished)
        program.kill();
    QVERIFY(finished);
    QCOMPARE(program.exitCode(), 1);
    const QString told = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(told.contains(reason), qPrintable(told));
}

void TestFeedbackService::program_withoutTypes_servesTheListItCameWith()
{
    QString error;
    QFile source(QStringLiteral(TYPES_SOURCE_FILE));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const std::optional<TypeList> carried = type_list::parse(source.readAll(), error);
    QVERIFY2(carried, qPrintable(error));

    QTemporaryDir dir;
    QProcess service;
    service.start(QStringLiteral(SERVICE_FILE), {QStringLiteral("--port"), QStringLiteral("0"),
                                                 QStringLiteral("--database"), dir.filePath(QStringLiteral("f.db"))});
    QVERIFY(service.waitForReadyRead(10000));
    const QByteArray announced = service.readLine().trimmed();
    QVERIFY2(announced.startsWith("Serving on http://127.0.0.1:"), announced.constData());
    const QUrl base(QString::fromLatin1(announced.mid(11)));
    QCOMPARE(m_http.get(base.resolved(QUrl(QString::fromLatin1(kTypePath)))), carried->canonical);
    service.kill();
    service.waitForFinished();

    QProcess version;
    version.start(QStringLiteral(SERVICE_FILE), {QStringLiteral("--version")});
    QVERIFY(version.waitForFinished(10000));
    QCOMPARE(version.exitCode(), 0);
    QVERIFY(version.readAllStandardOutput().startsWith("lumeno-feedback-service 1."));
}

QTEST_MAIN(TestFeedbackService)
#include "test_feedback_service.moc"
