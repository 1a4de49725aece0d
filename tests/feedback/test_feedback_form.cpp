// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback/feedback_form.h"
#include "feedback/service_address.h"
#include "platform/gbk.h"

#include <QTest>

using feedback::FeedbackType;

namespace {

QByteArray g(const char16_t *text)
{
    return gbk::encode(QString::fromUtf16(text));
}

QString listed(const QList<FeedbackType> &types)
{
    QStringList out;
    for (const FeedbackType &t : types)
        out.append(QString::number(t.number) + u'=' + gbk::decode(t.name));
    return out.join(u'|');
}

} // namespace

class TestFeedbackForm final : public QObject {
    Q_OBJECT

private slots:
    void typeList_keepsEntriesWithColon_data();
    void typeList_keepsEntriesWithColon();
    void urlEncode_keepsOnlyUnreservedBytes_data();
    void urlEncode_keepsOnlyUnreservedBytes();
    void trimSpaces_removesHalfAndFullWidthAtEnds();
    void lineBreaks_goAsCrLfAndCountTwice_data();
    void lineBreaks_goAsCrLfAndCountTwice();
    void body_holdsFieldsInOrderAndCannotBeExtendedByTheCode();
    void confirmation_fillsTemplateAndLeavesTypedPlaceholders();
    void address_commandLineBeatsEnvironmentBeatsBuiltIn();
};

void TestFeedbackForm::typeList_keepsEntriesWithColon_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two") << QStringLiteral("1:建议;2:问题").toUtf8() << QStringLiteral("1=建议|2=问题");
    QTest::newRow("skips, leading number, second colon")
        << QByteArray("abc;3:x:y; 7z:name;:none") << QStringLiteral("3=x|7=name|0=none");
    QTest::newRow("one entry a line") << QStringLiteral("1:建议;\n2:问题;\r\n\t 3:其他").toUtf8()
                                      << QStringLiteral("1=建议|2=问题|3=其他");
    QTest::newRow("error page with separators") << QByteArray("<html><body>1:a;2:b</body></html>") << QString();
    QTest::newRow("upper-case error page") << QByteArray("<HTML>1:a;2:b") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestFeedbackForm::typeList_keepsEntriesWithColon()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, expected);
    QCOMPARE(listed(feedback::parse_type_list(reply)), expected);
}

void TestFeedbackForm::urlEncode_keepsOnlyUnreservedBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("anonymous") << g(u"匿名") << QByteArray("%E5%8C%BF%E5%90%8D");
    QTest::newRow("none") << g(u"无") << QByteArray("%E6%97%A0");
    QTest::newRow("ascii") << QByteArray("a b/_~-.Z9&=+%") << QByteArray("a%20b%2F%5F%7E-.Z9%26%3D%2B%25");
    QTest::newRow("line break") << QByteArray("x\r\ny") << QByteArray("x%0D%0Ay");
}

void TestFeedbackForm::urlEncode_keepsOnlyUnreservedBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, encoded);
    QCOMPARE(feedback::url_encode(text), encoded);
}

void TestFeedbackForm::trimSpaces_removesHalfAndFullWidthAtEnds()
{
    QCOMPARE(feedback::trim_spaces(g(u"　 你 好　 ")), g(u"你 好"));
    QCOMPARE(feedback::trim_spaces(g(u" 　 ")), QByteArray());
    // A1 A1 as the tail of two characters is not a full-width space.
    QCOMPARE(feedback::trim_spaces(QByteArray("\xB0\xA1\xA1\xA1")), QByteArray("\xB0\xA1"));
}

void TestFeedbackForm::lineBreaks_goAsCrLfAndCountTwice_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::newRow("LF") << QStringLiteral("a\nb\n") << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("CR LF stays") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("lone CR, LF CR") << QStringLiteral("\ra\n\rb") << QStringLiteral("\r\na\r\n\r\nb");
    QTest::newRow("wide character once") << QStringLiteral("😀\n") << QStringLiteral("😀\r\n");
}

void TestFeedbackForm::lineBreaks_goAsCrLfAndCountTwice()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    QCOMPARE(feedback::with_crlf(typed), sent);
    QCOMPARE(feedback::sent_length(typed), sent.size() - sent.count(QStringLiteral("😀")));
}

void TestFeedbackForm::body_holdsFieldsInOrderAndCannotBeExtendedByTheCode()
{
    feedback::Submission s{feedback::anonymous_nickname(), feedback::no_address(), 2, g(u"好"), "AB&soft=1", 10};
    QCOMPARE(
        feedback::submission_body(s),
        QByteArray("name=%E5%8C%BF%E5%90%8D&mail=%E6%97%A0&type=2&content=%E5%A5%BD&verify=AB%26soft%3D1&soft=10"));
}

void TestFeedbackForm::confirmation_fillsTemplateAndLeavesTypedPlaceholders()
{
    feedback::Submission s{g(u"%内容%"), g(u"a@b.c"), 1, g(u"很好"), "X", 10};
    QCOMPARE(gbk::decode(feedback::confirmation_text(s, g(u"建议"))),
             QStringLiteral("请确认以下反馈信息：\r\n\r\n昵称：%内容%\r\n类型：建议\r\n内容：很好\r\n"
                            "邮箱/QQ：a@b.c\r\n\r\n确定要反馈吗？"));
}

void TestFeedbackForm::address_commandLineBeatsEnvironmentBeatsBuiltIn()
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("LUMENO_FEEDBACK_URL"), QStringLiteral("http://env.test:81"));
    const QStringList plain{QStringLiteral("lumeno")};
    const QStringList option{QStringLiteral("lumeno"), QStringLiteral("--feedback-url=http://cli.test/base/")};
    QCOMPARE(feedback::service_address(option, env).host(), QStringLiteral("cli.test"));
    QCOMPARE(feedback::service_address(plain, env).port(), 81);
    QVERIFY(!feedback::service_address(plain, QProcessEnvironment()).host().isEmpty());
    QCOMPARE(feedback::endpoint(feedback::service_address(option, env), feedback::kSubmitPath).toString(),
             QStringLiteral("http://cli.test/base/softapi/index.php/api/Api/submit"));
}

QTEST_GUILESS_MAIN(TestFeedbackForm)
#include "test_feedback_form.moc"
