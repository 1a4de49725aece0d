// SPDX-License-Identifier: GPL-3.0-or-later
#include "she_format.h"
#include "skin_el.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <dlfcn.h>
#include <sys/stat.h>

namespace {

skin::SkinData sample_skin()
{
    skin::SkinData s;
    s.base_style = "Fusion";
    s.font_family = "DejaVu Sans";
    s.font_pixels = 13;
    s.colours = {{"window", 0xff, 0x00, 0x00, 0xff}, {"line", 0x80, 0x80, 0x80, 0xff}, {"shade", 0, 0, 0, 0x40}};
    s.style_sheet = "QLabel { color: $window; border: 1px solid $line; background: $shade; }";
    return s;
}

QByteArray bytes_of(const skin::SkinData &s)
{
    const auto bytes = skin::encode_skin(s);
    return bytes ? QByteArray(reinterpret_cast<const char *>(bytes->data()), qsizetype(bytes->size())) : QByteArray();
}

void put_u32(QByteArray &bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

// The sample skin with this sheet, written byte by byte: the writer itself refuses what the
// reader must refuse too.
QByteArray bytes_with_sheet(const QByteArray &sheet)
{
    skin::SkinData s = sample_skin();
    s.style_sheet = "@";
    QByteArray bytes = bytes_of(s);
    // The sheet is the last section: its length just before it, the total in the header.
    bytes.chop(1);
    put_u32(bytes, bytes.size() - 4, quint32(sheet.size()));
    bytes += sheet;
    put_u32(bytes, 8, quint32(bytes.size()));
    return bytes;
}

// count colours, the last one named as the first.
QByteArray skin_with_late_duplicate(int count)
{
    skin::SkinData s = sample_skin();
    s.colours.clear();
    for (int i = 0; i < count; ++i)
        s.colours.push_back({QByteArray::number(i + 100000).prepend(i + 1 == count ? 'b' : 'a').toStdString()});
    QByteArray bytes = bytes_of(s);
    const QByteArray last = 'b' + QByteArray::number(count - 1 + 100000);
    bytes.replace(bytes.lastIndexOf(last), last.size(), "a100000");
    return bytes;
}

} // namespace

// The skin library through its one function, loaded as the program loads it.
class TestSkinLibrary final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void attach_appliesStylePaletteFontAndSheet();
    void shift_data();
    void shift();
    void unreadable_data();
    void unreadable();
    void ownImages_areTheOnlyUrls_data();
    void ownImages_areTheOnlyUrls();

private:
    int attach(const QByteArray &skin, int hue = 0, int saturation = 0, int brightness = 0) const
    {
        return m_attach(reinterpret_cast<const unsigned char *>(skin.constData()), int(skin.size()), nullptr, hue,
                        saturation, brightness);
    }

    SkinH_AttachResFunc m_attach = nullptr;
    QTemporaryDir m_dir;
};

void TestSkinLibrary::initTestCase()
{
    void *library = dlopen(SKIN_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(library != nullptr, dlerror());
    m_attach = reinterpret_cast<SkinH_AttachResFunc>(dlsym(library, "SkinH_AttachRes"));
    QVERIFY(m_attach != nullptr);
}

void TestSkinLibrary::init()
{
    qApp->setStyleSheet(QStringLiteral("QWidget { color: blue; }"));
    QApplication::setPalette(QPalette(Qt::darkGreen));
}

void TestSkinLibrary::attach_appliesStylePaletteFontAndSheet()
{
    QCOMPARE(attach(bytes_of(sample_skin())), SKIN_EL_SUCCESS);
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(0xff, 0, 0));
    QCOMPARE(QApplication::font().pixelSize(), 13);
    QCOMPARE(QApplication::font().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(qApp->styleSheet(),
             QStringLiteral("QLabel { color: #ff0000; border: 1px solid #808080; background: rgba(0, 0, 0, 64); }"));
}

void TestSkinLibrary::shift_data()
{
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QString>("window"); // the window colour: #ff0000 before
    QTest::addColumn<QString>("line");   // the line colour: #808080 (a grey) before
    QTest::newRow("unchanged") << 0 << 0 << 0 << "#ff0000"
                               << "#808080";
    QTest::newRow("hue +120") << 120 << 0 << 0 << "#00ff00"
                              << "#808080";
    QTest::newRow("hue -120") << -120 << 0 << 0 << "#0000ff"
                              << "#808080";
    QTest::newRow("no saturation") << 0 << -100 << 0 << "#ffffff"
                                   << "#808080";
    QTest::newRow("half brightness") << 0 << 0 << -50 << "#800000"
                                     << "#404040";
}

void TestSkinLibrary::shift()
{
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, brightness);
    QFETCH(QString, window);
    QFETCH(QString, line);
    QCOMPARE(attach(bytes_of(sample_skin()), hue, saturation, brightness), SKIN_EL_SUCCESS);
    QCOMPARE(QApplication::palette().color(QPalette::Window).name(), window);
    QVERIFY2(qApp->styleSheet().contains(QStringLiteral("color: ") + window + u';'), qPrintable(qApp->styleSheet()));
    QVERIFY2(qApp->styleSheet().contains(QStringLiteral("solid ") + line + u';'), qPrintable(qApp->styleSheet()));
    // Transparency is kept whatever the shift.
    QVERIFY(qApp->styleSheet().contains(QStringLiteral(", 64)")));
}

void TestSkinLibrary::unreadable_data()
{
    QTest::addColumn<QByteArray>("skin");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("result");
    const QByteArray good = bytes_of(sample_skin());
    QVERIFY(!good.isEmpty());
    const int bad_skin = SKIN_EL_ERROR_INVALID_SKIN;

    QByteArray wrong_magic = good;
    wrong_magic[1] = 'X';
    QTest::newRow("wrong magic") << wrong_magic << 0 << bad_skin;
    QTest::newRow("cut short") << good.first(good.size() - 10) << 0 << bad_skin;
    QTest::newRow("header only") << good.first(12) << 0 << bad_skin;
    QByteArray cut_with_header = good.first(good.size() - 10);
    put_u32(cut_with_header, 8, quint32(cut_with_header.size()));
    QTest::newRow("cut short, total adjusted") << cut_with_header << 0 << bad_skin;
    QByteArray long_section = good;
    put_u32(long_section, 16, 0x7fffffffu);
    QTest::newRow("section longer than the skin") << long_section << 0 << bad_skin;
    QByteArray more_sections = good;
    more_sections[6] = char(more_sections[6] + 1);
    QTest::newRow("more sections than present") << more_sections << 0 << bad_skin;
    QByteArray trailing = good + "junk";
    put_u32(trailing, 8, quint32(trailing.size()));
    QTest::newRow("bytes after the sections") << trailing << 0 << bad_skin;
    skin::SkinData unknown_colour = sample_skin();
    unknown_colour.style_sheet += "QWidget { color: $nowhere; }";
    QTest::newRow("sheet names an unknown colour") << bytes_of(unknown_colour) << 0 << bad_skin;
    skin::SkinData unknown_style = sample_skin();
    unknown_style.base_style = "NoSuchStyle";
    QTest::newRow("unknown base style") << bytes_of(unknown_style) << 0 << bad_skin;
    QTest::newRow("empty") << QByteArray() << 0 << bad_skin;
    QTest::newRow("hue out of range") << good << 181 << int(SKIN_EL_ERROR_INVALID_ARGUMENT);
    QTest::newRow("duplicate colour far apart") << skin_with_late_duplicate(5000) << 0 << bad_skin;

    // Files outside the library's own images: each would be opened by the application.
    const QByteArray pipe = QFile::encodeName(m_dir.filePath(QStringLiteral("pipe")));
    QVERIFY(QFileInfo::exists(QString::fromUtf8(pipe)) || ::mkfifo(pipe.constData(), 0600) == 0);
    const auto url_row = [&](const char *name, const QByteArray &url) {
        QTest::newRow(name) << bytes_with_sheet("QLabel { image: " + url + "; }") << 0 << bad_skin;
    };
    url_row("url naming a pipe", "url(" + pipe + ")");
    url_row("url naming a pipe, quoted", "url(\"" + pipe + "\")");
    url_row("upper-case url", "URL(" + pipe + ")");
    url_row("file url", "url(file://" + pipe + ")");
    url_row("relative url", "url(images/arrow.png)");
    url_row("own prefix, then out", "url(:/skin-el/../../" + pipe + ")");
    url_row("own folder's name as a path", "url(/skin-el/arrow-down.xpm)");
    url_row("escaped url", "\\75rl(" + pipe + ")");
    url_row("unclosed quote", "url(\":/skin-el/arrow-down.xpm)");
}

void TestSkinLibrary::unreadable()
{
    QFETCH(QByteArray, skin);
    QFETCH(int, hue);
    QFETCH(int, result);
    const QStyle *style_before = QApplication::style();
    QCOMPARE(attach(skin, hue), result);
    QCOMPARE(qApp->styleSheet(), QStringLiteral("QWidget { color: blue; }"));
    QCOMPARE(QApplication::palette().color(QPalette::Window), QPalette(Qt::darkGreen).color(QPalette::Window));
    QCOMPARE(QApplication::style(), style_before);
}

void TestSkinLibrary::ownImages_areTheOnlyUrls_data()
{
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("plain") << QByteArray("url(:/skin-el/arrow-down.xpm)");
    QTest::newRow("quoted") << QByteArray("url( ':/skin-el/arrow-down.xpm' )");
    QTest::newRow("qrc scheme") << QByteArray("url(\"qrc:/skin-el/arrow-down.xpm\")");
}

void TestSkinLibrary::ownImages_areTheOnlyUrls()
{
    QFETCH(QByteArray, url);
    QCOMPARE(attach(bytes_with_sheet("QComboBox::down-arrow { image: " + url + "; }")), SKIN_EL_SUCCESS);
    QVERIFY(qApp->styleSheet().contains(QString::fromLatin1(url)));
}

QTEST_MAIN(TestSkinLibrary)
#include "test_skin_library.moc"
