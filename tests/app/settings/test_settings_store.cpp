// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "platform/gbk.h"
#include "settings/line_breaks.h"
#include "settings/profile_file.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray g(const char16_t *text)
{
    return gbk::encode(QString::fromUtf16(text));
}

const QString kDesignedText = QStringLiteral("请在这里输入要合成的文本");

QList<int> selections(const Controls &c)
{
    QList<int> out;
    for (const QComboBox *combo : c.window->findChildren<QComboBox *>())
        out << combo->currentIndex();
    return out;
}

QStringList items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// A pick by the user: the selection changes and the list reports it as activated.
void pick(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class TestSettingsStore final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineBreaks_onlyCrLfPairsAreEncoded_data();
    void lineBreaks_onlyCrLfPairsAreEncoded();
    void firstStart_withoutFileKeepsDefaultsAndDesignedText();
    void close_writesEditBoxSectionFirstThenEveryComboBox();
    void emptiedText_isStoredEmptyAndRestartShowsDesignedText();
    void text_survivesRestart_data();
    void text_survivesRestart();
    void storedIndex_isClampedWithoutActivation_data();
    void storedIndex_isClampedWithoutActivation();
    void otherSections_areNeitherReadNorChanged();
    void restart_restoresEngineTypeWithItsFirstVoice();
    void restart_restoresEncodingWithItsDefaultLevel();
    void unwritableFile_closesSilently();
    void close_killedMidwayLeavesNoMix();

private:
    const Controls &c() const { return m_f->window->controls(); }
    void start() { m_f->window->on_created(); }
    // Closes the running window and starts another over the same settings file.
    void restart();
    QByteArray stored(const char16_t *section, const char16_t *key) const
    {
        return read_profile_string(g(section), g(key), "missing", m_f->config_path);
    }

    std::unique_ptr<WindowFixture> m_first;
    std::unique_ptr<WindowFixture> m_f;
};

void TestSettingsStore::init()
{
    m_f = std::make_unique<WindowFixture>();
}

void TestSettingsStore::cleanup()
{
    m_f.reset();
    m_first.reset();
}

void TestSettingsStore::restart()
{
    m_f->window->on_close_query();
    // The first fixture owns the folder that holds the file, so it stays until the test ends.
    m_first = std::move(m_f);
    m_f = std::make_unique<WindowFixture>(m_first->config_path);
    start();
}

void TestSettingsStore::lineBreaks_onlyCrLfPairsAreEncoded_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("two lines") << QByteArray("first\r\nsecond") << QByteArray("first><br><second");
    QTest::newRow("empty lines") << QByteArray("\r\n\r\na\r\n") << QByteArray("><br><><br><a><br><");
    QTest::newRow("lone CR") << QByteArray("a\rb") << QByteArray("a\rb");
    QTest::newRow("lone LF") << QByteArray("a\nb") << QByteArray("a\nb");
    QTest::newRow("LF CR is no pair") << QByteArray("a\n\rb") << QByteArray("a\n\rb");
    QTest::newRow("CR before a pair") << QByteArray("a\r\r\nb") << QByteArray("a\r><br><b");
    QTest::newRow("GBK lines") << g(u"第一行\r\n第二行") << g(u"第一行><br><第二行");
}

void TestSettingsStore::lineBreaks_onlyCrLfPairsAreEncoded()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, value);

    QCOMPARE(line_breaks::encode(text), value);
    QCOMPARE(line_breaks::decode(value), text);
}

void TestSettingsStore::firstStart_withoutFileKeepsDefaultsAndDesignedText()
{
    start();

    QCOMPARE(c().text->toPlainText(), kDesignedText);
    QCOMPARE(c().count_label->text(), QStringLiteral("字符数：24/2048"));
    QVERIFY(!QFileInfo::exists(m_f->config_path));
    const QList<int> started = selections(c());
    QVERIFY(!started.contains(-1));
    c().defaults->click();
    QCOMPARE(selections(c()), started);
}

void TestSettingsStore::close_writesEditBoxSectionFirstThenEveryComboBox()
{
    start();
    c().speed->setCurrentIndex(4);
    m_f->window->on_close_query();

    const QByteArray file = file_bytes::read(m_f->config_path);
    QVERIFY2(file.startsWith(g(u"[编辑框]\r\n编辑框_合成文本=请在这里输入要合成的文本\r\n[组合框]\r\n")),
             file.constData());
    QVERIFY(file.endsWith("\r\n"));
    const QList<QComboBox *> combos = c().window->findChildren<QComboBox *>();
    QCOMPARE(combos.size(), 11);
    QCOMPARE(file.count('\n'), 3 + combos.size());
    for (const QComboBox *combo : combos) {
        QCOMPARE(read_profile_string(g(u"组合框"), gbk::encode(combo->objectName()), {}, m_f->config_path),
                 QByteArray::number(combo->currentIndex()));
    }
    QCOMPARE(stored(u"组合框", u"组合框_语速"), QByteArray("4"));
}

void TestSettingsStore::emptiedText_isStoredEmptyAndRestartShowsDesignedText()
{
    start();
    c().clear->click();
    restart();

    QVERIFY(file_bytes::read(m_f->config_path).contains(g(u"\r\n编辑框_合成文本=\r\n")));
    QCOMPARE(c().text->toPlainText(), kDesignedText);
    QCOMPARE(c().count_label->text(), QStringLiteral("字符数：24/2048"));
}

void TestSettingsStore::text_survivesRestart_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("restored");
    QTest::addColumn<QString>("count");

    QTest::newRow("two lines") << QStringLiteral("first\nsecond") << QByteArray("first><br><second")
                               << QStringLiteral("first\nsecond") << QStringLiteral("字符数：13/2048");
    QTest::newRow("Chinese with an empty line")
        << QStringLiteral("第一行\n\n第二行") << g(u"第一行><br><><br><第二行") << QStringLiteral("第一行\n\n第二行")
        << QStringLiteral("字符数：16/2048");
    QTest::newRow("typed marker comes back as a break") << QStringLiteral("a><br><b") << QByteArray("a><br><b")
                                                        << QStringLiteral("a\nb") << QStringLiteral("字符数：4/2048");
    // 1024 line breaks fill the text limit and triple in the file.
    QTest::newRow("longest encoded text") << QString(1024, u'\n') << QByteArray("><br><").repeated(1024)
                                          << QString(1024, u'\n') << QStringLiteral("字符数：2048/2048");
}

void TestSettingsStore::text_survivesRestart()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, value);
    QFETCH(QString, restored);
    QFETCH(QString, count);
    start();
    c().text->setPlainText(typed);
    restart();

    QCOMPARE(stored(u"编辑框", u"编辑框_合成文本"), value);
    QCOMPARE(c().text->toPlainText(), restored);
    QCOMPARE(c().count_label->text(), count);
}

void TestSettingsStore::storedIndex_isClampedWithoutActivation_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected"); // the speed list has five items

    QTest::newRow("within the list") << QByteArray("3") << 3;
    QTest::newRow("first item") << QByteArray("0") << 0;
    QTest::newRow("none") << QByteArray("-1") << -1;
    QTest::newRow("far below") << QByteArray("-7") << -1;
    QTest::newRow("past the end") << QByteArray("99") << 4;
    QTest::newRow("beyond any int") << QByteArray("99999999999999999999") << 4;
    QTest::newRow("letters only") << QByteArray("abc") << 0;
    QTest::newRow("digits then letters") << QByteArray("3abc") << 3;
    QTest::newRow("fraction truncated") << QByteArray("3.9") << 3;
    QTest::newRow("plus sign") << QByteArray("+1") << 1;
    QTest::newRow("blanks and quotes") << QByteArray(" \"1\" ") << 1;
    QTest::newRow("empty keeps the default") << QByteArray("") << 2;
}

void TestSettingsStore::storedIndex_isClampedWithoutActivation()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    QVERIFY(file_bytes::write(m_f->config_path, g(u"[组合框]\r\n组合框_语速=") + value + "\r\n"));
    QSignalSpy picks(c().speed, &QComboBox::activated);

    start();

    QCOMPARE(c().speed->currentIndex(), expected);
    QCOMPARE(picks.count(), 0);
    QCOMPARE(c().text->toPlainText(), kDesignedText);
}

void TestSettingsStore::otherSections_areNeitherReadNorChanged()
{
    const QByteArray others = g(u"[其他]\r\n组合框_语速=4\r\n编辑框_合成文本=别的\r\n; 注释\r\n\r\n");
    QVERIFY(file_bytes::write(m_f->config_path, others + g(u"[组合框]\r\n组合框_语速=1\r\n[尾]\r\nx = y\r\n")));
    start();

    QCOMPARE(c().speed->currentIndex(), 1);
    QCOMPARE(c().text->toPlainText(), kDesignedText);
    c().speed->setCurrentIndex(3);
    m_f->window->on_close_query();

    const QByteArray file = file_bytes::read(m_f->config_path);
    QVERIFY(file.startsWith(others + g(u"[组合框]\r\n组合框_语速=3\r\n")));
    QVERIFY(file.contains(g(u"[尾]\r\nx = y\r\n[编辑框]\r\n编辑框_合成文本=请在这里输入要合成的文本\r\n")));
    QCOMPARE(read_profile_string(g(u"其他"), g(u"组合框_语速"), {}, m_f->config_path), QByteArray("4"));
}

void TestSettingsStore::restart_restoresEngineTypeWithItsFirstVoice()
{
    start();
    const QString english = QStringLiteral("英文语音引擎");
    const QStringList first_voices = items(c().voice);
    pick(c().engine_type, english);
    const QStringList english_voices = items(c().voice);
    QVERIFY(english_voices.size() >= 3);
    QVERIFY(english_voices != first_voices);
    c().voice->setCurrentIndex(2);
    restart();

    QCOMPARE(stored(u"组合框", u"组合框_发音人"), QByteArray("2"));
    QCOMPARE(c().engine_type->currentText(), english);
    QCOMPARE(items(c().voice), english_voices);
    QCOMPARE(c().voice->currentIndex(), 0);
}

void TestSettingsStore::restart_restoresEncodingWithItsDefaultLevel()
{
    start();
    pick(c().audio_encoding, QStringLiteral("amr"));
    const int default_level = c().compression->currentIndex();
    QVERIFY(default_level >= 0);
    c().compression->setCurrentIndex(default_level == 0 ? 1 : 0);
    const int chosen = c().compression->currentIndex();
    restart();

    QCOMPARE(stored(u"组合框", u"组合框_压缩等级"), QByteArray::number(chosen));
    QCOMPARE(c().audio_encoding->currentText(), QStringLiteral("amr"));
    QCOMPARE(c().compression->currentIndex(), default_level);
}

void TestSettingsStore::unwritableFile_closesSilently()
{
    m_first = std::move(m_f);
    m_f = std::make_unique<WindowFixture>(m_first->dir.filePath(QStringLiteral("missing/config.ini")));
    start();
    c().speed->setCurrentIndex(0);
    m_f->window->on_close_query();

    QVERIFY(!QFileInfo::exists(m_f->config_path));
    QVERIFY(QDir(m_first->dir.path()).entryList(QDir::Files).isEmpty());
}

void TestSettingsStore::close_killedMidwayLeavesNoMix()
{
    // Old settings: the first item everywhere and an old text.
    QByteArray old_file = g(u"[编辑框]\r\n编辑框_合成文本=旧的文本\r\n[组合框]\r\n");
    for (const QComboBox *combo : c().window->findChildren<QComboBox *>())
        old_file += gbk::encode(combo->objectName()) + "=0\r\n";
    QVERIFY(file_bytes::write(m_f->config_path, old_file));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(CLOSE_KILLED_CHILD_FILE), {m_f->config_path});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    // The child was killed right after the file's first replacement: every key is new.
    const QList<QByteArray> saved = child.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(saved.size(), 12);
    qsizetype changed_combos = 0;
    for (const QByteArray &line : saved) {
        const qsizetype eq = line.indexOf('=');
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        const bool text = key == g(u"编辑框_合成文本");
        changed_combos += !text && value != "0";
        QCOMPARE(read_profile_string(text ? g(u"编辑框") : g(u"组合框"), key, "missing", m_f->config_path), value);
    }
    QVERIFY(changed_combos >= 5);
}

QTEST_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
