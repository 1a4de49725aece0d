// SPDX-License-Identifier: GPL-3.0-or-later
// From decoded text to the pieces espeak-ng speaks: script runs, voices per run, SSML rewriting.

#include "script_runs.h"
#include "speech_plan.h"
#include "ssml_markup_cases.h"
#include "ssml_rewriter.h"

#include <QTest>

using namespace speech;

class TestSpeechPlan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void splitRuns_givesLatinWordsToTheForeignVoice_data();
    void splitRuns_givesLatinWordsToTheForeignVoice();
    void splitRuns_givesChineseToTheForeignVoiceInOtherLanguages();
    void plan_assignsVoicesAndNormalisesNumbers();
    void plan_dropsBlankText();
    void ssml_wrapsEveryRunInItsVoice();
    void ssml_keepsMarkupAndEscapesStrayCharacters_data();
    void ssml_keepsMarkupAndEscapesStrayCharacters();
    void ssml_leavesSayAsContentToTheDocument();
    void ssml_takesForMarkupWhatTheSplitterDoes_data();
    void ssml_takesForMarkupWhatTheSplitterDoes();

private:
    VoiceProfile m_chinese;
    VoiceProfile m_english;
};

namespace {

// The runs as "text|" pieces with foreign ones in brackets: "你好|[Windows]|世界".
QString describe(const std::vector<ScriptRun> &runs)
{
    QStringList parts;
    for (const ScriptRun &run : runs) {
        const QString text = QString::fromStdU32String(run.text);
        parts << (run.foreign ? u'[' + text + u']' : text);
    }
    return parts.join(u'|');
}

QString ssml(const QString &document, const VoiceProfile &profile, NumberReading reading = NumberReading::ValuesFirst)
{
    return QString::fromStdString(rewrite_ssml(document.toStdU32String(), profile, reading));
}

} // namespace

void TestSpeechPlan::initTestCase()
{
    QVERIFY(voice_profile("xiaoyan", m_chinese));
    QVERIFY(voice_profile("Catherine", m_english));
}

void TestSpeechPlan::splitRuns_givesLatinWordsToTheForeignVoice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("runs");
    QTest::newRow("word inside") << u"你好Windows世界"_qs << u"你好|[Windows]|世界"_qs;
    QTest::newRow("phrase with spaces") << u"他说hello world，再见"_qs << u"他说|[hello world，]|再见"_qs;
    QTest::newRow("apostrophe and hyphen") << u"这是don't和e-mail"_qs << u"这是|[don't]|和|[e-mail]"_qs;
    QTest::newRow("digits glued to letters") << u"3D打印和MP3"_qs << u"[3D]|打印和|[MP3]"_qs;
    QTest::newRow("leading punctuation") << u"“OK”好"_qs << u"“|[OK”]|好"_qs;
    QTest::newRow("Chinese only") << u"今天天气很好。"_qs << u"今天天气很好。"_qs;
    QTest::newRow("Latin only") << u"Good morning"_qs << u"[Good morning]"_qs;
    QTest::newRow("empty") << QString() << QString();
}

void TestSpeechPlan::splitRuns_givesLatinWordsToTheForeignVoice()
{
    QFETCH(QString, text);
    QFETCH(QString, runs);
    const auto split = split_script_runs(text.toStdU32String(), ScriptFamily::Han);
    QCOMPARE(describe(split), runs);
    std::u32string joined;
    for (const ScriptRun &run : split)
        joined += run.text;
    QCOMPARE(QString::fromStdU32String(joined), text);
}

void TestSpeechPlan::splitRuns_givesChineseToTheForeignVoiceInOtherLanguages()
{
    QCOMPARE(describe(split_script_runs(U"Bonjour 北京 et Paris", ScriptFamily::Other)),
             u"Bonjour |[北京 ]|et Paris"_qs);
    QCOMPARE(describe(split_script_runs(U"Привет, 你好。", ScriptFamily::Other)), u"Привет, |[你好。]"_qs);
}

void TestSpeechPlan::plan_assignsVoicesAndNormalisesNumbers()
{
    const auto segments =
        plan_speech(U"我买了3台iPhone 15手机", m_chinese, TextType::Plain, NumberReading::ValuesFirst);
    QCOMPARE(segments.size(), std::size_t(3));
    QCOMPARE(segments[0].voice, m_chinese.espeak_voice);
    QCOMPARE(QString::fromStdString(segments[0].text), u"wo3 mai3 le5 san1 tai2"_qs);
    QCOMPARE(segments[1].voice, m_chinese.foreign_voice);
    QCOMPARE(QString::fromStdString(segments[1].text), u"iPhone "_qs);
    QCOMPARE(segments[2].voice, m_chinese.espeak_voice);
    QCOMPARE(QString::fromStdString(segments[2].text), u"shi2 wu3 shou3 ji1"_qs);
    QVERIFY(!segments[0].ssml);
    QVERIFY(QString::fromStdString(m_chinese.foreign_voice).startsWith(u"en"));

    const auto english = plan_speech(U"Call 13800138000 now", m_english, TextType::Plain, NumberReading::ValuesFirst);
    QCOMPARE(english.size(), std::size_t(1));
    QCOMPARE(english[0].voice, m_english.espeak_voice);
    QCOMPARE(QString::fromStdString(english[0].text), u"Call 1 3 8 0 0 1 3 8 0 0 0 now"_qs);
}

void TestSpeechPlan::plan_dropsBlankText()
{
    QVERIFY(plan_speech(U"", m_chinese, TextType::Plain, NumberReading::ValuesFirst).empty());
    QVERIFY(plan_speech(U" \r\n\t ", m_chinese, TextType::Ssml, NumberReading::ValuesFirst).empty());
    // A blank run between two scripts does not become a segment of its own.
    const auto segments = plan_speech(U"Hi 你好", m_chinese, TextType::Plain, NumberReading::ValuesFirst);
    QCOMPARE(segments.size(), std::size_t(2));
}

void TestSpeechPlan::ssml_wrapsEveryRunInItsVoice()
{
    const QString own = QString::fromStdString(m_chinese.espeak_voice);
    const QString foreign = QString::fromStdString(m_chinese.foreign_voice);
    const QString out = ssml(u"<speak>你好<break time=\"500ms\"/>Windows 7世界</speak>"_qs, m_chinese);
    const QString expected =
        u"<speak><voice name=\"%1\">你好</voice><break time=\"500ms\"/>"
        u"<voice name=\"%2\">Windows </voice><voice name=\"%1\">七世界</voice></speak>"_qs.arg(own, foreign);
    QCOMPARE(out, expected);
}

void TestSpeechPlan::ssml_keepsMarkupAndEscapesStrayCharacters_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("expected");
    const QString v = QString::fromStdString(m_english.espeak_voice);
    const auto wrap = [&v](const QString &text) { return u"<voice name=\"%1\">%2</voice>"_qs.arg(v, text); };
    QTest::newRow("prosody kept") << u"<prosody rate=\"slow\">Hi</prosody>"_qs
                                  << u"<prosody rate=\"slow\">"_qs + wrap(u"Hi"_qs) + u"</prosody>"_qs;
    QTest::newRow("comment kept") << u"<!-- a < b -->Hi"_qs << u"<!-- a < b -->"_qs + wrap(u"Hi"_qs);
    QTest::newRow("stray less-than") << u"a < b"_qs << wrap(u"a &lt; b"_qs);
    QTest::newRow("unclosed tag") << u"Hi <break"_qs << wrap(u"Hi &lt;break"_qs);
    QTest::newRow("stray ampersand") << u"R&D"_qs << wrap(u"R&amp;D"_qs);
    QTest::newRow("entities decoded and re-escaped") << u"&lt;&#72;&#x69;&gt;"_qs << wrap(u"&lt;Hi&gt;"_qs);
    QTest::newRow("bad entity") << u"&#xZZ;"_qs << wrap(u"&amp;#xZZ;"_qs);
    QTest::newRow("blank between tags") << u"<s> </s>"_qs << u"<s> </s>"_qs;
    QTest::newRow("unbalanced end tag") << u"</prosody>Hi"_qs << u"</prosody>"_qs + wrap(u"Hi"_qs);
}

void TestSpeechPlan::ssml_keepsMarkupAndEscapesStrayCharacters()
{
    QFETCH(QString, document);
    QFETCH(QString, expected);
    QCOMPARE(ssml(document, m_english), expected);
}

void TestSpeechPlan::ssml_takesForMarkupWhatTheSplitterDoes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("markup_length");
    for (const ssml_cases::MarkupCase &c : ssml_cases::kMarkupCases)
        QTest::newRow(c.name) << QString::fromLatin1(c.text.data(), static_cast<qsizetype>(c.text.size()))
                              << static_cast<int>(c.markup_length);
}

// Markup is copied as it stands; a '<' that opens nothing is text, and text is re-escaped.
void TestSpeechPlan::ssml_takesForMarkupWhatTheSplitterDoes()
{
    QFETCH(QString, text);
    QFETCH(int, markup_length);
    const QString out = ssml(u"x"_qs + text, m_english);
    const QString candidate = markup_length > 0 ? text.first(markup_length) : text.section(u'>', 0, 0) + u'>';
    QVERIFY2(out.contains(candidate) == (markup_length > 0), qPrintable(out));
}

void TestSpeechPlan::ssml_leavesSayAsContentToTheDocument()
{
    const QString out = ssml(u"<say-as interpret-as=\"characters\">2024</say-as>2024"_qs, m_chinese);
    QVERIFY2(out.contains(u">2024</voice></say-as>"_qs), qPrintable(out));
    QVERIFY2(out.endsWith(u">两千零二十四</voice>"_qs), qPrintable(out));
}

QTEST_GUILESS_MAIN(TestSpeechPlan)
#include "test_speech_plan.moc"
