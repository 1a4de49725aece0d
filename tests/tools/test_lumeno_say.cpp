#include "file_bytes.h"
#include "platform/gbk.h"
#include "text/sentence_split.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <sys/stat.h>

namespace {

bool copy_into(const QString &file, const QString &folder)
{
    const QString target = QDir(folder).filePath(QFileInfo(file).fileName());
    return QFile::copy(file, target) && QFile::setPermissions(target, QFile::permissions(file) | QFileDevice::ExeOwner);
}

ino_t inode(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

quint32 data_size(const QByteArray &wav)
{
    return wav.size() >= 44 ? qFromLittleEndian<quint32>(wav.constData() + 40) : 0;
}

// A Chinese text of about the given size in GBK bytes, made of short sentences.
QByteArray chapter(int bytes)
{
    static const char16_t *sentences[] = {u"春天来了，河边的柳树发芽了。", u"孩子们在草地上放风筝！",
                                          u"今天的天气怎么样？", u"我们明天一起去图书馆；"};
    QByteArray text;
    for (int i = 0; text.size() < bytes; ++i)
        text += gbk::encode(QString::fromUtf16(sentences[i % 4]));
    return text;
}

} // namespace

// lumeno-say run as a user runs it, copied alone into a folder of its own.
class TestLumenoSay final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void freshFolder_placesTheEngineBesideItself();
    void runningCopy_keepsTheLibraryItHasMapped();
    void text_becomesWavOfTheChosenFormat();
    void longText_becomesOneWavOfItsPieces();
    void batch_writesOneWavPerFile();
    void errors_exitWithTheirCodes();
    void reading_printsThePinyinWithTheUsersReadings();

private:
    int say(const QStringList &arguments, const QByteArray &input = {}, const QByteArray &script = {});
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_stderr;
    QByteArray m_stdout;
};

void TestLumenoSay::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(copy_into(QStringLiteral(LUMENO_SAY_FILE), m_dir->path()));
}

void TestLumenoSay::write(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

int TestLumenoSay::say(const QStringList &arguments, const QByteArray &input, const QByteArray &script)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LUMENO_LIBRARY_DIR"), path(QStringLiteral("system")));
    env.insert(QStringLiteral("LUMENO_SOUND"), QStringLiteral("null"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    if (!script.isNull())
        env.insert(QStringLiteral("SCRIPTED_ENGINE"), QString::fromLatin1(script));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    process.setProcessEnvironment(env);
    process.start(path(QStringLiteral("lumeno-say")), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return -1;
    m_stderr = process.readAllStandardError();
    m_stdout = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestLumenoSay::freshFolder_placesTheEngineBesideItself()
{
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("hello.wav")), QStringLiteral("你好，世界")}), 0);
    QVERIFY(data_size(file_bytes::read(path(QStringLiteral("hello.wav")))) > 8000);
    QCOMPARE(file_bytes::read(path(QStringLiteral("libmsc.so"))), file_bytes::read(QStringLiteral(ENGINE_FILE)));
    QCOMPARE(file_bytes::read(path(QStringLiteral("libmsc_speex.so"))), file_bytes::read(QStringLiteral(CODEC_FILE)));
}

void TestLumenoSay::runningCopy_keepsTheLibraryItHasMapped()
{
    // This test stands for a program already running on an older library in the folder.
    const QString library = path(QStringLiteral("libmsc.so"));
    const QByteArray older = file_bytes::read(QStringLiteral(SCRIPTED_ENGINE_FILE));
    QVERIFY(file_bytes::write(library, older));
    QFile mapped_file(library);
    QVERIFY(mapped_file.open(QIODevice::ReadOnly));
    const uchar *mapped = mapped_file.map(0, older.size());
    QVERIFY(mapped != nullptr);

    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("a.wav")), QStringLiteral("你好")}), 0);
    QCOMPARE(file_bytes::read(library), file_bytes::read(QStringLiteral(ENGINE_FILE)));
    QVERIFY(QByteArrayView(mapped, older.size()) == older);

    // A start that finds the carried bytes already there writes nothing.
    const ino_t placed = inode(library);
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("b.wav")), QStringLiteral("你好")}), 0);
    QCOMPARE(inode(library), placed);
}

void TestLumenoSay::text_becomesWavOfTheChosenFormat()
{
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("a.wav")), QStringLiteral("--format"),
                  QStringLiteral("8000"), QStringLiteral("你好，世界")}),
             0);
    const QByteArray wav = file_bytes::read(path(QStringLiteral("a.wav")));
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 24), 8000u);
    QCOMPARE(data_size(wav) + 44, static_cast<quint32>(wav.size()));
    // A few syllables: more than a quarter second of speech at 8 kHz.
    QVERIFY(data_size(wav) > 4000);

    // The same text from standard input, as GBK.
    QCOMPARE(say({QStringLiteral("--gbk"), QStringLiteral("--format"), QStringLiteral("8000"), QStringLiteral("-o"),
                  path(QStringLiteral("b.wav"))},
                 gbk::encode(QStringLiteral("你好，世界"))),
             0);
    QCOMPARE(file_bytes::read(path(QStringLiteral("b.wav"))).size(), wav.size());
}

void TestLumenoSay::longText_becomesOneWavOfItsPieces()
{
    const QByteArray text = chapter(6000);
    write(QStringLiteral("chapter.txt"), text);
    QCOMPARE(say({QStringLiteral("--gbk"), QStringLiteral("-f"), path(QStringLiteral("chapter.txt")),
                  QStringLiteral("-o"), path(QStringLiteral("chapter.wav"))}),
             0);
    const QByteArray whole = file_bytes::read(path(QStringLiteral("chapter.wav")));

    const QList<QByteArray> pieces = split_for_engine(text, 2048);
    QCOMPARE(pieces.size(), 3);
    quint64 sum = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString name = QStringLiteral("piece%1").arg(i);
        write(name + QStringLiteral(".txt"), pieces[i]);
        QCOMPARE(say({QStringLiteral("--gbk"), QStringLiteral("-f"), path(name + QStringLiteral(".txt")),
                      QStringLiteral("-o"), path(name + QStringLiteral(".wav"))}),
                 0);
        sum += data_size(file_bytes::read(path(name + QStringLiteral(".wav"))));
    }
    QVERIFY(sum > 0);
    const double ratio = static_cast<double>(data_size(whole)) / static_cast<double>(sum);
    QVERIFY2(ratio > 0.98 && ratio < 1.02, qPrintable(QString::number(ratio)));
}

void TestLumenoSay::batch_writesOneWavPerFile()
{
    const QStringList names{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")};
    QStringList arguments;
    for (const QString &name : names) {
        write(name + QStringLiteral(".txt"), QStringLiteral("第%1个文件。").arg(name).toUtf8());
        arguments << QStringLiteral("-f") << path(name + QStringLiteral(".txt"));
    }
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
    QCOMPARE(say(arguments + QStringList{QStringLiteral("--output-dir"), path(QStringLiteral("out"))}), 0);
    for (const QString &name : names) {
        const QByteArray wav = file_bytes::read(path(QStringLiteral("out/") + name + QStringLiteral(".wav")));
        QVERIFY2(data_size(wav) > 3200, qPrintable(name));
    }
}

void TestLumenoSay::errors_exitWithTheirCodes()
{
    QCOMPARE(say({QStringLiteral("--speed"), QStringLiteral("warp"), QStringLiteral("x")}), 2);
    QVERIFY(m_stderr.contains("--speed"));
    QCOMPARE(say({QStringLiteral("--voice"), QStringLiteral("nobody"), QStringLiteral("x")}), 3);
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("missing.txt"))}), 4);
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("no/such/folder/x.wav")), QStringLiteral("x")}), 6);
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("quiet.wav")), QStringLiteral("。，！")}), 7);
    QVERIFY(!QFile::exists(path(QStringLiteral("quiet.wav"))));

    // An installed engine that refuses to start.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("system")));
    QVERIFY(copy_into(QStringLiteral(SCRIPTED_ENGINE_FILE), path(QStringLiteral("system"))));
    QVERIFY(copy_into(QStringLiteral(CODEC_FILE), path(QStringLiteral("system"))));
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("x.wav")), QStringLiteral("x")}, {}, "init=10106"), 5);
    QVERIFY(!QFile::exists(path(QStringLiteral("x.wav"))));
}

void TestLumenoSay::reading_printsThePinyinWithTheUsersReadings()
{
    QCOMPARE(say({QStringLiteral("--reading"), QStringLiteral("他在银行工作，请重新开始。")}), 0);
    QCOMPARE(QString::fromUtf8(m_stdout), u"ta1 zai4 yin2 hang2 gong1 zuo4 ， qing3 chong2 xin1 kai1 shi3 。\n"_qs);

    QVERIFY(QDir().mkpath(path(QStringLiteral("config/lumeno"))));
    write(QStringLiteral("config/lumeno/readings.txt"), "# mine\n银行 yin2 xing2\n工作 gong1\n");
    QCOMPARE(say({QStringLiteral("--reading"), QStringLiteral("--voice"), QStringLiteral("vixl"),
                  QStringLiteral("在银行工作")}),
             0);
    // The user's word wins; its bad line is named and skipped; 台普 says zai, zuo as they are.
    QCOMPARE(QString::fromUtf8(m_stdout), u"zai4 yin2 xing2 gong1 zuo4\n"_qs);
    QVERIFY2(m_stderr.contains("readings.txt: line 3:"), m_stderr.constData());
}

QTEST_GUILESS_MAIN(TestLumenoSay)
#include "test_lumeno_say.moc"
