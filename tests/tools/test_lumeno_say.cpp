// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "platform/gbk.h"
#include "say/batch_protocol.h"
#include "say/batch_worker.h"
#include "say/book_job.h"
#include "text/sentence_split.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <csignal>
#include <sndfile.h>
#include <sys/resource.h>
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

// The processes whose parent is `parent`, from /proc.
QList<pid_t> children_of(pid_t parent)
{
    QList<pid_t> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!numeric || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...", where the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == parent)
            children.append(pid);
    }
    return children;
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
    void longText_streamsTheSameBytesAsItsBatchesSpokenAlone();
    void parallelWorkers_giveTheSerialBytes();
    void compressedFormats_decodeToTheWavsLength_data();
    void compressedFormats_decodeToTheWavsLength();
    void overLimitWav_isRefusedAndSplitByRequest();
    void failedWrite_keepsTheOldFileAndSaysWhy_data();
    void failedWrite_keepsTheOldFileAndSaysWhy();
    void progress_countsTheCharactersSpokenUpToTheEnd();
    void interrupt_keepsTheOldOutput_data();
    void interrupt_keepsTheOldOutput();
    void batch_writesOneWavPerFile();
    void badInput_isRefusedWithItsCode();
    void errors_exitWithTheirCodes();
    void reading_printsThePinyinWithTheUsersReadings();
    void killedWorker_failsClearlyAndWritesNothing_data();
    void killedWorker_failsClearlyAndWritesNothing();
    void utf16Book_speaksAsItsUtf8Twin();
    void quality_reachesTheEncoder_data();
    void quality_reachesTheEncoder();

private:
    int say(const QStringList &arguments, const QByteArray &input = {}, const QByteArray &script = {});
    QProcess *start(const QStringList &arguments, const QByteArray &script = {});
    // Files the tool writes may not grow past this size (a full disk, to the tool).
    qint64 m_file_size_limit = 0;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_stderr;
    QByteArray m_stdout;
};

void TestLumenoSay::init()
{
    m_file_size_limit = 0;
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(copy_into(QStringLiteral(LUMENO_SAY_FILE), m_dir->path()));
}

void TestLumenoSay::write(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QProcess *TestLumenoSay::start(const QStringList &arguments, const QByteArray &script)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LUMENO_LIBRARY_DIR"), path(QStringLiteral("system")));
    env.insert(QStringLiteral("LUMENO_SOUND"), QStringLiteral("null"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    if (!script.isNull())
        env.insert(QStringLiteral("SCRIPTED_ENGINE"), QString::fromLatin1(script));
    process->setProcessEnvironment(env);
    if (m_file_size_limit > 0) {
        const rlim_t limit = static_cast<rlim_t>(m_file_size_limit);
        process->setChildProcessModifier([limit] {
            // Ignored, SIGXFSZ turns the write past the limit into an EFBIG failure.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit bound{limit, limit};
            setrlimit(RLIMIT_FSIZE, &bound);
        });
    }
    process->start(path(QStringLiteral("lumeno-say")), arguments);
    return process;
}

int TestLumenoSay::say(const QStringList &arguments, const QByteArray &input, const QByteArray &script)
{
    const std::unique_ptr<QProcess> process(start(arguments, script));
    process->write(input);
    process->closeWriteChannel();
    if (!process->waitForFinished(120000))
        return -1;
    m_stderr = process->readAllStandardError();
    m_stdout = process->readAllStandardOutput();
    return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
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

void TestLumenoSay::longText_streamsTheSameBytesAsItsBatchesSpokenAlone()
{
    const QByteArray text = chapter(2048 * (batch_protocol::kPiecesPerBatch + 1));
    write(QStringLiteral("chapter.txt"), text);
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("chapter.txt")), QStringLiteral("-o"),
                  path(QStringLiteral("chapter.wav"))}),
             0);
    const QByteArray whole = file_bytes::read(path(QStringLiteral("chapter.wav")));

    // Each batch of pieces spoken by a run of its own, from a fresh engine: the same bytes,
    // joined.
    const QList<QByteArray> pieces = split_for_engine(text, 2048);
    QVERIFY(pieces.size() > batch_protocol::kPiecesPerBatch);
    QByteArray joined;
    for (qsizetype i = 0; i < pieces.size(); i += batch_protocol::kPiecesPerBatch) {
        const QString name = QStringLiteral("batch%1").arg(i);
        write(name + QStringLiteral(".txt"), pieces.mid(i, batch_protocol::kPiecesPerBatch).join());
        QCOMPARE(say({QStringLiteral("-f"), path(name + QStringLiteral(".txt")), QStringLiteral("-o"),
                      path(name + QStringLiteral(".wav"))}),
                 0);
        joined += file_bytes::read(path(name + QStringLiteral(".wav"))).mid(44);
    }
    QCOMPARE(data_size(whole) + 44, static_cast<quint32>(whole.size()));
    QVERIFY(whole.mid(44) == joined);

    // The same text through a pipe, as UTF-8 (told apart from GBK without --gbk).
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("piped.wav"))}, gbk::decode(text).toUtf8()), 0);
    QVERIFY(file_bytes::read(path(QStringLiteral("piped.wav"))) == whole);
}

void TestLumenoSay::parallelWorkers_giveTheSerialBytes()
{
    write(QStringLiteral("book.txt"), chapter(9000) + "Some English, too. " + chapter(3000));
    QByteArray outputs[2];
    for (int jobs : {1, 3}) {
        const QString out = path(QStringLiteral("jobs%1.wav").arg(jobs));
        QCOMPARE(say({QStringLiteral("--jobs"), QString::number(jobs), QStringLiteral("-f"),
                      path(QStringLiteral("book.txt")), QStringLiteral("-o"), out}),
                 0);
        outputs[jobs == 1 ? 0 : 1] = file_bytes::read(out);
    }
    QVERIFY(data_size(outputs[0]) > 1000000);
    QVERIFY(outputs[0] == outputs[1]);
}

void TestLumenoSay::compressedFormats_decodeToTheWavsLength_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"a.mp3", "a.ogg", "a.opus", "a.flac"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestLumenoSay::compressedFormats_decodeToTheWavsLength()
{
    QFETCH(QString, name);
    write(QStringLiteral("t.txt"), chapter(600));
    QCOMPARE(
        say({QStringLiteral("-f"), path(QStringLiteral("t.txt")), QStringLiteral("-o"), path(QStringLiteral("a.wav"))}),
        0);
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("t.txt")), QStringLiteral("-o"), path(name)}), 0);
    const double expected = data_size(file_bytes::read(path(QStringLiteral("a.wav")))) / 32000.0;
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path(name)).constData(), SFM_READ, &info);
    QVERIFY2(file != nullptr, sf_strerror(nullptr));
    const double seconds = static_cast<double>(info.frames) / info.samplerate;
    sf_close(file);
    QCOMPARE(info.samplerate, 16000);
    QVERIFY2(std::abs(seconds - expected) < expected * 0.01,
             qPrintable(QStringLiteral("%1 %2").arg(seconds).arg(expected)));
    // Compressed for speech: well below the WAV's size (FLAC is lossless and keeps more).
    QVERIFY(QFileInfo(path(name)).size() < data_size(file_bytes::read(path(QStringLiteral("a.wav")))) * 0.7);
}

void TestLumenoSay::overLimitWav_isRefusedAndSplitByRequest()
{
    // About 37 hours of speech: more than a WAV file's 4 GiB at 16 kHz.
    write(QStringLiteral("novel.txt"), chapter(1000000));
    write(QStringLiteral("old.wav"), "old contents");
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("novel.txt")), QStringLiteral("-o"),
                  path(QStringLiteral("old.wav"))}),
             9);
    QVERIFY(m_stderr.contains("--split-minutes"));
    QCOMPARE(file_bytes::read(path(QStringLiteral("old.wav"))), QByteArray("old contents"));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*part*")}), QStringList{});

    // Parts at sentence ends, each a whole WAV file, together the one output.
    write(QStringLiteral("short.txt"), chapter(6000));
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("short.txt")), QStringLiteral("-o"),
                  path(QStringLiteral("whole.wav"))}),
             0);
    QCOMPARE(say({QStringLiteral("--split-minutes"), QStringLiteral("2"), QStringLiteral("-f"),
                  path(QStringLiteral("short.txt")), QStringLiteral("-o"), path(QStringLiteral("parts.wav"))}),
             0);
    QByteArray joined;
    for (int part = 1; QFile::exists(path(QStringLiteral("parts-%1.wav").arg(part, 3, 10, QChar(u'0')))); ++part) {
        const QByteArray wav = file_bytes::read(path(QStringLiteral("parts-%1.wav").arg(part, 3, 10, QChar(u'0'))));
        QCOMPARE(data_size(wav) + 44, static_cast<quint32>(wav.size()));
        joined += wav.mid(44);
    }
    QVERIFY(joined == file_bytes::read(path(QStringLiteral("whole.wav"))).mid(44));
    QVERIFY(QFile::exists(path(QStringLiteral("parts-002.wav"))));
}

void TestLumenoSay::failedWrite_keepsTheOldFileAndSaysWhy_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"book.wav", "book.mp3", "book.ogg", "book.opus", "book.flac"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Every encoder's writes and its close are checked: a file the disk could not take whole is
// reported with the system's reason and never replaces the earlier one.
void TestLumenoSay::failedWrite_keepsTheOldFileAndSaysWhy()
{
    QFETCH(QString, name);
    write(QStringLiteral("book.txt"), chapter(1000));
    // A first run places the engine beside the tool.
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("first.wav")), QStringLiteral("你好")}), 0);
    write(name, "old contents");
    m_file_size_limit = 32 * 1024;
    QCOMPARE(say({QStringLiteral("-q"), QStringLiteral("-f"), path(QStringLiteral("book.txt")), QStringLiteral("-o"),
                  path(name)}),
             6);
    QVERIFY2(m_stderr.contains("cannot write " + path(name).toUtf8() + ": File too large"), m_stderr.constData());
    QCOMPARE(file_bytes::read(path(name)), QByteArray("old contents"));
    QCOMPARE(QDir(m_dir->path()).entryList({name + QStringLiteral(".part*")}), QStringList{});
}

namespace {

class CountingSink final : public AudioSink {
public:
    bool write(QByteArrayView pcm) override
    {
        bytes += pcm.size();
        return true;
    }
    bool finish() override { return true; }
    qint64 bytes = 0;
};

} // namespace

// The progress follows the audio written: characters of the text whose speech is out, so the
// share reaches the whole only at the end. (Hangul is left out by the voice: quick pieces.)
void TestLumenoSay::progress_countsTheCharactersSpokenUpToTheEnd()
{
    // A first run places the engine beside the tool.
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("first.wav")), QStringLiteral("你好")}), 0);
    const QString sentence = u"中"_qs + QString(600, u'한') + u"。\n"_qs;
    write(QStringLiteral("book.txt"), sentence.repeated(12).toUtf8());
    // The workers this process starts find the engine where the tool placed it, as in start().
    qputenv("LUMENO_LIBRARY_DIR", QFile::encodeName(path(QStringLiteral("system"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(QStringLiteral("config"))));
    const QString params = QStringLiteral("ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,bgs=0,aue=raw,"
                                          "auf=audio/L16;rate=16000,rdn=0");
    BookJob book({path(QStringLiteral("book.txt")), {}, false, false},
                 {path(QStringLiteral("lumeno-say")),
                  batch_worker_arguments(path(QStringLiteral("libmsc.so")), params.toLatin1()), 2},
                 2048, PcmFormat{16000});
    qint64 bytes = 0;
    QCOMPARE(book.load_input(&bytes), BookResult::Done);
    CountingSink sink;
    QList<BookProgress> seen;
    QList<qint64> audio;
    QCOMPARE(book.run(sink,
                      [&](const BookProgress &p) {
                          seen.append(p);
                          audio.append(sink.bytes);
                      }),
             BookResult::Done);
    QVERIFY(seen.size() > 4);
    const qint64 total = 12 * 602; // blanks are not counted
    for (qsizetype i = 0; i < seen.size(); ++i) {
        QCOMPARE(seen[i].total, total);
        QVERIFY2(i == 0 || seen[i].done > seen[i - 1].done, qPrintable(QString::number(i)));
        QVERIFY2(seen[i].done < total || i == seen.size() - 1, qPrintable(QString::number(i)));
        // Half the text spoken: about half the audio written, since every sentence sounds alike.
        if (seen[i].done >= total / 2 && (i == 0 || seen[i - 1].done < total / 2)) {
            const double share = double(audio[i]) / double(sink.bytes);
            QVERIFY2(share > 0.3 && share < 0.8, qPrintable(QString::number(share)));
        }
    }
    QCOMPARE(seen.constLast().done, total);
}

void TestLumenoSay::interrupt_keepsTheOldOutput_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("Ctrl-C") << int(SIGINT);
    QTest::newRow("kill") << int(SIGTERM);
    QTest::newRow("hang-up") << int(SIGHUP);
}

void TestLumenoSay::interrupt_keepsTheOldOutput()
{
    QFETCH(int, signal);
    write(QStringLiteral("book.txt"), chapter(200000));
    write(QStringLiteral("book.wav"), "old contents");
    std::unique_ptr<QProcess> process(start({QStringLiteral("-f"), path(QStringLiteral("book.txt")),
                                             QStringLiteral("-o"), path(QStringLiteral("book.wav"))}));
    // Interrupted while it writes: the file beside the output exists by then.
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(m_dir->path()).entryList({QStringLiteral("book.wav.part*")}).isEmpty(), 20000);
    ::kill(static_cast<pid_t>(process->processId()), signal);
    QVERIFY(process->waitForFinished(5000));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 130);
    QCOMPARE(file_bytes::read(path(QStringLiteral("book.wav"))), QByteArray("old contents"));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("book.wav.part*")}), QStringList{});
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

void TestLumenoSay::badInput_isRefusedWithItsCode()
{
    const QString out = path(QStringLiteral("out.wav"));
    write(QStringLiteral("nul.txt"), QByteArray("abc\0def", 7));
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("nul.txt")), QStringLiteral("-o"), out}), 4);
    QVERIFY(m_stderr.contains("not text"));
    // SSML nested so deeply that each piece would be all reopened tags.
    write(QStringLiteral("deep.xml"), "<speak>" + QByteArray("<prosody rate=\"fast\">").repeated(66) + "Hello."
                                          + QByteArray("</prosody>").repeated(66) + "</speak>");
    QCOMPARE(say({QStringLiteral("--ssml"), QStringLiteral("-f"), path(QStringLiteral("deep.xml")),
                  QStringLiteral("-o"), out}),
             4);
    QVERIFY2(m_stderr.contains("nests its elements too deeply"), m_stderr.constData());
    write(QStringLiteral("blank.txt"), " \r\n\t\n");
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("blank.txt")), QStringLiteral("-o"), out}), 7);
    QCOMPARE(say({QStringLiteral("-o"), out}, QByteArray()), 7);
    QVERIFY(!QFile::exists(out));

    // A GBK file needs no --gbk: it speaks as its UTF-8 twin does.
    write(QStringLiteral("gbk.txt"), gbk::encode(QStringLiteral("春眠不觉晓，处处闻啼鸟。")));
    write(QStringLiteral("utf8.txt"), QStringLiteral("春眠不觉晓，处处闻啼鸟。").toUtf8());
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("gbk.txt")), QStringLiteral("-o"),
                  path(QStringLiteral("g.wav"))}),
             0);
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("utf8.txt")), QStringLiteral("-o"),
                  path(QStringLiteral("u.wav"))}),
             0);
    QVERIFY(file_bytes::read(path(QStringLiteral("g.wav"))) == file_bytes::read(path(QStringLiteral("u.wav"))));

    // Two inputs of one name would write one output: refused before anything is written.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("a")) && QDir(m_dir->path()).mkpath(QStringLiteral("b")));
    write(QStringLiteral("a/ch.txt"), "one.");
    write(QStringLiteral("b/ch.txt"), "two.");
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("a/ch.txt")), QStringLiteral("-f"),
                  path(QStringLiteral("b/ch.txt")), QStringLiteral("--output-dir"), m_dir->path()}),
             2);
    QVERIFY(!QFile::exists(path(QStringLiteral("ch.wav"))));
    // Nor may an output replace an input, under its own name or through a link.
    QVERIFY(QFile::link(path(QStringLiteral("utf8.txt")), path(QStringLiteral("alias.txt"))));
    QCOMPARE(::link(QFile::encodeName(path(QStringLiteral("utf8.txt"))).constData(),
                    QFile::encodeName(path(QStringLiteral("hard.txt"))).constData()),
             0);
    for (const char *input : {"utf8.txt", "alias.txt", "hard.txt"}) {
        QCOMPARE(say({QStringLiteral("-f"), path(QString::fromLatin1(input)), QStringLiteral("-o"),
                      path(QStringLiteral("utf8.txt"))}),
                 2);
        QVERIFY2(m_stderr.contains("is an input file"), input);
    }
    QCOMPARE(file_bytes::read(path(QStringLiteral("utf8.txt"))), QStringLiteral("春眠不觉晓，处处闻啼鸟。").toUtf8());
}

void TestLumenoSay::errors_exitWithTheirCodes()
{
    QCOMPARE(say({QStringLiteral("--version")}), 0);
    QVERIFY2(
        QRegularExpression(QStringLiteral("^lumeno-say \\d+\\.\\d+\n$")).match(QString::fromUtf8(m_stdout)).hasMatch(),
        m_stdout.constData());
    // More workers than the machine can use are not started, and the user is told.
    QCOMPARE(say({QStringLiteral("--jobs"), QStringLiteral("256"), QStringLiteral("-o"), path(QStringLiteral("j.wav")),
                  QStringLiteral("你好")}),
             0);
    QVERIFY2(m_stderr.startsWith("lumeno-say: --jobs 256 is more than"), m_stderr.constData());
    QCOMPARE(say({QStringLiteral("--speed"), QStringLiteral("warp"), QStringLiteral("x")}), 2);
    QVERIFY(m_stderr.contains("--speed"));
    QCOMPARE(say({QStringLiteral("--speed"), QString(), QStringLiteral("x")}), 2);
    QCOMPARE(say({QStringLiteral("--voice"), QStringLiteral("nobody"), QStringLiteral("x")}), 3);
    QCOMPARE(say({QStringLiteral("-f"), path(QStringLiteral("missing.txt"))}), 4);
    QVERIFY2(m_stderr.contains("missing.txt: No such file or directory"), m_stderr.constData());
    // A text the announced encoding cannot hold is named as such.
    QCOMPARE(say({QStringLiteral("--text-encoding"), QStringLiteral("BIG5"), QStringLiteral("-o"),
                  path(QStringLiteral("big5.wav")), QStringLiteral("这个")}),
             4);
    QVERIFY2(m_stderr.contains("cannot hold"), m_stderr.constData());
    for (const char *name : {"no/such/folder/x.wav", "no/such/folder/x.mp3"}) {
        QCOMPARE(say({QStringLiteral("-o"), path(QString::fromLatin1(name)), QStringLiteral("x")}), 6);
        QVERIFY2(m_stderr.contains(": No such file or directory"), m_stderr.constData());
    }
    // A file made read-only is not replaced, even by root.
    write(QStringLiteral("kept.mp3"), "kept");
    QVERIFY(QFile::setPermissions(path(QStringLiteral("kept.mp3")), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QCOMPARE(say({QStringLiteral("-o"), path(QStringLiteral("kept.mp3")), QStringLiteral("x")}), 6);
    QVERIFY2(m_stderr.contains("kept.mp3: Permission denied (the file is read-only)"), m_stderr.constData());
    QCOMPARE(file_bytes::read(path(QStringLiteral("kept.mp3"))), QByteArray("kept"));
    struct stat kept {};
    QCOMPARE(::stat(QFile::encodeName(path(QStringLiteral("kept.mp3"))).constData(), &kept), 0);
    QCOMPARE(kept.st_mode & 0777, 0440u);
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

    // A book of many batches on two workers: the file's problems are reported once, not once
    // per batch or per worker. (Hangul is skipped by the voice, so the pieces are quick.)
    write(QStringLiteral("config/lumeno/readings.txt"), "银行 yin2 xing2\n坏 xyz4\n");
    write(QStringLiteral("book.txt"), (u"中"_qs + QString(600, u'한') + u"。"_qs).repeated(16).toUtf8());
    QCOMPARE(say({QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("-f"), path(QStringLiteral("book.txt")),
                  QStringLiteral("-o"), path(QStringLiteral("book.wav"))}),
             0);
    QCOMPARE(m_stderr.count("readings.txt: line 2: \"xyz\" is not a pinyin syllable"), 1);
}

void TestLumenoSay::killedWorker_failsClearlyAndWritesNothing_data()
{
    QTest::addColumn<bool>("speaker"); // kill the process speaking the batch, else its worker
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("worker") << false << QByteArray("a speech worker was killed by signal 9");
    QTest::newRow("speaking process") << true << QByteArray("the process speaking a batch was killed by signal 9");
}

void TestLumenoSay::killedWorker_failsClearlyAndWritesNothing()
{
    QFETCH(bool, speaker);
    QFETCH(QByteArray, message);
    // The scripted engine, which speaks for as long as it is let.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("system")));
    QVERIFY(copy_into(QStringLiteral(SCRIPTED_ENGINE_FILE), path(QStringLiteral("system"))));
    QVERIFY(copy_into(QStringLiteral(CODEC_FILE), path(QStringLiteral("system"))));
    write(QStringLiteral("book.txt"), chapter(3000));
    std::unique_ptr<QProcess> process(
        start({QStringLiteral("--jobs"), QStringLiteral("1"), QStringLiteral("-f"), path(QStringLiteral("book.txt")),
               QStringLiteral("-o"), path(QStringLiteral("book.wav"))},
              "chunks=1000000;poll_delay_ms=1"));
    QVERIFY(process->waitForStarted());
    // Killed while the output is being written: the worker and its speaking process exist then.
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(m_dir->path()).entryList({QStringLiteral("book.wav.part*")}).isEmpty(), 20000);
    const QList<pid_t> workers = children_of(static_cast<pid_t>(process->processId()));
    QCOMPARE(workers.size(), 1);
    const QList<pid_t> speakers = children_of(workers.first());
    QCOMPARE(speakers.size(), 1);
    QCOMPARE(::kill(speaker ? speakers.first() : workers.first(), SIGKILL), 0);

    QVERIFY(process->waitForFinished(20000));
    const QByteArray errors = process->readAllStandardError();
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 5);
    QVERIFY2(errors.contains("book.txt: " + message), errors.constData());
    QVERIFY(!QFile::exists(path(QStringLiteral("book.wav"))));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("book.wav*")}), QStringList{});
}

// A UTF-16 file with its byte order mark speaks as the same text in UTF-8 does.
void TestLumenoSay::utf16Book_speaksAsItsUtf8Twin()
{
    const QString text = QStringLiteral("春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。");
    QByteArray utf16("\xFF\xFE");
    for (const QChar c : text) {
        utf16 += static_cast<char>(c.unicode() & 0xFF);
        utf16 += static_cast<char>(c.unicode() >> 8);
    }
    write(QStringLiteral("utf16.txt"), utf16);
    write(QStringLiteral("utf8.txt"), text.toUtf8());
    for (const char *name : {"utf16", "utf8"}) {
        const QString input = path(QString::fromLatin1(name) + QStringLiteral(".txt"));
        QCOMPARE(say({QStringLiteral("-f"), input, QStringLiteral("-o"), input + QStringLiteral(".wav")}), 0);
    }
    const QByteArray from_utf16 = file_bytes::read(path(QStringLiteral("utf16.txt.wav")));
    QVERIFY(data_size(from_utf16) > 32000); // more than a second of speech
    QVERIFY(from_utf16 == file_bytes::read(path(QStringLiteral("utf8.txt.wav"))));
}

void TestLumenoSay::quality_reachesTheEncoder_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"a.mp3", "a.ogg", "a.opus"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The lowest quality makes a smaller file than the highest: the number reaches the encoder.
void TestLumenoSay::quality_reachesTheEncoder()
{
    QFETCH(QString, name);
    write(QStringLiteral("t.txt"), chapter(600));
    qint64 sizes[2] = {};
    for (int quality : {0, 10}) {
        const QString out = path(QString::number(quality) + name);
        QCOMPARE(say({QStringLiteral("--quality"), QString::number(quality), QStringLiteral("-f"),
                      path(QStringLiteral("t.txt")), QStringLiteral("-o"), out}),
                 0);
        sizes[quality == 0 ? 0 : 1] = QFileInfo(out).size();
    }
    QVERIFY2(sizes[0] > 0 && sizes[0] * 3 < sizes[1] * 2,
             qPrintable(QStringLiteral("%1 %2").arg(sizes[0]).arg(sizes[1])));
}

QTEST_GUILESS_MAIN(TestLumenoSay)
#include "test_lumeno_say.moc"
