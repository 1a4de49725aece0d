// SPDX-License-Identifier: GPL-3.0-or-later
// How the catalogue's voices are made with espeak-ng.

#include "voices/voice_table.h"
#include "voice_profiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTest>

using namespace speech;

class TestVoiceProfiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void profile_speaksTheVoicesLanguage_data();
    void profile_speaksTheVoicesLanguage();
    void profile_namesInstalledVoicesAndVariants();
    void profile_rejectsUnknownIds();
    void speechRate_isStrictlyOrderedForEveryVoice();

private:
    QSet<QString> m_languages; // espeak-ng voice names installed
    QString m_variant_dir;
};

namespace {

QString language_of(const VoiceProfile &profile)
{
    return QString::fromStdString(profile.espeak_voice).section(u'+', 0, 0);
}

QString variant_of(const std::string &voice)
{
    return QString::fromStdString(voice).section(u'+', 1);
}

} // namespace

void TestVoiceProfiles::initTestCase()
{
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"), {QStringLiteral("--voices")});
    QVERIFY2(espeak.waitForFinished(10000), "espeak-ng is needed (scripts/install_deps.sh)");
    const QStringList lines = QString::fromUtf8(espeak.readAllStandardOutput()).split(u'\n');
    // Columns: priority, language, age/gender, name, file, other languages. espeak-ng takes
    // the language or the file's base name (gmw/en-US: en-US) as a voice name.
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.simplified().split(u' ');
        if (fields.size() > 4) {
            m_languages.insert(fields[1]);
            m_languages.insert(fields[4].section(u'/', -1).toLower());
        }
    }
    QVERIFY(m_languages.contains(QStringLiteral("cmn-latn-pinyin")));

    espeak.start(QStringLiteral("espeak-ng"), {QStringLiteral("--version")});
    QVERIFY(espeak.waitForFinished(10000));
    const QString version = QString::fromUtf8(espeak.readAllStandardOutput()).trimmed();
    m_variant_dir = version.section(u"Data at: "_qs, 1).trimmed() + u"/voices/!v"_qs;
    QVERIFY2(QFileInfo(m_variant_dir).isDir(), qPrintable(version));
}

void TestVoiceProfiles::profile_speaksTheVoicesLanguage_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("languages");
    const QStringList mandarin{QStringLiteral("cmn-latn-pinyin")};
    for (const auto &voice : voices::engine_types()[0].voices)
        QTest::newRow(voice.id) << QString::fromLatin1(voice.id) << mandarin;
    for (const auto &voice : voices::engine_types()[1].voices)
        QTest::newRow(voice.id) << QString::fromLatin1(voice.id) << QStringList{u"en-us"_qs, u"en"_qs};
    const QList<std::pair<const char *, const char *>> dialects{{"vixm", "yue"},
                                                                {"vixl", "cmn-latn-pinyin"},
                                                                {"vixr", "cmn-latn-pinyin"},
                                                                {"vixyun", "cmn-latn-pinyin"},
                                                                {"vixying", "cmn-latn-pinyin"},
                                                                {"vixk", "cmn-latn-pinyin"},
                                                                {"vixqa", "cmn-latn-pinyin"},
                                                                {"aisdalong", "yue"},
                                                                {"Mariane", "fr"},
                                                                {"Guli", "ug"},
                                                                {"Allabent", "ru"},
                                                                {"Gabriela", "es"},
                                                                {"Abha", "hi"},
                                                                {"XiaoYun", "vi"}};
    for (const auto &[id, language] : dialects)
        QTest::newRow(id) << QString::fromLatin1(id) << QStringList{QString::fromLatin1(language)};
}

void TestVoiceProfiles::profile_speaksTheVoicesLanguage()
{
    QFETCH(QString, id);
    QFETCH(QStringList, languages);
    VoiceProfile profile;
    QVERIFY(voice_profile(id.toStdString(), profile));
    QVERIFY2(languages.contains(language_of(profile)), qPrintable(language_of(profile)));
    const bool chinese = language_of(profile) == u"cmn-latn-pinyin" || language_of(profile) == u"yue";
    QCOMPARE(profile.family, chinese ? ScriptFamily::Han : ScriptFamily::Other);
    // The voice for the other script keeps the variant, so a speaker does not change mid-sentence.
    QCOMPARE(variant_of(profile.foreign_voice), variant_of(profile.espeak_voice));
}

void TestVoiceProfiles::profile_namesInstalledVoicesAndVariants()
{
    int checked = 0;
    for (const auto &type : voices::engine_types()) {
        for (const auto &voice : type.voices) {
            VoiceProfile profile;
            QVERIFY(voice_profile(voice.id, profile));
            for (const std::string &name : {profile.espeak_voice, profile.foreign_voice}) {
                const QString language = QString::fromStdString(name).section(u'+', 0, 0);
                QVERIFY2(m_languages.contains(language), qPrintable(language));
                QVERIFY2(QFileInfo::exists(m_variant_dir + u'/' + variant_of(name)), qPrintable(variant_of(name)));
            }
            ++checked;
        }
    }
    QCOMPARE(checked, 41);
}

void TestVoiceProfiles::profile_rejectsUnknownIds()
{
    VoiceProfile profile;
    QVERIFY(!voice_profile("nobody", profile));
    QVERIFY(!voice_profile("", profile));
    QVERIFY(!voice_profile("catherine", profile));
}

void TestVoiceProfiles::speechRate_isStrictlyOrderedForEveryVoice()
{
    for (const auto &type : voices::engine_types()) {
        for (const auto &voice : type.voices) {
            VoiceProfile profile;
            QVERIFY(voice_profile(voice.id, profile));
            int previous = 0;
            for (int speed = 0; speed <= 100; speed += 25) {
                const int rate = speech_rate(profile, speed);
                QVERIFY2(rate > previous, voice.id);
                QVERIFY(rate >= 80 && rate <= 450);
                previous = rate;
            }
            QCOMPARE(speech_rate(profile, 50), profile.base_rate);
        }
    }
}

QTEST_GUILESS_MAIN(TestVoiceProfiles)
#include "test_voice_profiles.moc"
