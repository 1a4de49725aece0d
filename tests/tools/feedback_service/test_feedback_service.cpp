#include "feedback/feedback_wire.h"
#include "feedback/http_client.h"
#include "running_service.h"

#include <QProcess>
#include <QTest>

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

} // namespace

// The real service on loopback, as the feedback window reaches it.
class TestFeedbackService final : public QObject {
    Q_OBJECT

private slots:
    void submission_isStoredOnlyWithTheCodeOfItsImage();
    void submissionOutsideBounds_isNotStored_data();
    void submissionOutsideBounds_isNotStored();
    void flood_isAnsweredZero();
    void program_servesAndListsWhatWasStored();

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

QTEST_MAIN(TestFeedbackService)
#include "test_feedback_service.moc"
