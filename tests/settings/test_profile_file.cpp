// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "file_size_limit.h"
#include "platform/gbk.h"
#include "settings/profile_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

QByteArray g(const char16_t *text)
{
    return gbk::encode(QString::fromUtf16(text));
}

} // namespace

class TestProfileFile final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void read_data();
    void read();
    void read_handEditedFile_data();
    void read_handEditedFile();
    void write_sameValueLeavesFileUntouched_data();
    void write_sameValueLeavesFileUntouched();
    void read_cutsToBufferSize_data();
    void read_cutsToBufferSize();
    void write_data();
    void write();
    void write_thenReadGivesValueBack();
    void write_intoMissingFolderFailsAndCreatesNothing();
    void write_failingWriteKeepsTheFile();
    void linkOrPipe_isReadSafelyAndNeverWrittenThrough_data();
    void linkOrPipe_isReadSafelyAndNeverWrittenThrough();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("config.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProfileFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestProfileFile::read_data()
{
    QTest::addColumn<QByteArray>("file"); // a null array: no file at all
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected"); // the fallback is "none"

    QTest::newRow("plain") << QByteArray("[s]\r\nk=v\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("v");
    QTest::newRow("no file") << QByteArray() << QByteArray("s") << QByteArray("k") << QByteArray("none");
    QTest::newRow("empty file") << QByteArray("") << QByteArray("s") << QByteArray("k") << QByteArray("none");
    QTest::newRow("names in other case") << QByteArray("[Colours]\r\nBackGround=red\r\n") << QByteArray("cOLOURS")
                                         << QByteArray("BACKground") << QByteArray("red");
    QTest::newRow("blanks around names and value") << QByteArray("  [ s\t]  \r\n \t k \v= \t v w \t \r\n")
                                                   << QByteArray("s") << QByteArray("k") << QByteArray("v w");
    QTest::newRow("spaces around the asked names")
        << QByteArray("[s]\r\nk=v\r\n") << QByteArray("  s ") << QByteArray(" k  ") << QByteArray("v");
    QTest::newRow("double quotes") << QByteArray("[s]\r\nk= \" v \" \r\n") << QByteArray("s") << QByteArray("k")
                                   << QByteArray(" v ");
    QTest::newRow("single quotes") << QByteArray("[s]\r\nk='v'\r\n") << QByteArray("s") << QByteArray("k")
                                   << QByteArray("v");
    QTest::newRow("only the outer quotes")
        << QByteArray("[s]\r\nk=\"\"v\"\"\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("\"v\"");
    QTest::newRow("quotes that differ stay")
        << QByteArray("[s]\r\nk=\"v'\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("\"v'");
    QTest::newRow("a lone quote stays") << QByteArray("[s]\r\nk=\"\r\n") << QByteArray("s") << QByteArray("k")
                                        << QByteArray("\"");
    QTest::newRow("empty value is not missing")
        << QByteArray("[s]\r\nk=\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("");
    QTest::newRow("first key wins") << QByteArray("[s]\r\nk=1\r\nK=2\r\n") << QByteArray("s") << QByteArray("k")
                                    << QByteArray("1");
    QTest::newRow("only the first section of a name") << QByteArray("[s]\r\na=1\r\n[t]\r\n[S]\r\nk=2\r\n")
                                                      << QByteArray("s") << QByteArray("k") << QByteArray("none");
    QTest::newRow("key of another section") << QByteArray("k=0\r\n[t]\r\nk=1\r\n[s]\r\nj=2\r\n") << QByteArray("s")
                                            << QByteArray("k") << QByteArray("none");
    QTest::newRow("missing section") << QByteArray("[t]\r\nk=1\r\n") << QByteArray("s") << QByteArray("k")
                                     << QByteArray("none");
    QTest::newRow("semicolon inside a value")
        << QByteArray("[s]\r\nk=a;b\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("a;b");
    QTest::newRow("equals sign inside a value")
        << QByteArray("[s]\r\nk=a=b\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("a=b");
    QTest::newRow("LF line ends") << QByteArray("[t]\nk=0\n[s]\nk=1\n") << QByteArray("s") << QByteArray("k")
                                  << QByteArray("1");
    QTest::newRow("no line end at the end")
        << QByteArray("[s]\r\nk=1") << QByteArray("s") << QByteArray("k") << QByteArray("1");
    QTest::newRow("GBK names and value") << (g(u"[编辑框]\r\n编辑框_合成文本=第一行><br><第二行\r\n")) << g(u"编辑框")
                                         << g(u"编辑框_合成文本") << g(u"第一行><br><第二行");
    // B0 41 and B0 61 are two characters whose trail bytes are the letters A and a.
    QTest::newRow("trail bytes keep their case")
        << QByteArray("[s]\r\n\xB0\x41=1\r\n") << QByteArray("s") << QByteArray("\xB0\x61") << QByteArray("none");
    QTest::newRow("no case folding beyond ASCII")
        << QByteArray("[s]\r\n\xC1\xA1=1\r\n") << QByteArray("s") << QByteArray("\xE1\xA1") << QByteArray("none");
    // B0 5D is a character whose trail byte is ']'.
    QTest::newRow("bracket as a trail byte")
        << QByteArray("[\xB0\x5Dx]\r\nk=1\r\n") << QByteArray("\xB0\x5Dx") << QByteArray("k") << QByteArray("1");
}

void TestProfileFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    if (!file.isNull())
        QVERIFY(file_bytes::write(path(), file));

    QCOMPARE(read_profile_string(section, key, "none", path()), expected);
}

// What the Windows profile functions make of hand-edited files.
void TestProfileFile::read_handEditedFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected"); // the fallback is "none"

    QTest::newRow("asked names lose spaces and tabs")
        << QByteArray("[s]\r\nk=v\r\n") << QByteArray("\t s\t") << QByteArray(" \tk\t ") << QByteArray("v");
    QTest::newRow("asked names lose every blank")
        << QByteArray("[s]\r\nk=v\r\n") << QByteArray("\x1A\rs\n") << QByteArray("\x0Bk\x0C") << QByteArray("v");
    QTest::newRow("blanks 09-0D, 20 and 1A trimmed")
        << QByteArray("\x1A[s]\x0B\r\n\x0C\x1Ak\t\x1A=\x0B\x1Av w\x1A\x0C\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("v w");
    QTest::newRow("full-width space is no blank in a value")
        << QByteArray("[s]\r\nk=\xA1\xA1v\xA1\xA1\r\n") << QByteArray("s") << QByteArray("k")
        << QByteArray("\xA1\xA1v\xA1\xA1");
    QTest::newRow("full-width space is no blank in a name")
        << QByteArray("[s]\r\n\xA1\xA1k=v\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("none");
    QTest::newRow("semicolon line is an ordinary key")
        << QByteArray("[s]\r\n;k=1\r\n") << QByteArray("s") << QByteArray(";k") << QByteArray("1");
    QTest::newRow("semicolon line hides nothing")
        << QByteArray("[s]\r\n;k=1\r\nk=2\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("2");
    QTest::newRow("line without equals sign has no value")
        << QByteArray("[s]\r\nk\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("none");
    QTest::newRow("open bracket alone is no section")
        << QByteArray("[s\r\nk=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("none");
    QTest::newRow("open bracket alone stays in the section before")
        << QByteArray("[s]\r\n[t\r\nk=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("1");
    QTest::newRow("section name ends at the last bracket")
        << QByteArray("[a]b]\r\nk=1\r\n") << QByteArray("a]b") << QByteArray("k") << QByteArray("1");
    QTest::newRow("text after the last bracket is dropped")
        << QByteArray("[s] x\r\nk=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("1");
    QTest::newRow("CR alone ends lines") << QByteArray("[t]\rk=0\r[s]\rk=1\rj=2") << QByteArray("s") << QByteArray("k")
                                         << QByteArray("1");
    QTest::newRow("CR inside a value ends it")
        << QByteArray("[s]\r\nk=a\rb=2\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("a");
}

void TestProfileFile::read_handEditedFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QVERIFY(file_bytes::write(path(), file));

    QCOMPARE(read_profile_string(section, key, "none", path()), expected);
}

void TestProfileFile::write_sameValueLeavesFileUntouched_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("spaced line") << QByteArray("[s]\r\nk = 1\r\n") << QByteArray("1");
    QTest::newRow("blanks of every kind") << QByteArray(" [ s ]\t\r\n\tK\x1A=\x0B"
                                                        "1\x0C\n")
                                          << QByteArray("1");
    QTest::newRow("quoted value") << QByteArray("[s]\r\nk=\"1\"\r\n") << QByteArray("\"1\"");
    QTest::newRow("empty value") << QByteArray("[s]\rk =\r") << QByteArray("");
}

void TestProfileFile::write_sameValueLeavesFileUntouched()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, value);
    QVERIFY(file_bytes::write(path(), file));
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &before), 0);

    QVERIFY(write_profile_string("s", "k", value, path()));
    QCOMPARE(file_bytes::read(path()), file);
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino); // not even replaced by an equal copy
}

void TestProfileFile::read_cutsToBufferSize_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qsizetype>("buffer_size");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray fits(10239, 'x');
    QTest::newRow("largest that fits") << fits << qsizetype(10240) << fits;
    QTest::newRow("one byte more") << fits + 'y' << qsizetype(10240) << fits;
    QTest::newRow("far longer") << QByteArray(20000, 'x') << qsizetype(10240) << fits;
    QTest::newRow("small buffer") << QByteArray("abcdef") << qsizetype(4) << QByteArray("abc");
    QTest::newRow("quotes go before the cut") << QByteArray("\"abcdef\"") << qsizetype(4) << QByteArray("abc");
    QTest::newRow("buffer for the terminator only") << QByteArray("abc") << qsizetype(1) << QByteArray("");
}

void TestProfileFile::read_cutsToBufferSize()
{
    QFETCH(QByteArray, value);
    QFETCH(qsizetype, buffer_size);
    QFETCH(QByteArray, expected);
    QVERIFY(file_bytes::write(path(), "[s]\r\nk=" + value + "\r\n"));

    QCOMPARE(read_profile_string("s", "k", {}, path(), buffer_size), expected);
    // The fallback obeys the same buffer.
    QCOMPARE(read_profile_string("s", "missing", value, path(), buffer_size), value.left(buffer_size - 1));
}

void TestProfileFile::write_data()
{
    QTest::addColumn<QByteArray>("before"); // a null array: no file at all
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << QByteArray("s") << QByteArray("k") << QByteArray("v")
                              << QByteArray("[s]\r\nk=v\r\n");
    QTest::newRow("empty file") << QByteArray("") << QByteArray("s") << QByteArray("k") << QByteArray("v")
                                << QByteArray("[s]\r\nk=v\r\n");
    QTest::newRow("value replaced in place, the rest byte for byte")
        << QByteArray("; head\r\n[a]\r\nx = 1\r\n\r\n[s]\r\n  K = old \r\ny=2\r\n[b]\n z=3\n") << QByteArray("s")
        << QByteArray("k") << QByteArray("new")
        << QByteArray("; head\r\n[a]\r\nx = 1\r\n\r\n[s]\r\nK=new\r\ny=2\r\n[b]\n z=3\n");
    QTest::newRow("LF line keeps its LF") << QByteArray("[s]\nk=1\nj=2\n") << QByteArray("s") << QByteArray("k")
                                          << QByteArray("22") << QByteArray("[s]\nk=22\nj=2\n");
    QTest::newRow("names keep the file's spelling")
        << QByteArray("[Sect]\r\nKey=1\r\n") << QByteArray("SECT") << QByteArray("kEY") << QByteArray("2")
        << QByteArray("[Sect]\r\nKey=2\r\n");
    QTest::newRow("empty value") << QByteArray("[s]\r\nk=abc\r\n") << QByteArray("s") << QByteArray("k")
                                 << QByteArray("") << QByteArray("[s]\r\nk=\r\n");
    QTest::newRow("value written as given") << QByteArray() << QByteArray(" s ") << QByteArray(" k ")
                                            << QByteArray(" v ") << QByteArray("[s]\r\nk= v \r\n");
    QTest::newRow("only the first of two keys")
        << QByteArray("[s]\r\nk=1\r\nk=2\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("3")
        << QByteArray("[s]\r\nk=3\r\nk=2\r\n");
    QTest::newRow("key appended after the section's last key")
        << QByteArray("[s]\r\na=1\r\n; note\r\n\r\n[t]\r\nb=2\r\n") << QByteArray("s") << QByteArray("c")
        << QByteArray("3") << QByteArray("[s]\r\na=1\r\n; note\r\nc=3\r\n\r\n[t]\r\nb=2\r\n");
    QTest::newRow("key into an empty section")
        << QByteArray("[s]\r\n[t]\r\nb=2\r\n") << QByteArray("s") << QByteArray("c") << QByteArray("3")
        << QByteArray("[s]\r\nc=3\r\n[t]\r\nb=2\r\n");
    QTest::newRow("key into the first of two sections")
        << QByteArray("[s]\r\na=1\r\n[s]\r\nc=2\r\n") << QByteArray("s") << QByteArray("c") << QByteArray("3")
        << QByteArray("[s]\r\na=1\r\nc=3\r\n[s]\r\nc=2\r\n");
    QTest::newRow("key after a last line without line end")
        << QByteArray("[s]\r\na=1") << QByteArray("s") << QByteArray("b") << QByteArray("2")
        << QByteArray("[s]\r\na=1\r\nb=2\r\n");
    QTest::newRow("semicolon line is a key line") << QByteArray("[s]\r\n;k=1\r\n") << QByteArray("s") << QByteArray("k")
                                                  << QByteArray("2") << QByteArray("[s]\r\n;k=1\r\nk=2\r\n");
    QTest::newRow("line without equals sign gets its value")
        << QByteArray("[s]\r\nk\r\nj=1\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("2")
        << QByteArray("[s]\r\nk=2\r\nj=1\r\n");
    QTest::newRow("CR line ends kept") << QByteArray("[s]\rk=1\rj=2") << QByteArray("s") << QByteArray("j")
                                       << QByteArray("3") << QByteArray("[s]\rk=1\rj=3");
    QTest::newRow("section appended at the end")
        << QByteArray("[a]\r\nx=1\r\n\r\n; tail\r\n") << QByteArray("s") << QByteArray("k") << QByteArray("v")
        << QByteArray("[a]\r\nx=1\r\n\r\n; tail\r\n[s]\r\nk=v\r\n");
    QTest::newRow("section after a last line without line end")
        << QByteArray("[a]\r\nx=1") << QByteArray("s") << QByteArray("k") << QByteArray("v")
        << QByteArray("[a]\r\nx=1\r\n[s]\r\nk=v\r\n");
    QTest::newRow("GBK names and value")
        << g(u"[组合框]\r\n组合框_语速=2\r\n") << g(u"编辑框") << g(u"编辑框_合成文本") << g(u"第一行><br><第二行")
        << g(u"[组合框]\r\n组合框_语速=2\r\n[编辑框]\r\n编辑框_合成文本=第一行><br><第二行\r\n");
}

void TestProfileFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);
    if (!before.isNull())
        QVERIFY(file_bytes::write(path(), before));

    QVERIFY(write_profile_string(section, key, value, path()));
    QCOMPARE(file_bytes::read(path()), after);
}

void TestProfileFile::write_thenReadGivesValueBack()
{
    // Keys written one after another keep their order and each reads back unchanged.
    const QByteArray long_value = QByteArray("><br><").repeated(1024);
    const QList<std::pair<QByteArray, QByteArray>> entries = {
        {"a", "1"}, {"b", "-1"}, {"c", g(u"请在这里输入要合成的文本")}, {"d", long_value}, {"e", ""}};
    for (const auto &[key, value] : entries)
        QVERIFY(write_profile_string("s", key, value, path()));
    QVERIFY(write_profile_string("s", "a", "2", path()));

    QCOMPARE(read_profile_string("s", "a", "none", path()), QByteArray("2"));
    for (qsizetype i = 1; i < entries.size(); ++i)
        QCOMPARE(read_profile_string("s", entries[i].first, "none", path()), entries[i].second);
    QVERIFY(file_bytes::read(path()).startsWith("[s]\r\na=2\r\nb=-1\r\nc="));
}

void TestProfileFile::write_intoMissingFolderFailsAndCreatesNothing()
{
    const QString inside_missing = m_dir->filePath(QStringLiteral("missing/config.ini"));

    QVERIFY(!write_profile_string("s", "k", "v", inside_missing));
    QVERIFY(!QFileInfo::exists(inside_missing));
    QCOMPARE(read_profile_string("s", "k", "none", inside_missing), QByteArray("none"));
}

void TestProfileFile::write_failingWriteKeepsTheFile()
{
    const QByteArray before("[s]\r\nk=1\r\n");
    QVERIFY(file_bytes::write(path(), before));
    {
        // As on a full disk (a read-only file stops only other users than root).
        FileSizeLimit limit(4);
        QVERIFY(limit.active());
        QVERIFY(!write_profile_string("s", "k", "2", path()));
    }
    QCOMPARE(file_bytes::read(path()), before);
}

void TestProfileFile::linkOrPipe_isReadSafelyAndNeverWrittenThrough_data()
{
    QTest::addColumn<bool>("link");    // a link to another file; otherwise a named pipe
    QTest::addColumn<QByteArray>("read"); // what reading gives
    QTest::newRow("link to a file") << true << QByteArray("old");
    // Opened as a file, a pipe without a writer would hold the program at start for ever.
    QTest::newRow("named pipe") << false << QByteArray("none");
}

void TestProfileFile::linkOrPipe_isReadSafelyAndNeverWrittenThrough()
{
    QFETCH(bool, link);
    QFETCH(QByteArray, read);
    const QString target = m_dir->filePath(QStringLiteral("p.copy"));
    const QByteArray target_bytes("[s]\r\nk=old\r\n");
    QVERIFY(file_bytes::write(target, target_bytes));
    if (link)
        QVERIFY(QFile::link(target, path()));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);

    QCOMPARE(read_profile_string("s", "k", "none", path()), read);
    QVERIFY(!read_profile_for_update(path()).has_value());
    QVERIFY(!write_profile_string("s", "k", "new", path()));
    // Even a profile read before the link was put there is not written through it.
    ProfileText profile;
    profile.write("s", "k", "new");
    QVERIFY(!write_profile(profile, path()));

    QCOMPARE(file_bytes::read(target), target_bytes);
    const QFileInfo after(path());
    QCOMPARE(after.isSymLink(), link);
    if (!link) {
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(path()).constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
    }
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "test_profile_file.moc"
