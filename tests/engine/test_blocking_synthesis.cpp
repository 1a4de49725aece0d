// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/blocking_synthesis.h"
#include "engine/tts_engine.h"
#include "file_bytes.h"
#include "platform/gbk.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray params(const char *text_type, const char *text_encoding)
{
    return QByteArray("ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=") + text_type + ",tte=" + text_encoding
           + ",bgs=0,aue=raw,auf=audio/L16;rate=16000,rdn=0";
}

} // namespace

// The real engine, driven the way lumeno-say drives it.
class TestBlockingSynthesis final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void synthesis_nothingToSpeakGivesNoAudio_data();
    void synthesis_nothingToSpeakGivesNoAudio();
    void synthesis_sendsTheAnnouncedEncoding();

private:
    QTemporaryDir m_dir;
    QString m_trace;
    QByteArray m_engine_image; // the engine keeps views of the images it carries
    QByteArray m_codec_image;
    std::unique_ptr<TtsEngine> m_engine;
};

void TestBlockingSynthesis::initTestCase()
{
    m_trace = m_dir.filePath(QStringLiteral("trace.log"));
    qputenv("LUMENO_ENGINE_TRACE", QFile::encodeName(m_trace));
    // The built engine, deployed and loaded as the program does it.
    m_engine_image = file_bytes::read(QStringLiteral(ENGINE_FILE));
    m_codec_image = file_bytes::read(QStringLiteral(CODEC_FILE));
    m_engine = std::make_unique<TtsEngine>(
        EngineImages{m_engine_image, m_codec_image},
        LibraryFolders{m_dir.filePath(QStringLiteral("system")), m_dir.filePath(QStringLiteral("program")), {}});
    QDir(m_dir.path()).mkpath(QStringLiteral("system"));
    QDir(m_dir.path()).mkpath(QStringLiteral("program"));
    m_engine->deploy();
    QCOMPARE(m_engine->start_engine(), 0);
}

void TestBlockingSynthesis::cleanupTestCase()
{
    m_engine->finalise();
    qunsetenv("LUMENO_ENGINE_TRACE");
}

void TestBlockingSynthesis::synthesis_nothingToSpeakGivesNoAudio_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("speaks");
    QTest::newRow("punctuation") << QByteArray("text") << QStringLiteral("。，！？……“”") << false;
    QTest::newRow("line breaks and dashes") << QByteArray("text") << QStringLiteral("\r\n——\r\n--\r\n") << false;
    QTest::newRow("ASCII punctuation") << QByteArray("text") << QStringLiteral("...!?,;:\"'()") << false;
    QTest::newRow("markup without text") << QByteArray("ssml")
                                         << QStringLiteral("<speak><break time=\"500ms\"/><p> </p></speak>") << false;
    QTest::newRow("words") << QByteArray("text") << QStringLiteral("。你好！") << true;
    QTest::newRow("markup with text") << QByteArray("ssml") << QStringLiteral("<speak><p>你好</p></speak>") << true;
}

void TestBlockingSynthesis::synthesis_nothingToSpeakGivesNoAudio()
{
    QFETCH(QByteArray, type);
    QFETCH(QString, text);
    QFETCH(bool, speaks);
    const BlockingResult result = synthesize_blocking(*m_engine, params(type, "GBK"), gbk::encode(text), 15000);
    QCOMPARE(result.error, 0);
    QCOMPARE(!result.audio.isEmpty(), speaks);
}

void TestBlockingSynthesis::synthesis_sendsTheAnnouncedEncoding()
{
    const QByteArray hello = gbk::encode(QStringLiteral("你好"));
    QVERIFY(QFile::resize(m_trace, 0));
    const BlockingResult unicode = synthesize_blocking(*m_engine, params("text", "UNICODE"), hello, 15000);
    QCOMPARE(unicode.error, 0);
    QVERIFY(!unicode.audio.isEmpty());
    QVERIFY2(file_bytes::read(m_trace).contains(R"(textString="`O}Y", textLen=4,)"), file_bytes::read(m_trace));

    // Simplified characters have no BIG5 form: no session is begun for them.
    QVERIFY(QFile::resize(m_trace, 0));
    const BlockingResult big5 =
        synthesize_blocking(*m_engine, params("text", "BIG5"), hello + gbk::encode(QStringLiteral("语音")), 15000);
    QCOMPARE(big5.error, kUnrepresentable);
    QVERIFY(big5.audio.isEmpty());
    QVERIFY(!file_bytes::read(m_trace).contains("QTTSSessionBegin"));
}

QTEST_GUILESS_MAIN(TestBlockingSynthesis)
#include "test_blocking_synthesis.moc"
